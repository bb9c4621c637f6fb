/// \file
/// vanta::Client's background jobs: what an upload or a sharing job takes, its progress and
/// callbacks, what it gives, and the Job handle that follows it.
#pragma once

#include "vanta/export.h"
#include "vanta/results.hpp"
#include "vanta/status.hpp"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace vanta {

/// Where a job is. Phases only move forward.
enum class JobPhase {
    preparing,    ///< measuring files, checking the quota, registering
    transferring, ///< sending the files
    notifying,    ///< the files are sent; the service is told
    finished,     ///< the worker has ended
};

/// A job's progress.
struct Progress {
    std::uint64_t bytes = 0;              ///< sent so far in the transfer phase
    std::uint64_t total = 0;              ///< bytes of all files, once measured
    JobPhase phase = JobPhase::preparing; ///< where the job is
    /// How often the send broke off and went on over a new connection, from where the
    /// service's copy ended (within the client's retry policy); bytes are never counted twice.
    unsigned int resumes = 0;
    /// `bytes` as they stood when the send last resumed: "resuming at N %" for a display.
    std::uint64_t resumed_at = 0;
};

/// The callbacks of a job.
struct JobOptions {
    /// Called on the job's worker thread at every phase change, each time the send resumes
    /// over a new connection and, while files are sent, after each 1 KiB block, unless the
    /// two limits below space the block calls out; keep it short,
    /// the transfer waits for it. It may call the job's members (see Job). When the files go
    /// over several connections (Config::parallel_transfers), it is given their sum about
    /// every 25 ms instead, and the connections do not wait for it.
    std::function<void(const Progress&)> on_progress;
    /// The job's status notifications, on the job's worker thread. Empty: the client's
    /// on_status, if any.
    StatusHandler on_status;
    /// While files are sent, on_progress runs only once at least this long has passed since
    /// its last call (zero: no limit by time). A window that redraws needs no more than a
    /// few calls a second: 100 ms turns the ~58,600 calls of a 60 MB upload into ~10 a second.
    std::chrono::milliseconds progress_interval{0};
    /// While files are sent, on_progress runs only once at least this many further bytes have
    /// been sent since its last call (zero: every block). With both limits set, a call needs
    /// both. Phase changes, resumes and the call that reaches the total are always delivered.
    std::uint64_t progress_bytes = 0;
};

/// Someone the service mails about a new asset.
struct Recipient {
    std::string email;         ///< mail address
    std::string name;          ///< the person's name
    bool may_download = false; ///< false: view online only
};

/// An asset to upload.
struct UploadRequest {
    std::string user_id;                      ///< the owner
    unsigned int product = 0;                 ///< the product it belongs to
    std::string name;                         ///< the asset's name
    std::string description;                  ///< free text
    unsigned int asset_type = 0;              ///< the asset type
    std::vector<std::filesystem::path> files; ///< local files, sent in this order
    std::vector<Recipient> recipients;        ///< who is mailed the page address
};

/// A finished upload.
struct UploadOutcome {
    std::string asset_number; ///< the new asset's number
    std::string password;     ///< the password of its page
    std::string page_address; ///< the address of its page
};

/// Files to share by mail.
struct ShareRequest {
    std::string sender;                       ///< the sender's mail address
    std::vector<std::string> recipients;      ///< mail addresses
    std::string subject;                      ///< the mail's subject
    std::string message;                      ///< the mail's text, lines separated by LF
    std::string sender_name;                  ///< the sender's name as the mail shows it
    std::vector<std::filesystem::path> files; ///< local files to attach
};

/// A finished sharing job: the mails were requested. Nothing more to say.
struct ShareOutcome {};

class JobState;

