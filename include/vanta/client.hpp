// The C++ interface to the publishing service: a Client made from a Config, typed records,
// results as values, and background jobs as handles.
//
//     vanta::Client client(vanta::Config::from_environment());
//     auto login = client.validate_user("alice", "secret", "7");
//     if (!login) {
//         std::cerr << login.error().reason << '\n';  // e.g. wrong_password
//     }
//     auto job = client.upload({.user_id = "alice", .product = 7, .name = "Holiday",
//                               .files = {"/home/alice/a.jpg"}},
//                              {.on_progress = [](const vanta::Progress& p) { ... }});
//     if (job.wait(std::chrono::minutes(5))) {
//         vanta::Result<vanta::UploadOutcome> outcome = job.outcome();
//     }
//
// Nothing here throws: every operation gives a Result that holds its value or an Error. A
// Client holds only its configuration, so any number of threads may use one Client at once,
// and clients with different configurations work side by side. Each operation blocks its
// caller until it is done, bounded by the configured time-outs; only upload and
// share_by_email run in the background.
#pragma once

#include "vanta/export.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vanta {

// ---------------------------------------------------------------------------------------
// Outcomes

/// What kind of failure an Error is. Each outcome of an operation has one category.
enum class ErrorCategory {
    /// The host could not be reached, a wait ran out, the transfer or the reply broke off,
    /// or the service answered with an error page.
    network,
    unknown_user,           ///< the service knows no such user
    wrong_password,         ///< the password does not match the account
    product_not_registered, ///< the login is right but the product is not the account's
    not_found,              ///< no such asset, homepage, file or directory
    refused,                ///< the service declined the request (its FAIL or ERROR answer)
    no_space,               ///< the upload does not fit the user's disk quota
    local_file,             ///< a local file could not be opened, read or written
    unexpected_reply,       ///< the service's reply does not have the expected shape
    invalid_argument,       ///< the request was refused before anything was sent
    cancelled,              ///< the job was cancelled
    internal,               ///< the library itself failed (out of memory, no thread)
};

/// The category's name as written above, e.g. "wrong_password".
VANTA_API std::string_view to_string(ErrorCategory category) noexcept;

/// Why an operation failed.
struct Error {
    ErrorCategory category = ErrorCategory::internal;
    /// The result code that the matching QDX_ export gives for the same outcome (0 when the
    /// failure has no export counterpart).
    unsigned int code = 0;
    /// What went wrong, for people: "<what it was doing>: <detail>".
    std::string reason;
};

/// A value or an Error. Reading value() of a Result that holds an Error (or error() of one
/// that holds a value) is a programming error and aborts the process: test first.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool has_value() const noexcept { return m_state.index() == 0; }
    explicit operator bool() const noexcept { return has_value(); }

    T& value() & { return *checked(std::get_if<0>(&m_state)); }
    const T& value() const& { return *checked(std::get_if<0>(&m_state)); }
    T&& value() && { return std::move(*checked(std::get_if<0>(&m_state))); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    template <class U>
    T value_or(U&& fallback) const& {
        return has_value() ? value() : static_cast<T>(std::forward<U>(fallback));
    }

    const Error& error() const { return *checked(std::get_if<1>(&m_state)); }

private:
    template <class P>
    static P* checked(P* p) {
        if (p == nullptr) {
            std::abort();
        }
        return p;
    }
    std::variant<T, Error> m_state;
};

/// An operation that gives no value: success, or an Error.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool has_value() const noexcept { return !m_error.has_value(); }
    explicit operator bool() const noexcept { return has_value(); }
    const Error& error() const {
        if (!m_error) {
            std::abort();
        }
        return *m_error;
    }

private:
    std::optional<Error> m_error;
};

// ---------------------------------------------------------------------------------------
// Configuration and notifications

/// A status notification of the network layer: its Internet status number
/// (10 resolving name ... 70 handle closing) and its information block, valid only during the
/// call.
struct StatusNotification {
    unsigned long code = 0;          ///< the Internet status number
    std::span<const std::byte> info; ///< the information block (may be empty)
};
/// Receiver of status notifications; the thread it runs on is documented where it is given.
using StatusHandler = std::function<void(const StatusNotification&)>;

/// Where a Client finds the service, and how long it waits. The defaults are those of the
/// exports.
struct Config {
    std::string host = "localhost"; ///< host name or address of the service
    unsigned int http_port = 80;    ///< port of the service's CGI programs
    unsigned int ftp_port = 21;     ///< port of the service's FTP server
    /// No progress on an FTP control or data connection for this long ends the operation.
    std::chrono::milliseconds ftp_timeout{30000};
    /// Receives the status notifications of this client's operations. It runs on the thread
    /// that called the operation, during the call; for a job without a handler of its own, on
    /// the job's worker thread. It must be safe to call from several threads when the client
    /// is. Empty: no notifications.
    StatusHandler on_status;

