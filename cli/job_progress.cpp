#include "cli/job_progress.h"

#include "cli/exit_status.h"
#include "cli/progress_bar.h"

#include <csignal>
#include <string>
#include <unistd.h>

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t g_interrupts = 0;
// What quitting at once may leave on the service, for the second Ctrl-C to say.
const char* volatile g_quitNote = "";

extern "C" void OnInterrupt(int) {
    if (g_interrupts > 0) {
        // The second Ctrl-C: the user does not want to wait for the cancel and its roll-back.
        const char text[] = "\nvanta: interrupted";
        (void)!write(STDERR_FILENO, text, sizeof(text) - 1);
        const char* note = g_quitNote;
        size_t length = 0;
        while (note[length] != '\0') {
            ++length;
        }
        (void)!write(STDERR_FILENO, note, length);
        (void)!write(STDERR_FILENO, "\n", 1);
        _exit(kExitInterrupted);
    }
    g_interrupts = 1;
}

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

// The bar's finer phases: the job's preparation is measuring until the total is known, and
// for an upload the quota check and the registration after that.
JobPhase BarPhase(JobKind kind, const vanta::Progress& progress) {
    switch (progress.phase) {
    case vanta::JobPhase::preparing:
        return kind == JobKind::kUpload && progress.total > 0 ? JobPhase::kRegistering
                                                              : JobPhase::kMeasuring;
    case vanta::JobPhase::transferring:
        return JobPhase::kSending;
    default:
        return JobPhase::kNotifying;
    }
}

unsigned int Percent(const vanta::Progress& progress) {
    if (progress.phase >= vanta::JobPhase::notifying) {
        return 100; // the bytes are out, also when a fast transfer ended between two polls
    }
    return progress.total == 0 ? 0
                               : static_cast<unsigned int>(progress.bytes * 100 / progress.total);
}
} // namespace

void FollowJob(JobKind kind, const JobControls& job) {
    InterruptScope interrupts;
    g_quitNote = kind == JobKind::kUpload
                     ? ": the upload was not rolled back; its asset may stay on the service "
                       "(vanta asset list shows it)"
                     : ": the email job was not rolled back; its files may stay on the service";
    const char* what = kind == JobKind::kUpload ? "upload" : "email job";
    ProgressBar bar;
    bool cancelAsked = false;
    while (!job.wait(kPollInterval)) {
        if (cancelAsked) {
            continue; // the bar stays where the cancel found it while the job takes back its work
        }
        const vanta::Progress progress = job.progress();
        bar.Show(BarPhase(kind, progress), Percent(progress), progress.total);
        if (g_interrupts > 0) {
            cancelAsked = true;
            bar.Note(std::string("vanta: interrupted: cancelling the ") + what +
                     " (Ctrl-C again to quit at once)");
            job.cancel();
            if (progress.phase >= vanta::JobPhase::notifying) {
                bar.Note(std::string("vanta: too late to cancel: the ") + what +
                         " is past its transfer");
            }
        }
    }
    bar.End();
}
