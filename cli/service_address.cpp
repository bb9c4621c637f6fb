#include "cli/service_address.h"

#include "cli/environment.h"
#include "vanta/client.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace {
std::optional<unsigned int> ParsePort(const std::string& text) {
    unsigned int port = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc() || stop != end || port == 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}
} // namespace

std::optional<ServiceAddress> ParseServerOption(const std::string& text, std::string& why) {
    ServiceAddress address;
    std::string port;
    size_t hostEnd = text.size();
    if (!text.empty() && text.front() == '[') {
        // The brackets stay part of the host: that is how an IPv6 address stands in a URL.
        const size_t close = text.find(']');
        if (close == std::string::npos || close == 1) {
            why = "--server: an IPv6 address needs its closing ]: " + text;
            return std::nullopt;
        }
        hostEnd = close + 1;
        if (hostEnd < text.size() && text[hostEnd] != ':') {
            why = "--server: expected :PORT after ]: " + text;
            return std::nullopt;
        }
    } else {
        const size_t colon = text.find(':');
        if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos) {
            why = "--server: write an IPv6 address in brackets, [ADDRESS]:PORT: " + text;
            return std::nullopt;
        }
        hostEnd = std::min(colon, text.size());
    }
    address.host = text.substr(0, hostEnd);
    if (hostEnd < text.size()) {
        port = text.substr(hostEnd + 1);
        if (port.empty()) {
            why = "--server: the port is missing: " + text;
            return std::nullopt;
        }
    }
    if (address.host.empty()) {
        why = "--server: the host is missing: " + text;
        return std::nullopt;
    }
    if (const std::string problem = vanta::host_problem(address.host); !problem.empty()) {
        why = "--server: " + problem;
        return std::nullopt;
    }
    if (!port.empty()) {
        const std::optional<unsigned int> number = ParsePort(port);
        if (!number) {
            why = "--server: the port must be a number from 1 to 65535: " + text;
            return std::nullopt;
        }
        address.httpPort = *number;
    }
    return address;
}

void PutInPlaceOfEnvironment(const ServiceFlags& flags) {
    const auto put = [](const char* variable, const std::string& value) {
        SetEnvironment(variable, value);
    };
    if (flags.address) {
        put("VANTA_SERVER", flags.address->host);
        if (flags.address->httpPort != 0) {
            put("VANTA_HTTP_PORT", std::to_string(flags.address->httpPort));
        }
    }
    if (flags.ftpPort != 0) {
        put("VANTA_FTP_PORT", std::to_string(flags.ftpPort));
    }
    if (flags.tls) {
        put("VANTA_TLS", *flags.tls ? "1" : "0");
    }
    if (flags.caFile) {
        put("VANTA_CA_FILE", *flags.caFile);
    }
    if (flags.login) {
        put("VANTA_LOGIN", *flags.login);
    }
    if (flags.retries) {
        put("VANTA_RETRIES", std::to_string(*flags.retries));
    }
}
