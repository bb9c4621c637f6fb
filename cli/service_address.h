// --server HOST[:PORT], --ftp-port, --tls, --no-tls, --ca-file and --login: where and how the
// tool reaches the service, set from the command line over the environment and the registry
// file.
#pragma once

#include <optional>
#include <string>

struct ServiceAddress {
    std::string host;
    unsigned int httpPort = 0; // 0: as configured
    unsigned int ftpPort = 0;  // 0: as configured
};

// Reads "HOST", "HOST:PORT", "[V6ADDRESS]" or "[V6ADDRESS]:PORT". Nothing when the text is
// none of these or the port is not 1..65535; `why` then says what is wrong.
std::optional<ServiceAddress> ParseServerOption(const std::string& text, std::string& why);

// The settings of the command line over the environment's: the service's address, transport
// security and the login name (its password never comes from the command line).
struct ServiceFlags {
    std::optional<ServiceAddress> address; // --server
    unsigned int ftpPort = 0;              // --ftp-port; 0: not given
    std::optional<bool> tls;               // --tls or --no-tls
    std::optional<std::string> caFile;     // --ca-file
    std::optional<std::string> login;      // --login
    std::optional<unsigned int> retries;   // --retries
};

// Puts `flags` in the place of their environment variables (VANTA_SERVER, VANTA_HTTP_PORT,
// VANTA_FTP_PORT, VANTA_TLS, VANTA_CA_FILE, VANTA_LOGIN, VANTA_RETRIES), so that the library's own
// loader applies the one order of precedence (flag, environment, registry file, default) and
// reports only the problems of the sources still in use.
void PutInPlaceOfEnvironment(const ServiceFlags& flags);
