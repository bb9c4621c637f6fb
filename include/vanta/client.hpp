/// \file
/// The C++ interface to the publishing service, vanta::Client: a Client made from a Config, typed
/// records, results as values, and background jobs as handles.
///
///     vanta::Client client(vanta::Config::from_environment());
///     auto login = client.validate_user("alice", "secret", "7");
///     if (!login) {
///         std::cerr << login.error().reason << '\n';  // e.g. wrong_password
///     }
///     auto job = client.upload({.user_id = "alice", .product = 7, .name = "Holiday",
///                               .files = {"/home/alice/a.jpg"}},
///                              {.on_progress = [](const vanta::Progress& p) { ... }});
///     if (job.wait(std::chrono::minutes(5))) {
///         vanta::Result<vanta::UploadOutcome> outcome = job.outcome();
///     }
///
/// Nothing here throws: every operation gives a Result that holds its value or an Error. A
/// Client holds only its configuration, so any number of threads may use one Client at once,
/// and clients with different configurations work side by side. Each operation blocks its
/// caller until it is done, bounded by the configured time-outs; only upload and
/// share_by_email run in the background.
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

/// The C++ interface: vanta::Client, its Config, the records it gives, Result and Error, and
/// the background jobs (UploadJob, ShareJob).
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
    ErrorCategory category = ErrorCategory::internal; ///< what kind of failure it is
    /// The result code that the matching QDX_ export gives for the same outcome (0 when the
    /// failure has no export counterpart).
    unsigned int code = 0;
    /// What went wrong, for people: "<what it was doing>: <detail>".
    std::string reason;
    /// An upload that failed or was cancelled takes its asset back off the service. When that
    /// roll-back failed too, the number of the asset that stayed (the reason says what of it
    /// stayed); empty otherwise.
    std::string asset_number;
};

/// A value or an Error. Reading value() of a Result that holds an Error (or error() of one
/// that holds a value) is a programming error and aborts the process: test first.
template <class T>
class [[nodiscard]] Result {
public:
    /// A successful result holding `value`.
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    /// A failed result holding `error`.
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    /// True when the result holds a value.
    bool has_value() const noexcept { return m_state.index() == 0; }
    /// True when the result holds a value.
    explicit operator bool() const noexcept { return has_value(); }

    /// The value; the result must hold one.
    T& value() & { return *checked(std::get_if<0>(&m_state)); }
    /// The value; the result must hold one.
    const T& value() const& { return *checked(std::get_if<0>(&m_state)); }
    /// The value, moved out; the result must hold one.
    T&& value() && { return std::move(*checked(std::get_if<0>(&m_state))); }
    /// The value; the result must hold one.
    T& operator*() & { return value(); }
    /// The value; the result must hold one.
    const T& operator*() const& { return value(); }
    /// The value's members; the result must hold one.
    T* operator->() { return &value(); }
    /// The value's members; the result must hold one.
    const T* operator->() const { return &value(); }
    /// The value, or `fallback` when the result holds an error.
    template <class U>
    T value_or(U&& fallback) const& {
        return has_value() ? value() : static_cast<T>(std::forward<U>(fallback));
    }

    /// The error; the result must hold one.
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
    /// Success.
    Result() = default;
    /// A failed result holding `error`.
    Result(Error error) : m_error(std::move(error)) {}

    /// True on success.
    bool has_value() const noexcept { return !m_error.has_value(); }
    /// True on success.
    explicit operator bool() const noexcept { return has_value(); }
    /// The error; the result must hold one.
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
    /// An HTTP request's connect, and each wait for its next bytes, fail after this long
    /// without progress (network, "timed out after ... ms"). The exports keep 2,000 ms; a
    /// service that thinks longer before it answers needs more. Taken as 1 ms to 24 hours;
    /// a value outside that range fails every operation with invalid_argument.
    std::chrono::milliseconds http_timeout{2000};
    /// Transport security: the requests over HTTPS on https_port and the files over explicit
    /// FTPS (AUTH TLS, protected data) on ftp_port. The server's certificate must be signed by
    /// an authority of the system's store or of ca_file and name the host; a server that
    /// offers no TLS or a certificate that fails fails the operation (network, with the
    /// certificate's problem in the reason). Nothing is ever sent in clear instead.
    bool tls = false;
    /// A further trusted authority (PEM file) beside the system's store; empty: none.
    std::filesystem::path ca_file;
    unsigned int https_port = 443; ///< port of the service's CGI programs over HTTPS
    /// The login both channels present: the Basic credentials of every request, USER and PASS
    /// of every FTP connection. Empty: the library's documented login.
    std::string login_name;
    std::string login_password; ///< the login's password; empty: the documented one
    /// The Ed25519 public key (PEM) that download_update's file must be signed with (the
    /// service publishes the signature beside it); a file that fails is refused and removed.
    /// Empty: the file is not checked. From VANTA_UPDATE_KEY, else the registry's "UpdateKey".
    std::filesystem::path update_key;
    /// Receives the status notifications of this client's operations. It runs on the thread
    /// that called the operation, during the call; for a job without a handler of its own, on
    /// the job's worker thread. It must be safe to call from several threads when the client
    /// is. Empty: no notifications.
    StatusHandler on_status;
    /// Why a setting is not what its source asked for: a registry file that was named but
    /// cannot be read, a host value that cannot be a host, an environment value that is no
    /// port number, a CA file that cannot be read, ... ("; " between them), in the words of
    /// QDX_GetConfigurationProblem: what is wrong, not what stands in its place. Empty when
    /// nothing went wrong. from_environment fills it and takes each such setting from its next
    /// source, as the exports do at load; a program should refuse to go on when it is not
    /// empty, as vanta does (exit 2, nothing sent). A Client does not read it.
    std::string problems;

