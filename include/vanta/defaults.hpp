/// \file
/// The settings a configuration starts with when nothing names others: vanta::Config's
/// defaults, those of the exports and those that vanta's help names.
#pragma once

#include <chrono>

/// The default settings of the service's address and waits.
namespace vanta::defaults {
/// The service's host when neither the environment nor the registry file names one.
inline constexpr const char* host = "localhost";
/// The port of the service's CGI programs.
inline constexpr unsigned int http_port = 80;
/// The port of the service's CGI programs over HTTPS (with transport security on).
inline constexpr unsigned int https_port = 443;
/// The port of the service's FTP server.
inline constexpr unsigned int ftp_port = 21;
/// How long an HTTP request's connect, or a wait for its next bytes, may make no progress.
inline constexpr std::chrono::milliseconds http_timeout{2000};
/// How long an FTP control or data connection may make no progress.
inline constexpr std::chrono::milliseconds ftp_timeout{30000};
/// How many FTP connections a client's multi-file send (an upload's, a share's, send_files)
/// may use at once, chosen by measurement (README, "Several files at once"): where each file's
/// round trips wait, four connections send 500 small files more than twice as fast as one, and
/// eight add only a few per cent. The exports use one unless VANTA_PARALLEL_TRANSFERS names more.
inline constexpr unsigned int parallel_transfers = 4;
/// The most connections a multi-file send may be given.
inline constexpr unsigned int max_parallel_transfers = 32;
} // namespace vanta::defaults
