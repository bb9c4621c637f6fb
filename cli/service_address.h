// --server HOST[:PORT] and --ftp-port: where the library sends its requests, set from the
// command line over what the environment and the registry file say.
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

// Points the library at `address` for every following call. False with `why` when the
// library refused it.
bool ApplyServiceAddress(const ServiceAddress& address, std::string& why);

// The configuration problem the library met at load (a named registry file it could not
// read), or "" when there was none.
std::string ConfigurationProblem();
