#include "cli/job_progress.h"

#include "vantaapi.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

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
} // namespace

std::uint64_t TotalSize(const std::vector<std::string>& files) {
    std::uint64_t total = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (!error) {
            total += size;
        }
    }
    return total;
}

ProgressBar::ProgressBar(std::uint64_t total, std::string finishing)
    : m_total(total), m_finishing(std::move(finishing)), m_tty(isatty(STDERR_FILENO)) {}

void ProgressBar::Show(unsigned int percent, bool finishing) {
    const auto now = std::chrono::steady_clock::now();
    const unsigned int shown = percent > 100 ? 100 : percent;
    const double sent = static_cast<double>(m_total) * shown / 100.0;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const double rate = seconds > 0 ? sent / seconds : 0;
    // Without a terminal a new line is written only when the figure moves by a tenth.
    if (!m_tty && shown / 10 == m_lastTenth && !finishing) {
        return;
    }
    m_lastTenth = shown / 10;
    constexpr unsigned int width = 30;
    const unsigned int filled = shown * width / 100;
    std::string bar(filled, '#');
    bar.append(width - filled, '.');
    std::fprintf(stderr, "%s[%s] %3u%%  %s / %s  %s/s%s%s%s", m_tty ? "\r" : "", bar.c_str(), shown,
                 Bytes(sent).c_str(), Bytes(static_cast<double>(m_total)).c_str(),
                 Bytes(rate).c_str(), finishing ? "  " : "", finishing ? m_finishing.c_str() : "",
                 m_tty ? "\033[K" : "\n");
    std::fflush(stderr);
}

void ProgressBar::End() {
    if (m_tty) {
        std::fputc('\n', stderr);
    }
}

bool WatchJob(ProgressBar& bar, const char* what) {
    auto* previous = std::signal(SIGINT, OnInterrupt);
    bool cancelled = false;
    bool sawTransfer = false;
    while (QDX_IsUploading()) {
        const unsigned int percent = QDX_GetUploadProgress();
        sawTransfer = sawTransfer || percent > 0;
        // Progress falls back to 0 once the transfer phase is over.
        bar.Show(percent, sawTransfer && percent == 0);
        if (g_interrupted && !cancelled) {
            std::fprintf(stderr, "\ninterrupted: cancelling the %s...\n", what);
            // Waits for the worker; 0 means the job is past its transfer phase and finishes.
            cancelled = QDX_CancelUpload(0xFFFFFFFF) == 1;
            g_interrupted = 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::signal(SIGINT, previous);
    return cancelled;
}

JobOutcome FollowJob(std::uint64_t total, std::string finishing, const char* what) {
    ProgressBar bar(total, std::move(finishing));
    JobOutcome outcome;
    outcome.cancelled = WatchJob(bar, what);
    CString status;
    unsigned long code = 0;
    QDX_GetAssetUploadStatus(status, code);
    if (code == 1) {
        bar.Show(100, false);
    }
    bar.End();
    outcome.code = outcome.cancelled ? 16384u : static_cast<unsigned int>(code);
    outcome.status = status.str();
    return outcome;
}