    /// The configuration the exports would use in this process now, without command-line
    /// flags: the environment, then the registry file, then the defaults above. Host and ports
    /// come from VANTA_SERVER (else the registry's "Server"), VANTA_HTTP_PORT, VANTA_FTP_PORT;
    /// the FTP wait from VANTA_FTP_TIMEOUT_MS; transport security from VANTA_TLS (1/0, on/off,
    /// yes/no, true/false; else the registry's "TLS"), VANTA_CA_FILE (else "CAFile") and
    /// VANTA_HTTPS_PORT; the login from VANTA_LOGIN and VANTA_LOGIN_PASSWORD (else "Login" and
    /// "LoginPassword"). A value that cannot be used leaves its setting to the next source and
    /// is described in `problems`; a TLS value that is none of the above turns TLS on.
    VANTA_API static Config from_environment();
};

/// Why `host` cannot be the service's host, or "" when it can: a name, an IPv4 address or an
/// IPv6 address in brackets ("[::1]"). A value holding a space, a control character, '/', '?',
/// '#', '@' or a port ("a.example:8080": ports have settings of their own) is refused, named in
/// quotes with its control bytes escaped. Config::from_environment, a Client and vanta's
/// --server all check the host with it; a Client whose host fails fails every operation with
/// invalid_argument and this text, sending nothing.
VANTA_API std::string host_problem(std::string_view host) noexcept;

/// Receives one line of the conversation with the service: "> " what was sent (request line
/// and headers, FTP commands), "< " what the server answered (status and header lines, FTP
/// replies), "* " what the network layer did. Bodies and file contents are never traced;
/// passwords and credentials are masked.
using TraceHandler = std::function<void(std::string_view line)>;

/// Installs `handler` for the whole process (every client, every job and the exports; an
/// empty handler removes it), replacing what QDX_SetTraceCallback installed and the other way
/// round. It runs on the thread that does the network work (the caller of an operation or a
/// job's worker), possibly on several threads at once; an operation already running may
/// still deliver a few lines to the handler it started with.
VANTA_API void set_trace_handler(TraceHandler handler) noexcept;

// ---------------------------------------------------------------------------------------
// Records

/// A moment in time, as the records' dates are given.
using TimePoint = std::chrono::system_clock::time_point;

/// A valid login, with the service's two flags.
struct Login {
    bool has_published = false; ///< the account has published an asset under the product
    bool has_homepage = false;  ///< the account has a homepage
};

/// The personal details of an account, as registration and update send them.
struct UserDetails {
    std::string first_name;     ///< first name
    std::string last_name;      ///< last name
    std::string middle_initial; ///< middle initial
    std::string address;        ///< street address
    std::string city;           ///< city
    std::string state;          ///< state or region
    std::string zip;            ///< postal code
    std::string email;          ///< mail address
    std::string day_phone;      ///< day-time telephone number
    std::string extension;      ///< its extension
    std::string fax;            ///< fax number
    std::string night_phone;    ///< evening telephone number
    std::string code;           ///< the account's code text
};

/// What registering an account (or a further product of one) sends.
struct NewAccount {
    std::string user_id;    ///< also names the account's directory on the service
    std::string password;   ///< the account's password
    std::string product_id; ///< the product to register
    UserDetails details;    ///< the person's details
};

/// The outcome of a registration.
struct Registration {
    /// What the registration did.
    enum class Kind {
        new_account, ///< the account was created
        new_product, ///< a known account registered a further product
        existing,    ///< the account and the product were both known
    };
    Kind kind = Kind::new_account; ///< what the registration did
    std::string user_id;           ///< the account's user id
    std::string user_number;       ///< the account's number on the service
    std::string message;           ///< the service's free text
};