    /// The configuration the exports would use in this process now, without command-line
    /// flags: environment (VANTA_SERVER, VANTA_HTTP_PORT, VANTA_FTP_PORT,
    /// VANTA_FTP_TIMEOUT_MS), then the registry file, then the defaults above.
    VANTA_API static Config from_environment();
};

// ---------------------------------------------------------------------------------------
// Records

using TimePoint = std::chrono::system_clock::time_point;

/// A valid login, with the service's two flags.
struct Login {
    bool has_published = false; ///< the account has published an asset under the product
    bool has_homepage = false;  ///< the account has a homepage
};

/// The personal details of an account, as registration and update send them.
struct UserDetails {
    std::string first_name, last_name, middle_initial;
    std::string address, city, state, zip;
    std::string email, day_phone, extension, fax, night_phone;
    std::string code;
};

struct NewAccount {
    std::string user_id; ///< also names the account's directory on the service
    std::string password;
    std::string product_id;
    UserDetails details;
};

struct Registration {
    enum class Kind {
        new_account, ///< the account was created
        new_product, ///< a known account registered a further product
        existing,    ///< the account and the product were both known
    };
    Kind kind = Kind::new_account;
    std::string user_id;
    std::string user_number;
    std::string message; ///< the service's free text
};

/// The service's record of a user.
struct User {
    std::string user_id;
    UserDetails details;
    std::int64_t user_number = 0;
    std::int64_t asset_count = 0;
    std::int64_t product_count = 0;
};

struct Asset {
    std::string user_number;
    std::string asset_number;
    std::string name;
    std::string description; ///< free text, as the service sent it
    std::int64_t product = 0;
    std::int64_t type = 0;
    std::int64_t declared_size = 0; ///< bytes, as announced when the asset was created
    std::string asset_id;
    std::string password;
    TimePoint created;
    std::int64_t file_count = 0;
    std::string page_address;
    std::int64_t page_views = 0;
    std::vector<std::string> file_names;
};

/// The page views of an asset on one day.
struct AssetStat {
    std::chrono::sys_days day;
    std::int64_t page_views = 0;
};

struct DiskSpace {
    std::uint64_t quota = 0; ///< bytes
    std::uint64_t used = 0;  ///< bytes stored now
};

struct Homepage {
    std::string title, heading, body, theme, reply;
};

struct VersionCheck {
    std::string library; ///< the version this library announces
    std::string service; ///< the version the service offers, as it sent it
    bool up_to_date = false;
};

// ---------------------------------------------------------------------------------------
// Jobs

/// Where a job is. Phases only move forward.
enum class JobPhase { preparing, transferring, notifying, finished };

struct Progress {
    std::uint64_t bytes = 0; ///< sent so far in the transfer phase
    std::uint64_t total = 0; ///< bytes of all files, once measured
    JobPhase phase = JobPhase::preparing;
};

struct JobOptions {
    /// Called on the job's worker thread at every phase change and after each block sent;
    /// keep it short, the transfer waits for it.
    std::function<void(const Progress&)> on_progress;
    /// The job's status notifications, on the job's worker thread. Empty: the client's
    /// on_status, if any.
    StatusHandler on_status;
};

struct Recipient {
    std::string email;
    std::string name;
    bool may_download = false; ///< false: view online only
};

struct UploadRequest {
    std::string user_id;
    unsigned int product = 0;
    std::string name;
    std::string description;
    unsigned int asset_type = 0;
    std::vector<std::filesystem::path> files;
    std::vector<Recipient> recipients;
};

struct UploadOutcome {
    std::string asset_number;
    std::string password;
    std::string page_address;
};

struct ShareRequest {
    std::string sender; ///< mail address
    std::vector<std::string> recipients;
    std::string subject;
    std::string message; ///< lines separated by LF
    std::string sender_name;
    std::vector<std::filesystem::path> files;
};

struct ShareOutcome {};

class JobState;
namespace detail {
struct ClientState;
}

/// A running or finished job. Moving is fine; destroying a handle whose job still runs
/// cancels the job and waits for its worker, at most a few seconds (the worker's transfer
/// is aborted in flight). Any thread may call the members, also several at once.
template <class Outcome>
class [[nodiscard]] Job {
public:
    explicit Job(std::shared_ptr<JobState> state) : m_state(std::move(state)) {}
    Job(Job&&) noexcept = default;
    Job& operator=(Job&& other) noexcept {
        if (this != &other) {
            release();
            m_state = std::move(other.m_state);
        }
        return *this;
    }
    ~Job() { release(); }

