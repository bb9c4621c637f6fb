// Whether a text can stand as the service's host: a name, an IPv4 address or an IPv6 address
// in brackets, and nothing else. Every source of the host (the environment, the registry file,
// QDX_SetServiceAddress, a client's Config, vanta's --server) is checked here, so that a value
// that could add a path, a user, a port or a line of its own is refused before anything is
// sent, with the same words wherever it came from.
#pragma once

#include <string>
#include <string_view>

// "" when `host` can be the service's host; otherwise why not, the value named in quotes with
// its control bytes escaped: "\"a.example:8080\" is not a host: it holds a port; ...".
std::string HostValueProblem(std::string_view host);

// `text` in double quotes, readable and safe on one line: control bytes, '"' and '\' escaped
// (\r, \n, \t, \xNN); a long text is cut after 64 bytes with "..." after the quote.
std::string QuotedForReason(std::string_view text);