/// A running or finished job; `Outcome` is what it gives on success. Moving is fine; destroying a
/// handle whose job still runs cancels the job and waits for its worker, at most a few seconds (the
/// worker's transfer is aborted in flight). Any thread may call the members, also several at once.
///
/// The job's own callbacks (JobOptions, on the job's worker thread) may call every member as
/// well, and none waits for the worker there: progress() and cancel() work as anywhere; wait()
/// and finished() give false at once; outcome() gives invalid_argument, "the job has not
/// finished"; destroying the handle, or assigning another job to it, cancels the job without
/// waiting: the job then ends on its own, withdrawing what it registered and calling back no
/// more, and the library's unload waits for it.
template <class Outcome>
class [[nodiscard]] Job {
public:
    /// Made by Client::upload and Client::share_by_email.
    explicit Job(std::shared_ptr<JobState> state) noexcept : m_state(std::move(state)) {}
    /// Takes over the other handle's job; the other handle is empty.
    Job(Job&&) noexcept = default;
    /// Releases this handle's job (as the destructor does), then takes over the other's.
    Job& operator=(Job&& other) noexcept {
        if (this != &other) {
            release();
            m_state = std::move(other.m_state);
        }
        return *this;
    }
    /// Cancels a job that still runs and waits for its worker.
    ~Job() { release(); }

    /// Bytes sent, total and phase, as of now.
    Progress progress() const noexcept;
    /// Asks the job to stop; returns at once. A job past its transfer finishes normally.
    void cancel() noexcept;
    /// True when the job has finished within `timeout`. In the job's own callbacks: false at
    /// once.
    bool wait(std::chrono::milliseconds timeout) noexcept;
    /// True when the job's worker has ended.
    bool finished() const noexcept;
    /// Waits for the end (bounded: every network wait of the job is) and gives the outcome. In
    /// the job's own callbacks: invalid_argument at once, the job has not finished.
    Result<Outcome> outcome() noexcept;

private:
    void release() noexcept;
    std::shared_ptr<JobState> m_state;
};

/// The handle of an upload.
using UploadJob = Job<UploadOutcome>;
/// The handle of a sharing job.
using ShareJob = Job<ShareOutcome>;

//// @cond INTERNAL
// The members of Job, defined in the library for the two outcomes above.
namespace detail {
VANTA_API Progress job_progress(const JobState& state) noexcept;
VANTA_API void job_cancel(JobState& state) noexcept;
VANTA_API bool job_wait(JobState& state, std::chrono::milliseconds timeout) noexcept;
VANTA_API Result<UploadOutcome> upload_outcome(JobState& state) noexcept;
VANTA_API Result<ShareOutcome> share_outcome(JobState& state) noexcept;
VANTA_API void job_release(JobState& state) noexcept;
} // namespace detail
/// @endcond

template <class Outcome>
Progress Job<Outcome>::progress() const noexcept {
    return m_state ? detail::job_progress(*m_state) : Progress{};
}
template <class Outcome>
void Job<Outcome>::cancel() noexcept {
    if (m_state) {
        detail::job_cancel(*m_state);
    }
}
template <class Outcome>
bool Job<Outcome>::wait(std::chrono::milliseconds timeout) noexcept {
    return !m_state || detail::job_wait(*m_state, timeout);
}
template <class Outcome>
bool Job<Outcome>::finished() const noexcept {
    return !m_state || detail::job_wait(*m_state, std::chrono::milliseconds(0));
}
template <class Outcome>
Result<Outcome> Job<Outcome>::outcome() noexcept {
    if (!m_state) {
        try {
            return Error{ErrorCategory::invalid_argument, 0, "the job handle is empty", {}};
        } catch (...) { // no memory left for the reason
            return Error{ErrorCategory::invalid_argument, 0, {}, {}};
        }
    }
    if constexpr (std::is_same_v<Outcome, UploadOutcome>) {
        return detail::upload_outcome(*m_state);
    } else {
        return detail::share_outcome(*m_state);
    }
}
template <class Outcome>
void Job<Outcome>::release() noexcept {
    if (m_state) {
        detail::job_release(*m_state);
        m_state.reset();
    }
}

} // namespace vanta
