#include "cli/job_progress.h"

#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/progress_bar.h"

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(100);
// How long the bar says that the send resumed: long enough to be read.
constexpr auto kResumeNoteFor = std::chrono::seconds(3);

volatile std::sig_atomic_t g_interrupts = 0;
// What quitting at once may leave on the service, for the second Ctrl-C to say.
const char* volatile g_quitNote = "";

void OnInterrupt() {
    if (g_interrupts > 0) {
        // The second Ctrl-C: the user does not want to wait for the cancel and its roll-back.
        const char text[] = "\nvanta: interrupted";
        WriteStderrNow(text, sizeof(text) - 1);
        const char* note = g_quitNote;
        size_t length = 0;
        while (note[length] != '\0') {
            ++length;
        }
        WriteStderrNow(note, length);
        WriteStderrNow("\n", 1);
        ExitNow(kExitInterrupted);
    }
    g_interrupts = 1;
}

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

// The job takes its files in the order given and counts their bytes as one sum: the file named
// is the one whose share of the sum the count is in. Over one connection that is the file being
// sent; over several (--parallel), which send files side by side, it is about the earliest one
// still on its way.
class FileTracker {
public:
    explicit FileTracker(const std::vector<std::string>& files) {
        std::uint64_t end = 0;
        for (const std::string& path : files) {
            std::error_code error;
            // The name is UTF-8 on every platform; a char path would be read in the ANSI code
            // page on Windows.
            const std::uintmax_t size =
                std::filesystem::file_size(std::u8string(path.begin(), path.end()), error);
            end += error ? 0 : size;
            const size_t slash = path.rfind('/');
            m_files.emplace_back(slash == std::string::npos ? path : path.substr(slash + 1), end);
        }
    }

    std::string At(std::uint64_t sent) const {
        for (const auto& [name, end] : m_files) {
            if (sent < end) {
                return name;
            }
        }
        return m_files.empty() ? "" : m_files.back().first;
    }

private:
    std::vector<std::pair<std::string, std::uint64_t>> m_files; // name, where its bytes end
};

ProgressFrame FrameOf(JobKind kind, const vanta::Progress& progress, const FileTracker& files) {
    ProgressFrame frame;
    frame.phase = BarPhase(kind, progress);
    frame.percent = Percent(progress);
    frame.sent = progress.bytes;
    frame.total = progress.total;
    if (frame.phase == JobPhase::kSending) {
        frame.file = files.At(progress.bytes);
    }
    if (frame.phase >= JobPhase::kNotifying) {
        frame.sent = progress.total;
    }
    return frame;
}

// "resuming at N %" for a while after the job's send went on over a new connection, N its
// percent when it did.
class ResumeNote {
public:
    std::string For(const vanta::Progress& progress) {
        const auto now = std::chrono::steady_clock::now();
        if (progress.resumes != m_resumes) {
            m_resumes = progress.resumes;
            m_since = now;
            const unsigned int percent =
                progress.total == 0
                    ? 0
                    : static_cast<unsigned int>(std::min(progress.resumed_at, progress.total) *
                                                100 / progress.total);
            m_text = "resuming at " + std::to_string(percent) + " %";
        }
        const bool sending = progress.phase == vanta::JobPhase::transferring;
        return sending && now - m_since < kResumeNoteFor ? m_text : "";
    }

private:
    unsigned int m_resumes = 0;
    std::chrono::steady_clock::time_point m_since{};
    std::string m_text;
};

// The last frame: the outcome in place of the phase, with the bytes as the job left them. The
// job's phase now reads "finished" whatever step it ended in, so the step is the one `seen`
// last; a job that ended in its transfer names the file it was sending.
ProgressFrame LastFrame(JobEnd end, const vanta::Progress& seen, const vanta::Progress& last,
                        const FileTracker& files) {
    ProgressFrame frame;
    frame.phase = end == JobEnd::kDone        ? JobPhase::kDone
                  : end == JobEnd::kCancelled ? JobPhase::kCancelled
                                              : JobPhase::kFailed;
    frame.total = last.total;
    if (end == JobEnd::kDone || seen.phase >= vanta::JobPhase::notifying) {
        frame.percent = 100;
        frame.sent = last.total;
        return frame;
    }
    frame.sent = std::min(last.bytes, last.total);
    frame.percent = last.total == 0 ? 0 : static_cast<unsigned int>(frame.sent * 100 / last.total);
    const bool sending = seen.phase == vanta::JobPhase::transferring || last.bytes > 0;
    if (sending && frame.sent < frame.total) {
        frame.file = files.At(frame.sent);
    }
    return frame;
}
} // namespace

void FollowJob(JobKind kind, const std::vector<std::string>& files, const JobControls& job) {
    g_interrupts = 0;
    const InterruptHandling interrupts(&OnInterrupt);
    g_quitNote = kind == JobKind::kUpload
                     ? ": the upload was not rolled back; its asset may stay on the service "
                       "(vanta asset list shows it)"
                     : ": the email job was not rolled back; its files may stay on the service";
    const char* what = kind == JobKind::kUpload ? "upload" : "email job";
    const FileTracker tracker(files);
    ProgressBar bar;
    bool cancelAsked = false;
    vanta::Progress seen; // as the last frame showed it
    ResumeNote resumeNote;
    while (!job.wait(kPollInterval)) {
        if (cancelAsked) {
            continue; // the bar stays where the cancel found it while the job takes back its work
        }
        const vanta::Progress progress = job.progress();
        if (progress.phase == vanta::JobPhase::finished) {
            continue; // ended since the wait: the last frame says how
        }
        seen = progress;
        ProgressFrame frame = FrameOf(kind, progress, tracker);
        frame.note = resumeNote.For(progress);
        bar.Show(std::move(frame));
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
    // The worker has ended: its outcome, not the last poll, decides the last frame.
    const JobEnd end = job.end();
    bar.Finish(LastFrame(end, seen, job.progress(), tracker));
}