/// The service's record of a user.
struct User {
    std::string user_id;            ///< the user id
    UserDetails details;            ///< the person's details
    std::int64_t user_number = 0;   ///< the account's number on the service
    std::int64_t asset_count = 0;   ///< number of assets
    std::int64_t product_count = 0; ///< number of registered products
};

/// One published asset.
struct Asset {
    std::string user_number;             ///< the owner's user id, as the request named it
    std::string asset_number;            ///< the asset's number
    std::string name;                    ///< the asset's name
    std::string description;             ///< free text, as the service sent it
    std::int64_t product = 0;            ///< the product it belongs to
    std::int64_t type = 0;               ///< the asset type given at upload
    std::int64_t declared_size = 0;      ///< bytes, as announced when the asset was created
    std::string asset_id;                ///< the login name of the asset's page
    std::string password;                ///< the password of the asset's page
    TimePoint created;                   ///< when the asset was created
    std::int64_t file_count = 0;         ///< number of files
    std::string page_address;            ///< address of the asset's page
    std::int64_t page_views = 0;         ///< views of the page
    std::vector<std::string> file_names; ///< the files' names, in upload order
};

/// The page views of an asset on one day.
struct AssetStat {
    std::chrono::sys_days day;   ///< the day
    std::int64_t page_views = 0; ///< views of the asset's page on that day
};

/// A user's disk quota on the service.
struct DiskSpace {
    std::uint64_t quota = 0; ///< bytes
    std::uint64_t used = 0;  ///< bytes stored now
};

/// A user's homepage: five free texts.
struct Homepage {
    std::string title;   ///< the page title
    std::string heading; ///< the heading
    std::string body;    ///< the body text
    std::string theme;   ///< the theme's name or number
    std::string reply;   ///< the reply text
};

/// The library's update version against the one the service offers.
struct VersionCheck {
    std::string library;     ///< the update version this library announces ("3.3")
    std::string service;     ///< the update version the service offers, as it sent it
    bool up_to_date = false; ///< the two are the same
};

// ---------------------------------------------------------------------------------------
// Jobs

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
};

/// The callbacks of a job.
struct JobOptions {
    /// Called on the job's worker thread at every phase change and, while files are sent,
    /// after each 1 KiB block, unless the two limits below space the calls out; keep it short,
    /// the transfer waits for it. It may call the job's members (see Job).
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
    /// both. Phase changes and the call that reaches the total are always delivered.
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
namespace detail {
struct ClientState;
}

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
    explicit Job(std::shared_ptr<JobState> state) : m_state(std::move(state)) {}
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
    Progress progress() const;
    /// Asks the job to stop; returns at once. A job past its transfer finishes normally.
    void cancel();
    /// True when the job has finished within `timeout`. In the job's own callbacks: false at
    /// once.
    bool wait(std::chrono::milliseconds timeout);
    /// True when the job's worker has ended.
    bool finished() const;
    /// Waits for the end (bounded: every network wait of the job is) and gives the outcome. In
    /// the job's own callbacks: invalid_argument at once, the job has not finished.
    Result<Outcome> outcome();

private:
    void release() noexcept;
    std::shared_ptr<JobState> m_state;
};

/// The handle of an upload.
using UploadJob = Job<UploadOutcome>;
/// The handle of a sharing job.
using ShareJob = Job<ShareOutcome>;

// ---------------------------------------------------------------------------------------
// The client

/// The service, as one configuration reaches it. Copies share the configuration; a
/// moved-from client may only be assigned to or destroyed.
class VANTA_API Client {
public:
    /// A client working with the service that `config` names.
    explicit Client(Config config = Config::from_environment());
    ~Client();
    /// A client with the same configuration.
    Client(const Client&);
    /// Takes the other client's configuration.
    Client& operator=(const Client&);
    /// Takes over the other client's configuration.
    Client(Client&&) noexcept;
    /// Takes over the other client's configuration.
    Client& operator=(Client&&) noexcept;

    /// The configuration the client was made with.
    const Config& config() const noexcept;

    // Accounts

    /// Checks a login for a product: the flags, or wrong_password, product_not_registered
    /// (also for a wrong password and an unregistered product together: code 9216),
    /// unknown_user, network.
    Result<Login> validate_user(std::string_view user_id, std::string_view password,
                                std::string_view product_id) const noexcept;
    /// Registers an account, or a further product of one: wrong_password when the account
    /// exists with another password, refused for unusable details.
    Result<Registration> register_user(const NewAccount& account) const noexcept;
    /// The user's record, or unknown_user.
    Result<User> user_info(std::string_view user_id) const noexcept;
    /// Writes the user's details back; refused for an unknown user or a wrong password.
    Result<void> update_user(std::string_view user_id, std::string_view password,
                             const UserDetails& details) const noexcept;
    /// Removes the account, or unknown_user.
    Result<void> delete_user(std::string_view user_id) const noexcept;

