#include "transport/host_value.h"

#include "net/internet_exception.h"
#include "net/service_url.h"

#include <cstdio>

namespace {
constexpr size_t kMaxQuotedBytes = 64;

// What a byte of a host value may not be, or null: each of these would end the host part of
// a URL and start something else there (a path, a query, a user, a line of its own).
const char* ForbiddenByte(unsigned char ch) {
    switch (ch) {
    case ' ':
        return "a space";
    case '\r':
    case '\n':
        return "a line break";
    case '/':
        return "'/' (a path)";
    case '?':
        return "'?' (a query)";
    case '#':
        return "'#' (a fragment)";
    case '@':
        return "'@' (a user name)";
    default:
        return ch < 0x20 || ch == 0x7F ? "a control character" : nullptr;
    }
}

std::string Why(std::string_view host, const std::string& reason) {
    return QuotedForReason(host) + " is not a host: " + reason;
}
} // namespace

std::string QuotedForReason(std::string_view text) {
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size() && i < kMaxQuotedBytes; ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch == '"' || ch == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(ch);
        } else if (ch == '\r') {
            quoted += "\\r";
        } else if (ch == '\n') {
            quoted += "\\n";
        } else if (ch == '\t') {
            quoted += "\\t";
        } else if (ch < 0x20 || ch >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof(hex), "\\x%02X", ch);
            quoted += hex;
        } else {
            quoted += static_cast<char>(ch);
        }
    }
    quoted += '"';
    if (text.size() > kMaxQuotedBytes) {
        quoted += "...";
    }
    return quoted;
}

std::string HostValueProblem(std::string_view host) {
    if (host.empty()) {
        return "the host is empty";
    }
    for (const char ch : host) {
        if (const char* what = ForbiddenByte(static_cast<unsigned char>(ch))) {
            return Why(host, std::string("it holds ") + what);
        }
    }
    const bool bracketed = host.front() == '[';
    const size_t close = host.find(']');
    if (bracketed && close != std::string_view::npos && close + 1 < host.size()) {
        return Why(host, "it holds a port or more after the IPv6 address; give the port in its "
                         "own setting");
    }
    if (!bracketed && host.find(':') != std::string_view::npos) {
        return Why(host, host.find(':') == host.rfind(':')
                             ? "it holds a port (HOST:PORT); give the port in its own setting"
                             : "an IPv6 address needs brackets, [ADDRESS]");
    }
    try {
        ServiceUrl("http", std::string(host), 80, "/", false);
    } catch (const CInternetException&) {
        return Why(host, "not a host name or address");
    }
    return {};
}
