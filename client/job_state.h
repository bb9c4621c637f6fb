// The state behind a vanta::Job handle: the library's Job, run with the client's
// configuration and the handle's callbacks, and the phase the handle reports.
#pragma once

#include "client/client_impl.h"
#include "jobs/job.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class vanta::JobState final : public vanta::internal::JobObserver,
                              public std::enable_shared_from_this<vanta::JobState> {
public:
    enum class Kind { upload, share };

    JobState(Kind kind, const detail::ClientState& client, JobOptions options);
    JobState(const JobState&) = delete;
    JobState& operator=(const JobState&) = delete;
    // Waits for a worker that still runs (the library's job does), then removes the job's
    // private directory, if it has one.
    ~JobState() override;

    // Makes the library's job from `arguments` (the client's configuration and the handle's
    // status handler added) and starts its worker; on failure the state holds the error.
    void Start(internal::JobArguments arguments);
    // The job ends before it started, with `error`.
    void Fail(Error error) noexcept;
    // A directory of the job's own, removed with the state.
    void OwnDirectory(std::string path) { m_privateDir = std::move(path); }

    Progress Snapshot() const noexcept;
    void Cancel() noexcept;
    // True on the job's worker thread: inside the job's callbacks.
    bool OnWorkerThread() const noexcept { return m_job && m_job->OnWorkerThread(); }
    // On the worker's thread, when the last handle goes: the job is cancelled, calls back no
    // more, and the state stays until the worker has finished with it.
    void Detach() noexcept;
    bool WaitForEnd(std::chrono::milliseconds timeout) const noexcept;
    // Waits for the end of a job that started. Not on the worker's own thread.
    void WaitForResult() const noexcept;
    const std::optional<Error>& EarlyError() const { return m_early; }
    const internal::Job* LibraryJob() const { return m_job.get(); }
    const StatusHandler& StatusHandlerOfJob() const { return m_options.on_status; }

    // JobObserver, on the worker's thread.
    void OnProgress(const internal::Job& job) noexcept override;

private:
    // The worker of the library's job: the kind's own, framed by the phase reports.
    static Result<void> RunWorker(internal::Job& job, const CallContext& context);
    void Report() noexcept;
    // Whether a call for bytes moved is due under the options' interval and byte step.
    bool ProgressDue() const noexcept;

    const Kind m_kind;
    const std::shared_ptr<const ServiceConfig> m_service;
    JobOptions m_options;
    std::atomic<JobPhase> m_phase{JobPhase::preparing};
    std::optional<Error> m_early;
    bool m_detached = false; // read and written on the worker's thread only
    std::string m_privateDir;
    std::unique_ptr<internal::Job> m_job;
    // What the last on_progress call was given and when; only the worker touches them.
    std::uint64_t m_reportedBytes = 0;
    unsigned int m_reportedResumes = 0;
    std::chrono::steady_clock::time_point m_reportedAt{};
};
