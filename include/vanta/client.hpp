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
///
/// The pieces have headers of their own, all included here: vanta/results.hpp (Result, Error),
/// vanta/records.hpp (the records), vanta/jobs.hpp (jobs and their handles), vanta/status.hpp
/// (status notifications) and vanta/defaults.hpp (the default settings).
#pragma once

#include "vanta/defaults.hpp"
#include "vanta/export.h"
#include "vanta/jobs.hpp"
#include "vanta/records.hpp"
#include "vanta/results.hpp"
#include "vanta/retry.hpp"
#include "vanta/status.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// The C++ interface: vanta::Client, its Config, the records it gives, Result and Error, and
/// the background jobs (UploadJob, ShareJob).
namespace vanta {

// ---------------------------------------------------------------------------------------
// Configuration and the trace

/// Where a Client finds the service, and how long it waits. The defaults (vanta::defaults) are
/// those of the exports.
struct Config {
    std::string host = defaults::host;            ///< host name or address of the service
    unsigned int http_port = defaults::http_port; ///< port of the service's CGI programs
    unsigned int ftp_port = defaults::ftp_port;   ///< port of the service's FTP server
    /// No progress on an FTP control or data connection for this long ends the operation.
    std::chrono::milliseconds ftp_timeout = defaults::ftp_timeout;
    /// An HTTP request's connect, and each wait for its next bytes, fail after this long
    /// without progress (network, "timed out after ... ms"). The exports keep the default; a
    /// service that thinks longer before it answers needs more. Taken as 1 ms to 24 hours;
    /// a value outside that range fails every operation with invalid_argument.
    std::chrono::milliseconds http_timeout = defaults::http_timeout;
    /// Transport security: the requests over HTTPS on https_port and the files over explicit
    /// FTPS (AUTH TLS, protected data) on ftp_port. The server's certificate must be signed by
    /// an authority of the system's store or of ca_file and name the host; a server that
    /// offers no TLS or a certificate that fails fails the operation (network, with the
    /// certificate's problem in the reason). Nothing is ever sent in clear instead.
    bool tls = false;
    /// A further trusted authority (PEM file) beside the system's store; empty: none.
    std::filesystem::path ca_file;
    unsigned int https_port = defaults::https_port; ///< port of the CGI programs over HTTPS
    /// The login both channels present: the Basic credentials of every request, USER and PASS
    /// of every FTP connection. Empty: the library's documented login.
    std::string login_name;
    std::string login_password; ///< the login's password; empty: the documented one
    /// The Ed25519 public key (PEM) that download_update's file must be signed with (the
    /// service publishes the signature beside it); a file that fails is refused and removed.
    /// Empty: the file is not checked. From VANTA_UPDATE_KEY, else the registry's "UpdateKey".
    std::filesystem::path update_key;
    /// How a request that failed on the network is repeated, and when not at all
    /// (vanta/retry.hpp). The default: two retries within 10 s. from_environment takes the
    /// retries from VANTA_RETRIES, else the registry's "Retries". A policy out of its ranges
    /// fails every operation with invalid_argument.
    RetryPolicy retry;
    /// How many FTP connections an upload's, a share's or send_files' files may use at once
    /// (1 to 32): each connection logs in once and takes the next file not yet sent, so the
    /// files' STORs overlap while each file still arrives whole. A server that refuses a
    /// further connection (421, a refused login) leaves the send with fewer. 1 sends the files
    /// one after another over one connection, in their order, as the exports do. The default
    /// is measured (defaults.hpp); from_environment takes VANTA_PARALLEL_TRANSFERS when set.
    /// A value outside 1 to 32 fails every operation with invalid_argument.
    unsigned int parallel_transfers = defaults::parallel_transfers;
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
    VANTA_API static Config from_environment() noexcept;
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
// The client

/// @cond INTERNAL
namespace detail {
struct ClientState;
}
/// @endcond

/// The service, as one configuration reaches it. Copies share the configuration; a
/// moved-from client may only be assigned to or destroyed.
class VANTA_API Client {
public:
    /// A client working with the service that `config` names.
    explicit Client(Config config = Config::from_environment());
    ~Client();
    /// A client with the same configuration.
    Client(const Client&) noexcept;
    /// Takes the other client's configuration.
    Client& operator=(const Client&) noexcept;
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
    /// see it), e.g. "2.0.0".
    static std::string release_version() noexcept;
    /// The library's update version against the one the service offers.
    Result<VersionCheck> check_version() const noexcept;
    /// Fetches the service's library file into `directory` (replacing it only when complete);
    /// gives the path of the file.
    Result<std::filesystem::path>
    download_update(const std::filesystem::path& directory) const noexcept;

    // FTP files on the service host. Remote names and paths are sent as given; one holding
    // CR, LF or NUL is refused before it is sent. A send whose connection breaks goes on over
    // a new login under the retry policy, where the server's copy ends (vanta/retry.hpp).

    /// Stores `local` as `remote_name` in `remote_dir` (empty: the login directory).
    Result<void> send_file(const std::filesystem::path& local, std::string_view remote_dir,
                           std::string_view remote_name) const noexcept;
    /// Stores each file under its own name in `remote_dir`, over up to parallel_transfers
    /// connections at once; local files that cannot be read are skipped.
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

} // namespace vanta
