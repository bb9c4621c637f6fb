#include "cli/progress_bar.h"

#include "cli/cli_common.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr unsigned int kMinBar = 10;
constexpr unsigned int kMaxBar = 40;
constexpr size_t kPhaseWidth = 11; // "registering"

std::string Bytes(double bytes) {
    const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024.0 && unit < 4) {
        bytes /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof(text), unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

std::string Padded(const char* text, size_t width) {
    std::string out(text);
    out.resize(std::max(width, out.size()), ' ');
    return out;
}
} // namespace

const char* PhaseName(JobPhase phase) {
    switch (phase) {
    case JobPhase::kMeasuring:
        return "measuring";
    case JobPhase::kRegistering:
        return "registering";
    case JobPhase::kSending:
        return "sending";
    case JobPhase::kNotifying:
        return "notifying";
    }
    return "";
}

std::string RenderProgressLine(unsigned int columns, JobPhase phase, unsigned int percent,
                               std::uint64_t total, double bytesPerSecond) {
    const size_t budget = columns > 1 ? columns - 1 : 0;
    const unsigned int shown = std::min(percent, 100u);
    char figure[8];
    std::snprintf(figure, sizeof(figure), "%3u%%", shown);
    const std::string head = Padded(PhaseName(phase), kPhaseWidth);
    const double sent = static_cast<double>(total) * shown / 100.0;
    const std::string bytes = "  " + Bytes(sent) + " / " + Bytes(static_cast<double>(total));
    const std::string rate =
        phase == JobPhase::kSending ? "  " + Bytes(bytesPerSecond) + "/s" : std::string();

    // head + " [" + bar + "] " + figure + tail
    const size_t fixed = head.size() + 2 + 2 + std::string(figure).size();
    for (const std::string& tail : {bytes + rate, bytes, std::string()}) {
        if (fixed + kMinBar + tail.size() <= budget) {
            const size_t cells = std::min<size_t>(kMaxBar, budget - fixed - tail.size());
            const size_t filled = cells * shown / 100;
            return head + " [" + std::string(filled, '#') + std::string(cells - filled, '.') +
                   "] " + figure + tail;
        }
    }
    std::string line = std::string(PhaseName(phase)) + " " + figure;
    line.resize(std::min(line.size(), budget));
    return line;
}

ProgressBar::ProgressBar()
    // Like other tools, a bar only for a person at a terminal: a log gets no redraws.
    : m_enabled(!Options().quiet && isatty(STDERR_FILENO) == 1) {}

unsigned int ProgressBar::Columns() const {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    if (const char* columns = std::getenv("COLUMNS");
        columns != nullptr && std::atoi(columns) > 0) {
        return static_cast<unsigned int>(std::atoi(columns));
    }
    return 80;
}

void ProgressBar::Show(JobPhase phase, unsigned int percent, std::uint64_t total) {
    if (!m_enabled) {
        return;
    }
    m_total = total;
    const auto now = std::chrono::steady_clock::now();
    if (phase == JobPhase::kSending && m_phase != JobPhase::kSending) {
        m_sendingSince = now;
    }
    m_phase = phase;
    m_percent = percent;
    const double seconds = std::chrono::duration<double>(now - m_sendingSince).count();
    const double sent = static_cast<double>(m_total) * std::min(percent, 100u) / 100.0;
    const double rate = seconds > 0.05 ? sent / seconds : 0.0;
    std::fprintf(stderr, "\r%s\033[K",
                 RenderProgressLine(Columns(), phase, percent, m_total, rate).c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressBar::Note(const std::string& text) {
    if (!m_enabled) {
        return; // the failure line will say what happened
    }
    if (m_drawn) {
        std::fputs("\r\033[K", stderr);
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    if (m_drawn) {
        std::fprintf(stderr, "%s\033[K",
                     RenderProgressLine(Columns(), m_phase, m_percent, m_total, 0.0).c_str());
    }
    std::fflush(stderr);
}

void ProgressBar::End() {
    if (m_drawn) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}
