// Background jobs as handles: the library's Job, run with the client's configuration and the
// handle's callbacks, and the members of vanta::Job.
#include "client/job_state.h"

#include "email/info_file.h"
#include "jobs/email_worker.h"
#include "jobs/job_failure.h"
#include "jobs/upload_worker.h"
#include "os/temp_path.h"
#include "vanta/result_codes.h"

#include <algorithm>
#include <unistd.h>

namespace vanta {
using namespace vanta::result;

namespace {
// The category of a job worker's outcome code.
ErrorCategory JobErrorCategory(unsigned int code) {
    switch (code) {
    case kLocalFileError:
        return ErrorCategory::local_file;
    case kNoSpace:
        return ErrorCategory::no_space;
    case kServiceFail:
    case kZero:
        return ErrorCategory::refused;
    case kCancelled:
        return ErrorCategory::cancelled;
    default:
        return ErrorCategory::network;
    }
}

// One outcome code of a job worker as an error, described by the code alone.
Error JobErrorByCode(unsigned int code, std::string_view doing) {
    return FailedWith(JobErrorCategory(code), code, doing, internal::DescribeJobFailure(code).text);
}

// One outcome code of a job worker as the handle's error, with the reason the worker recorded
// when it recorded one (a cancel keeps its own).
Error JobError(unsigned int code, std::string_view doing, std::string_view workerReason) {
    Error error = JobErrorByCode(code, doing);
    if (!workerReason.empty() && code != kCancelled) {
        try {
            error.reason = workerReason;
        } catch (...) {
            // The reason by code stands.
        }
    }
    return error;
}

// Waits for the job's end: its early error, its worker's failure, or `outcome()` on success.
template <class T, class Outcome>
Result<T> FinishedJob(JobState& state, std::string_view doing, Outcome outcome) noexcept {
    return Guarded<T>(doing, [&]() -> Result<T> {
        if (state.OnWorkerThread()) {
            // Inside the job's own callbacks: the job cannot end while its worker waits here.
            return FailedWith(ErrorCategory::invalid_argument, kZero, doing,
                              "the job has not finished: called from inside its own callback");
        }
        const unsigned int code = state.WaitForResult();
        if (state.EarlyError()) {
            return *state.EarlyError();
        }
        if (code != kSuccess) {
            const internal::Job* job = state.LibraryJob();
            Error error = JobError(code, doing, job != nullptr ? job->WorkerFailureReason() : "");
            // The roll-back could not take everything away: the reason that says what stayed
            // goes to the caller (a cancel's too), with the number of an asset that stayed.
            if (job != nullptr && job->m_bLeftBehind) {
                if (job->m_bRegistered) {
                    error.asset_number = ToString(job->m_strAssetNum);
                }
                if (!job->WorkerFailureReason().empty()) {
                    error.reason = job->WorkerFailureReason();
                }
            }
            return error;
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
    : m_kind(kind), m_service(client.service), m_options(std::move(options)) {
    if (!m_options.on_status) {
        m_options.on_status = client.config.on_status;
    }
}

JobState::~JobState() {
    m_job.reset();
    if (!m_privateDir.empty()) {
        // What the job left there (the request file after a failed transfer), then the
        // directory.
        DeleteFileA((m_privateDir + "/" + kEmailInfoName).c_str());
        ::rmdir(m_privateDir.c_str());
    }
}

void JobState::Start(internal::JobArguments arguments) {
    arguments.callback = ScopedStatusHandler::CallbackFor(m_options.on_status);
    arguments.observer = this;
    m_job = std::make_unique<internal::Job>(std::move(arguments), &JobState::RunWorker);
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

unsigned int JobState::RunWorker(internal::Job& job) {
    auto& state = *static_cast<JobState*>(job.Observer());
    unsigned int result = 0;
    {
        ScopedServiceConfig config(state.m_service);
        ScopedStatusHandler status(&state.m_options.on_status);
        state.Report();
        result = state.m_kind == Kind::upload ? RunUpload(job) : RunEmail(job);
    }
    state.m_phase.store(JobPhase::finished);
    state.Report();
    return result;
}

void JobState::OnProgress(const internal::Job& job) noexcept {
    JobPhase phase = m_phase.load();
    if (phase == JobPhase::preparing && job.SendBegun()) {
        phase = JobPhase::transferring;
    }
    if (phase == JobPhase::transferring && !job.InTransferPhase()) {
        phase = JobPhase::notifying;
    }
    const bool changed = phase != m_phase.load();
    m_phase.store(phase);
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
    return Progress{m_job->BytesSent(), m_job->TotalBytes(), m_phase.load()};
}

void JobState::Cancel() noexcept {
    if (m_job) {
        m_job->RequestCancel();
    }
}

void JobState::Detach() noexcept {
    // Whoever let the handle go may be taking the callbacks' objects with it.
    m_detached = true;
    ScopedStatusHandler::MuteThisThread();
    // Client's job starts make every state with make_shared, so there is an owner to share.
    if (std::shared_ptr<JobState> self = weak_from_this().lock()) {
        m_job->Detach(std::move(self));
    } else {
        Cancel();
    }
}

bool JobState::WaitForEnd(std::chrono::milliseconds timeout) const noexcept {
    return !m_job || m_job->WaitForEnd(Milliseconds(timeout));
}

unsigned int JobState::WaitForResult() const noexcept {
    if (!m_job) {
        return kZero;
    }
    // Every wait of the worker is bounded, and so is this one.
    m_job->WaitForEnd(INFINITE);
    return m_job->Result();
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
