// The progress line of a background job on stderr: its phase, a bar, the percentage, the bytes,
// the rate, the time left and the file being sent, redrawn in place on a terminal and always
// narrower than the terminal, so it never wraps. Its last frame says how the job ended.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

// Where a job is. Progress is counted only while sending; the phase says what happens
// before and after, where the library's figure reads 0. The last three name the outcome.
enum class JobPhase { kMeasuring, kRegistering, kSending, kNotifying, kDone, kFailed, kCancelled };

const char* PhaseName(JobPhase phase);

// What one line shows. The rate and the time left are shown only once they are known.
struct ProgressFrame {
    JobPhase phase = JobPhase::kMeasuring;
    unsigned int percent = 0;
    std::uint64_t sent = 0;
    std::uint64_t total = 0;
    double bytesPerSecond = 0; // 0: not known
    double secondsLeft = -1;   // below 0: not known
    std::string file;          // the name of the file being sent, as it came; "" for none
    std::string note;          // what just happened ("resuming at 42 %"); "" for nothing
};

// One line of at most `columns` - 1 characters (the last column stays free: some terminals
// wrap on writing it). Parts that do not fit are left out, the least telling first: the rate,
// the byte counts, the file name (shortened from its front before it goes), the time left,
// the note;
// the bar shrinks down to 10 cells before the line falls back to phase and percentage.
std::string RenderProgressLine(unsigned int columns, const ProgressFrame& frame);

class ProgressBar {
public:
    // Draws nothing with --quiet or when stderr is no terminal.
    ProgressBar();

    // Redraws the line; while sending, the bar adds the rate and the time left it measures.
    void Show(ProgressFrame frame);
    // The last frame, whether or not one was drawn before, and the end of the line: an outcome
    // phase with the bytes as they stood.
    void Finish(ProgressFrame frame);
    // A message on a line of its own, the bar redrawn below it; only where the bar is drawn.
    void Note(const std::string& text);

private:
    unsigned int Columns() const;
    void Draw(const ProgressFrame& frame);

    using Sample = std::pair<std::chrono::steady_clock::time_point, std::uint64_t>;
    bool m_enabled;
    bool m_drawn = false;
    ProgressFrame m_last;
    std::deque<Sample> m_window; // the recent bytes sent, for the rate
};