    Progress progress() const;
    /// Asks the job to stop; returns at once. A job past its transfer finishes normally.
    void cancel();
    /// True when the job has finished within `timeout`.
    bool wait(std::chrono::milliseconds timeout);
    bool finished() const;
    /// Waits for the end (bounded: every network wait of the job is) and gives the outcome.
    Result<Outcome> outcome();

private:
    void release() noexcept;
    std::shared_ptr<JobState> m_state;
};

using UploadJob = Job<UploadOutcome>;
using ShareJob = Job<ShareOutcome>;

// ---------------------------------------------------------------------------------------
// The client

class VANTA_API Client {
public:
    explicit Client(Config config = Config::from_environment());
    ~Client();
    Client(const Client&);
    Client& operator=(const Client&);
    Client(Client&&) noexcept;
    Client& operator=(Client&&) noexcept;

    const Config& config() const noexcept;

    // Accounts
    Result<Login> validate_user(std::string_view user_id, std::string_view password,
                                std::string_view product_id) const;
    Result<Registration> register_user(const NewAccount& account) const;
    Result<User> user_info(std::string_view user_id) const;
    Result<void> update_user(std::string_view user_id, std::string_view password,
                             const UserDetails& details) const;
    Result<void> delete_user(std::string_view user_id) const;

    // Assets
    Result<Asset> asset_info(std::string_view user_number, std::string_view asset_number) const;
    /// The user's assets under `product`. A user without assets gives an empty list.
    Result<std::vector<Asset>> asset_list(std::string_view user_number,
                                          std::string_view product) const;
    Result<std::vector<AssetStat>> asset_stats(std::string_view user_number,
                                               std::string_view asset_number) const;
    Result<void> delete_asset(std::string_view user_id, std::string_view product,
                              std::string_view asset_number) const;
    Result<DiskSpace> disk_space(std::string_view user_id, std::string_view product) const;

    // Homepage
    Result<Homepage> homepage(std::string_view user_id) const;
    Result<void> update_homepage(std::string_view user_id, const Homepage& page) const;
    Result<void> delete_homepage(std::string_view user_id) const;

    // Versions and self-update
    static std::string library_version();
    Result<VersionCheck> check_version() const;
    /// Fetches the service's library file into `directory` (replacing it only when complete);
    /// gives the path of the file.
    Result<std::filesystem::path> download_update(const std::filesystem::path& directory) const;

    /// FTP files on the service host. Remote names and paths are sent as given.
    Result<void> send_file(const std::filesystem::path& local, std::string_view remote_dir,
                           std::string_view remote_name) const;
    Result<void> send_files(std::string_view remote_dir,
                            std::span<const std::filesystem::path> files) const;
    /// Whether `name` exists in the assets directory `sub_dir`.
    Result<bool> file_exists(std::string_view sub_dir, std::string_view name) const;
    Result<void> delete_file(std::string_view sub_dir, std::string_view name) const;
    Result<void> remove_directory(std::string_view path) const;

    /// Background jobs. Any number may run at once, each on its own worker thread; they do
    /// not take part in the exports' one-job rule.
    UploadJob upload(UploadRequest request, JobOptions options = {}) const;
    ShareJob share_by_email(ShareRequest request, JobOptions options = {}) const;

private:
    std::shared_ptr<const detail::ClientState> m_impl;
};

/// The members of Job, defined in the library for the two outcomes above.
namespace detail {
VANTA_API Progress job_progress(const JobState& state) noexcept;
VANTA_API void job_cancel(JobState& state) noexcept;
VANTA_API bool job_wait(JobState& state, std::chrono::milliseconds timeout) noexcept;
VANTA_API Result<UploadOutcome> upload_outcome(JobState& state) noexcept;
VANTA_API Result<ShareOutcome> share_outcome(JobState& state) noexcept;
VANTA_API void job_release(JobState& state) noexcept;
} // namespace detail

template <class Outcome>
Progress Job<Outcome>::progress() const {
    return m_state ? detail::job_progress(*m_state) : Progress{};
}
template <class Outcome>
void Job<Outcome>::cancel() {
    if (m_state) {
        detail::job_cancel(*m_state);
    }
}
template <class Outcome>
bool Job<Outcome>::wait(std::chrono::milliseconds timeout) {
    return !m_state || detail::job_wait(*m_state, timeout);
}
template <class Outcome>
bool Job<Outcome>::finished() const {
    return !m_state || detail::job_wait(*m_state, std::chrono::milliseconds(0));
}
template <class Outcome>
Result<Outcome> Job<Outcome>::outcome() {
    if (!m_state) {
        return Error{ErrorCategory::invalid_argument, 0, "the job handle is empty"};
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
