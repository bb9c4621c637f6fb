#include "cli/progress_bar.h"

#include "cli/cli_common.h"
#include "cli/console.h"
#include "cli/terminal_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr unsigned int kMinBar = 10;
constexpr unsigned int kPreferredBar = 20; // before a long file name takes the room
constexpr unsigned int kMaxBar = 40;
constexpr size_t kPhaseWidth = 11; // "registering"
constexpr size_t kMinFileName = 8; // shorter than this a shortened name says little
// The rate is measured over the last few seconds, so that it follows a change of speed, and
// only once it spans long enough to mean something.
constexpr auto kRateWindow = std::chrono::seconds(5);
constexpr double kShortestSpan = 0.5; // seconds

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

// "ETA 0:42", "ETA 1:02:03".
std::string TimeLeft(double seconds) {
    const auto whole = static_cast<unsigned long long>(seconds + 0.5);
    char text[40];
    if (whole < 3600) {
        std::snprintf(text, sizeof(text), "ETA %llu:%02llu", whole / 60, whole % 60);
    } else {
        std::snprintf(text, sizeof(text), "ETA %llu:%02llu:%02llu", whole / 3600, whole / 60 % 60,
                      whole % 60);
    }
    return text;
}

std::string Padded(const char* text, size_t width) {
    std::string out(text);
    out.resize(std::max(width, out.size()), ' ');
    return out;
}

// At most `width` bytes of `name`, its end kept (where the extension is) behind "..", cut
// where a character starts. Bytes count for columns: never fewer than the columns they take.
std::string Shortened(const std::string& name, size_t width) {
    if (name.size() <= width) {
        return name;
    }
    size_t from = name.size() - (width - 2);
    while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) {
        ++from;
    }
    return ".." + name.substr(from);
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
    case JobPhase::kDone:
        return "done";
    case JobPhase::kFailed:
        return "failed";
    case JobPhase::kCancelled:
        return "cancelled";
    }
    return "";
}

std::string RenderProgressLine(unsigned int columns, const ProgressFrame& frame) {
    const size_t budget = columns > 1 ? columns - 1 : 0;
    const unsigned int shown = std::min(frame.percent, 100u);
    char figure[8];
    std::snprintf(figure, sizeof(figure), "%3u%%", shown);
    const std::string head = Padded(PhaseName(frame.phase), kPhaseWidth);
    // head + " [" + bar + "] " + figure + tail
    const size_t fixed = head.size() + 2 + 2 + std::string(figure).size();

    // The optional parts from the most telling down; each goes before the ones above it.
    const std::string file = "  " + EscapeForTerminal(frame.file);
    enum Part { kNote, kTimeLeft, kFile, kBytes, kRate, kParts };
    const std::array<std::string, kParts> parts = {
        frame.note.empty() ? "" : "  " + EscapeForTerminal(frame.note),
        frame.secondsLeft >= 0 ? "  " + TimeLeft(frame.secondsLeft) : "",
        frame.file.empty() ? "" : file,
        "  " + Bytes(static_cast<double>(frame.sent)) + " / " +
            Bytes(static_cast<double>(frame.total)),
        frame.bytesPerSecond > 0 ? "  " + Bytes(frame.bytesPerSecond) + "/s" : ""};
    for (size_t kept = kParts + 1; kept-- > 0;) {
        const auto in = [&](Part part) { return part < kept ? parts[part] : std::string(); };
        const std::string before = in(kNote) + in(kBytes) + in(kRate) + in(kTimeLeft);
        if (fixed + kMinBar + before.size() > budget) {
            continue;
        }
        const size_t spare = budget - fixed - before.size();
        std::string name = in(kFile);
        if (!name.empty()) {
            // The bar grows to its preferred size first, then the name to its whole length.
            const size_t most = spare - kMinBar;
            const size_t least = std::min(name.size(), 2 + kMinFileName);
            if (most < least) {
                continue; // not even a short name fits: it goes
            }
            const size_t wanted = spare > kPreferredBar ? spare - kPreferredBar : 0;
            const size_t width = std::min(name.size(), std::clamp(wanted, least, most));
            name = "  " + Shortened(name.substr(2), width - 2);
        }
        const size_t cells = std::min<size_t>(kMaxBar, spare - name.size());
        const size_t filled = cells * shown / 100;
        return head + " [" + std::string(filled, '#') + std::string(cells - filled, '.') + "] " +
               figure + before + name;
    }
    std::string line = std::string(PhaseName(frame.phase)) + " " + figure;
    line.resize(std::min(line.size(), budget));
    return line;
}

ProgressBar::ProgressBar()
    // Like other tools, a bar only for a person at a terminal: a log gets no redraws.
    : m_enabled(!Options().quiet && IsTerminal(ConsoleStream::kStderr)) {}

unsigned int ProgressBar::Columns() const {
    if (const unsigned int columns = TerminalColumns(); columns > 0) {
        return columns;
    }
    if (const char* columns = std::getenv("COLUMNS");
        columns != nullptr && std::atoi(columns) > 0) {
        return static_cast<unsigned int>(std::atoi(columns));
    }
    return 80;
}

void ProgressBar::Draw(const ProgressFrame& frame) {
    std::fprintf(stderr, "\r%s\033[K", RenderProgressLine(Columns(), frame).c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressBar::Show(ProgressFrame frame) {
    if (!m_enabled) {
        return;
    }
    if (frame.phase == JobPhase::kSending) {
        const Sample now{std::chrono::steady_clock::now(), frame.sent};
        m_window.push_back(now);
        while (now.first - m_window.front().first > kRateWindow) {
            m_window.pop_front();
        }
        const double span =
            std::chrono::duration<double>(now.first - m_window.front().first).count();
        const std::uint64_t moved = now.second - std::min(now.second, m_window.front().second);
        if (span >= kShortestSpan && moved > 0) {
            frame.bytesPerSecond = static_cast<double>(moved) / span;
            frame.secondsLeft =
                static_cast<double>(frame.total - std::min(frame.total, frame.sent)) /
                frame.bytesPerSecond;
        }
    }
    m_last = frame;
    Draw(frame);
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
        Draw(m_last);
    }
    std::fflush(stderr);
}

void ProgressBar::Finish(ProgressFrame frame) {
    if (!m_enabled) {
        return;
    }
    Draw(frame);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
