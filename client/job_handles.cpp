// Background jobs as handles: the library's Job, run with the client's configuration and the
// handle's callbacks, and the members of vanta::Job.
#include "client/job_state.h"

#include "email/info_file.h"
#include "jobs/email_worker.h"
#include "jobs/upload_worker.h"
#include "os/local_directories.h"
#include "os/temp_path.h"
#include "vanta/result_codes.h"

#include <algorithm>

namespace vanta {
using namespace vanta::result;

namespace {
// Waits for the job's end: its early error, its worker's failure, or `outcome()` on success.
template <class T, class Outcome>
Result<T> FinishedJob(JobState& state, std::string_view doing, Outcome outcome) noexcept {
    return Guarded<T>(doing, [&]() -> Result<T> {
        if (state.OnWorkerThread()) {
            // Inside the job's own callbacks: the job cannot end while its worker waits here.
            return FailedWith(ErrorCategory::invalid_argument, kZero, doing,
                              "the job has not finished: called from inside its own callback");
        }
        state.WaitForResult();
        if (state.EarlyError()) {
            return *state.EarlyError();
        }
        // A state without an early error holds a job that ran.
        if (const std::optional<Error>& failure = state.LibraryJob()->Failure()) {
            return *failure;
        }
        return outcome();
    });
}

DWORD Milliseconds(std::chrono::milliseconds timeout) {
    // INFINITE itself would mean "no limit": the longest finite wait is one below it.
    return static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1));
}
} // namespace

JobState::JobState(Kind kind, const detail::ClientState& client, JobOptions options)
    : m_kind(kind), m_service(std::make_shared<const ServiceConfig>(client.service)),
      m_options(std::move(options)) {
    if (!m_options.on_status) {
        m_options.on_status = client.config.on_status;
    }
}

JobState::~JobState() {
    m_job.reset();
    if (!m_privateDir.empty()) {
        // What the job left there (the request file after a failed transfer), then the
        // directory.
        DeleteLocalFile((m_privateDir + "/" + kEmailInfoName).c_str());
        RemoveEmptyDirectory(m_privateDir);
    }
}

void JobState::Start(internal::JobArguments arguments) {
    arguments.config = m_service;
    arguments.status = SinkFor(m_options.on_status);
    arguments.observer = this;
    const internal::JobWork& work = m_kind == Kind::upload ? kUploadWork : kShareWork;
    m_job = std::make_unique<internal::Job>(std::move(arguments),
                                            internal::JobWork{&JobState::RunWorker, work.doing});
    if (!m_job->Start()) {
        m_job.reset();
        Fail(FailedWith(ErrorCategory::internal, kZero, "starting a job",
                        "the job's thread could not be started"));
    }
}

void JobState::Fail(Error error) noexcept {
    m_early = std::move(error);
    m_phase.store(JobPhase::finished);
}

Result<void> JobState::RunWorker(internal::Job& job, const CallContext& context) {
    auto& state = *static_cast<JobState*>(job.Observer());
    state.Report();
    const internal::JobWork& work = state.m_kind == Kind::upload ? kUploadWork : kShareWork;
    Result<void> outcome = work.run(job, context);
    state.m_phase.store(JobPhase::finished);
    state.Report();
    return outcome;
}

void JobState::OnProgress(const internal::Job& job) noexcept {
    // This runs once per block sent: only what changed is stored, and without a receiver the
    // phase is all there is to keep.
    const JobPhase seen = m_phase.load();
    JobPhase phase = seen;
    if (phase == JobPhase::preparing && job.SendBegun()) {
        phase = JobPhase::transferring;
    }
    if (phase == JobPhase::transferring && !job.InTransferPhase()) {
        phase = JobPhase::notifying;
    }
    if (phase != seen) {
        m_phase.store(phase);
    }
    if (!m_options.on_progress || m_detached) {
        return;
    }
    // A resume is always told: a display says so while the bytes stand still.
    const bool changed = phase != seen || job.Resumes() != m_reportedResumes;
    if (changed || ProgressDue()) {
        Report();
    }
}

