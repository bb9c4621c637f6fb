#include "cli/job_progress.h"

#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/progress_bar.h"

#include <atomic>
#include <csignal>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {
// A cancel aborts the transfer in flight within a quarter second; the worker then withdraws
// what it registered, one short request.
constexpr unsigned long kCancelWaitMs = 15000;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t g_interrupts = 0;
std::atomic<bool> g_jobTalked{false};
std::atomic<int> g_handlesClosed{0};

extern "C" void OnInterrupt(int) {
    if (g_interrupts > 0) {
        // The second Ctrl-C: the user does not want to wait for the cancel.
        const char text[] = "\nvanta: interrupted\n";
        (void)!write(STDERR_FILENO, text, sizeof(text) - 1);
        _exit(kExitInterrupted);
    }
    g_interrupts = 1;
}

unsigned long WINAPI NoteJobStatus(unsigned long status, void* info, unsigned long length) {
    g_jobTalked = true;
    if (status == 70) { // HANDLE_CLOSING: one request or FTP session of the job is over
        ++g_handlesClosed;
    }
    if (const StatusCallback print = CliStatusCallback(); print != nullptr) {
        print(status, info, length);
    }
    return 0;
}

// The phase as far as the outside can tell: the job's first notification ends measuring; a
// moving figure is sending; the figure back at 0 after it moved is the final request. The
// workers' steps come in a fixed order (upload: quota, registration, FTP, notification;
// email: FTP, mail request), so the count of finished requests tells the phase too, also
// when a fast transfer starts and ends between two polls.
class PhaseTracker {
public:
    explicit PhaseTracker(JobKind kind) : m_kind(kind) {}

    JobPhase Update(unsigned int percent) {
        const int finished = g_handlesClosed;
        if (finished >= (m_kind == JobKind::kUpload ? 3 : 1)) {
            m_sawBytes = true;
            return percent > 0 ? JobPhase::kSending : JobPhase::kNotifying;
        }
        if (percent > 0) {
            m_sawBytes = true;
            return JobPhase::kSending;
        }
        if (m_sawBytes) {
            return JobPhase::kNotifying;
        }
        if (!g_jobTalked) {
            return JobPhase::kMeasuring;
        }
        return m_kind == JobKind::kUpload ? JobPhase::kRegistering : JobPhase::kSending;
    }

private:
    JobKind m_kind;
    bool m_sawBytes = false;
};

class InterruptScope {
public:
    InterruptScope() {
        g_interrupts = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptScope() { sigaction(SIGINT, &m_previous, nullptr); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction m_previous {};
};
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

StatusCallback JobStatusCallback() {
    g_jobTalked = false;
    g_handlesClosed = 0;
    return &NoteJobStatus;
}

JobOutcome FollowJob(JobKind kind, std::uint64_t total) {
    InterruptScope interrupts;
    ProgressBar bar(total);
    PhaseTracker phases(kind);
    JobOutcome outcome;
    bool cancelAsked = false;
    const char* what = kind == JobKind::kUpload ? "upload" : "email job";
    while (QDX_IsUploading()) {
        const unsigned int percent = QDX_GetUploadProgress();
        const JobPhase phase = phases.Update(percent);
        bar.Show(phase, phase == JobPhase::kNotifying ? 100 : percent);
        if (g_interrupts > 0 && !cancelAsked) {
            cancelAsked = true;
            bar.Note(std::string("vanta: interrupted: cancelling the ") + what +
                     " (Ctrl-C again to quit at once)");
            if (QDX_CancelUpload(kCancelWaitMs) == 1) {
                outcome.cancelled = true;
                break;
            }
            if (QDX_IsUploading() && QDX_GetUploadProgress() == 0 &&
                phase == JobPhase::kNotifying) {
                bar.Note(std::string("vanta: too late to cancel: the ") + what +
                         " is past its transfer");
            }
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    CString status;
    unsigned long code = 0;
    QDX_GetAssetUploadStatus(status, code);
    bar.End();
    outcome.code = outcome.cancelled ? 16384u : static_cast<unsigned int>(code);
    outcome.status = status.str();
    return outcome;
}