    // Assets

    /// One asset of the user `user_id`, or not_found.
    Result<Asset> asset_info(std::string_view user_id,
                             std::string_view asset_number) const noexcept;
    /// The assets of the user `user_id` under `product`. A user without assets gives an
    /// empty list.
    Result<std::vector<Asset>> asset_list(std::string_view user_id,
                                          std::string_view product) const noexcept;
    /// The page views per day of an asset of the user `user_id` (empty when there are none),
    /// or refused.
    Result<std::vector<AssetStat>> asset_stats(std::string_view user_id,
                                               std::string_view asset_number) const noexcept;
    /// Removes an asset's record (whether its files go too is the service's affair), or
    /// refused.
    Result<void> delete_asset(std::string_view user_id, std::string_view product,
                              std::string_view asset_number) const noexcept;
    /// The user's quota and the space used, or unexpected_reply.
    Result<DiskSpace> disk_space(std::string_view user_id, std::string_view product) const noexcept;

    // Homepage

    /// The user's homepage: not_found when there is none, unknown_user when the service
    /// refuses.
    Result<Homepage> homepage(std::string_view user_id) const noexcept;
    /// Writes the user's homepage, or refused (unknown user, missing text).
    Result<void> update_homepage(std::string_view user_id, const Homepage& page) const noexcept;
    /// Removes the user's homepage, or not_found.
    Result<void> delete_homepage(std::string_view user_id) const noexcept;

    // Raw requests

    /// Posts `body` plus one line feed to the CGI program `program` (a path such as
    /// "/cgiscripts/get_version.exe") and gives the reply's body byte for byte; network for a
    /// failed request or an error page; invalid_argument, nothing sent, for a program path
    /// holding a NUL byte or longer than 4,096 bytes.
    Result<std::string> post_request(std::string_view program,
                                     std::string_view body) const noexcept;

    // Versions and self-update

    /// The library's update version, "3.3": what check_version() compares with the version
    /// the service offers. It is not the release (see release_version()).
    static std::string library_version() noexcept;
    /// The release of the loaded library, MAJOR.MINOR.PATCH (as find_package and pkg-config
    /// see it), e.g. "1.2.0".
    static std::string release_version() noexcept;
    /// The library's update version against the one the service offers.
    Result<VersionCheck> check_version() const noexcept;
    /// Fetches the service's library file into `directory` (replacing it only when complete);
    /// gives the path of the file.
    Result<std::filesystem::path>
    download_update(const std::filesystem::path& directory) const noexcept;

    // FTP files on the service host. Remote names and paths are sent as given; one holding
    // CR, LF or NUL is refused before it is sent.

    /// Stores `local` as `remote_name` in `remote_dir` (empty: the login directory).
    Result<void> send_file(const std::filesystem::path& local, std::string_view remote_dir,
                           std::string_view remote_name) const noexcept;
    /// Stores each file under its own name in `remote_dir`, over one connection; local files
    /// that cannot be read are skipped.
    Result<void> send_files(std::string_view remote_dir,
                            std::span<const std::filesystem::path> files) const noexcept;
    /// Whether `name` exists in the assets directory `sub_dir`.
    Result<bool> file_exists(std::string_view sub_dir, std::string_view name) const noexcept;
    /// Deletes `name` in the assets directory `sub_dir`, or not_found.
    Result<void> delete_file(std::string_view sub_dir, std::string_view name) const noexcept;
    /// Removes the directory `path` (a whole FTP path), or refused (missing, not empty).
    Result<void> remove_directory(std::string_view path) const noexcept;

    // Background jobs. Any number may run at once, each on its own worker thread; they do
    // not take part in the exports' one-job rule.

    /// Starts an upload: measure the files, check the quota, register the asset, send the
    /// files, have the service mail the recipients. Failures: local_file (also a file that
    /// changed while it was sent), no_space, refused (registration), network, cancelled. A
    /// job that fails or is cancelled takes back its asset (record, files, directory); when
    /// that fails too, the Error's asset_number names the asset that stayed.
    UploadJob upload(UploadRequest request, JobOptions options = {}) const noexcept;
    /// Starts a sharing job: ask the service for a session, send the files, have the service
    /// mail them. Failures: invalid_argument (no sender, or an address without exactly one
    /// '@' between non-empty parts or holding a blank or control character; nothing is
    /// sent), local_file, refused, network, cancelled. A job that fails or is cancelled
    /// removes what it sent from the service; when that fails, the reason says what stayed.
    ShareJob share_by_email(ShareRequest request, JobOptions options = {}) const noexcept;

private:
    std::shared_ptr<const detail::ClientState> m_impl;
};

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
        return Error{ErrorCategory::invalid_argument, 0, "the job handle is empty", {}};
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