bool JobState::ProgressDue() const noexcept {
    // Without limits every block is reported, and this runs once per block: ask no clock.
    if (m_options.progress_bytes == 0 && m_options.progress_interval.count() <= 0) {
        return true;
    }
    const Progress now = Snapshot();
    if (now.total != 0 && now.bytes >= now.total && m_reportedBytes < now.total) {
        return true; // the call that reaches 100 % is never held back
    }
    return now.bytes - std::min(now.bytes, m_reportedBytes) >= m_options.progress_bytes &&
           std::chrono::steady_clock::now() - m_reportedAt >= m_options.progress_interval;
}

void JobState::Report() noexcept {
    if (!m_options.on_progress || m_detached) {
        return;
    }
    const FailureReasonKeeper keeper;
    const Progress now = Snapshot();
    m_reportedBytes = now.bytes;
    m_reportedResumes = now.resumes;
    m_reportedAt = std::chrono::steady_clock::now();
    // The caller's exception must not end the worker.
    try {
        m_options.on_progress(now);
    } catch (...) {
    }
}

Progress JobState::Snapshot() const noexcept {
    if (!m_job) {
        return Progress{0, 0, m_phase.load()};
    }
    // The count first: its offset was stored before it grew.
    const unsigned int resumes = m_job->Resumes();
    return Progress{m_job->BytesSent(), m_job->TotalBytes(), m_phase.load(), resumes,
                    m_job->ResumedAt()};
}

void JobState::Cancel() noexcept {
    if (m_job) {
        m_job->RequestCancel();
    }
}

void JobState::Detach() noexcept {
    // Whoever let the handle go may be taking the callbacks' objects with it: the progress
    // reports stop here, the status notifications in the job.
    m_detached = true;
    // Client's job starts make every state with make_shared, so there is an owner to share.
    if (std::shared_ptr<JobState> self = weak_from_this().lock()) {
        m_job->Detach(std::move(self));
    } else {
        m_job->MuteStatus();
        Cancel();
    }
}

bool JobState::WaitForEnd(std::chrono::milliseconds timeout) const noexcept {
    return !m_job || m_job->WaitForEnd(Milliseconds(timeout));
}

void JobState::WaitForResult() const noexcept {
    // Every wait of the worker is bounded, and so is this one.
    if (m_job) {
        m_job->WaitForEnd(INFINITE);
    }
}

namespace detail {
Progress job_progress(const JobState& state) noexcept {
    return state.Snapshot();
}

void job_cancel(JobState& state) noexcept {
    state.Cancel();
}

bool job_wait(JobState& state, std::chrono::milliseconds timeout) noexcept {
    return state.WaitForEnd(timeout);
}

Result<UploadOutcome> upload_outcome(JobState& state) noexcept {
    return FinishedJob<UploadOutcome>(state, "uploading an asset", [&] {
        const internal::Job& job = *state.LibraryJob();
        return UploadOutcome{ToString(job.m_strAssetNum), ToString(job.m_strPassword),
                             ToString(job.m_strStatus)};
    });
}

Result<ShareOutcome> share_outcome(JobState& state) noexcept {
    return FinishedJob<ShareOutcome>(state, "sharing files by mail", [] { return ShareOutcome{}; });
}

void job_release(JobState& state) noexcept {
    // From inside the job's own callbacks its worker cannot end while this waits: the job
    // cancels, withdraws what it registered and goes on its own.
    if (state.OnWorkerThread()) {
        state.Detach();
        return;
    }
    // The cancel aborts a transfer in flight within a quarter second; a request the worker is
    // in ends within its own limits. The library's job then waits for its worker.
    state.Cancel();
    state.WaitForResult();
}
} // namespace detail

} // namespace vanta
