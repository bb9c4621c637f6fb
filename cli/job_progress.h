// What the commands that start a background job share: the progress bar on stderr and the
// loop that follows the job to its end, cancelling it on Ctrl-C.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The summed sizes of `files`; a file that cannot be measured counts 0.
std::uint64_t TotalSize(const std::vector<std::string>& files);

// One line on stderr, redrawn in place: the bar, the percentage, the bytes and the rate.
class ProgressBar {
public:
    // `finishing` names what the job does once its transfer is over ("notifying recipients").
    ProgressBar(std::uint64_t total, std::string finishing);

    void Show(unsigned int percent, bool finishing);
    void End();

private:
    std::uint64_t m_total;
    std::string m_finishing;
    bool m_tty;
    unsigned int m_lastTenth = 11;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Polls the current job until its thread ends, showing its progress on `bar`. The first
// Ctrl-C asks the job to stop (`what` names it in the message) and waits for it. True when
// the cancel was taken and the job discarded, so its own result code is gone; false when the
// job ran to its end (a Ctrl-C after the transfer phase cannot stop it).
bool WatchJob(ProgressBar& bar, const char* what);

// How a job that a command followed to its end came out.
struct JobOutcome {
    bool cancelled = false; // Ctrl-C stopped it; the job was discarded with its own code
    unsigned int code = 0;  // the worker's result; 16384 after a cancel
    std::string status;     // the job's status text
};

// Follows the current job on a progress bar over `total` bytes until its thread ends, then
// reads its result.
JobOutcome FollowJob(std::uint64_t total, std::string finishing, const char* what);
