// The progress line of a background job on stderr: its phase, a bar, the percentage, the bytes
// and the rate, redrawn in place on a terminal and always narrower than the terminal, so it
// never wraps.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Where a job is. Progress is counted only while sending; the phase says what happens
// before and after, where the library's figure reads 0.
enum class JobPhase { kMeasuring, kRegistering, kSending, kNotifying };

const char* PhaseName(JobPhase phase);

// One line of at most `columns` - 1 characters (the last column stays free: some terminals
// wrap on writing it). Parts that do not fit are left out, the rate first, then the byte
// counts; the bar shrinks down to 10 cells before the line falls back to phase and percentage.
std::string RenderProgressLine(unsigned int columns, JobPhase phase, unsigned int percent,
                               std::uint64_t total, double bytesPerSecond);

class ProgressBar {
public:
    // Draws nothing with --quiet or when stderr is no terminal.
    ProgressBar();

    // `total`: the job's bytes, as far as they are measured.
    void Show(JobPhase phase, unsigned int percent, std::uint64_t total);
    // Ends the line, so that what follows starts on a fresh one.
    void End();
    // A message on a line of its own, the bar redrawn below it; only where the bar is drawn.
    void Note(const std::string& text);

private:
    unsigned int Columns() const;

    std::uint64_t m_total = 0;
    bool m_enabled;
    bool m_drawn = false;
    JobPhase m_phase = JobPhase::kMeasuring;
    unsigned int m_percent = 0;
    std::chrono::steady_clock::time_point m_sendingSince{};
};
