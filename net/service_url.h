// URLs of the service host, built with libcurl's URL API, never by pasting text together.
#pragma once

#include <string>

// "scheme://server:port" + `path`. `path` must start with "/". With `encodePath` libcurl
// percent-encodes the bytes that may not stand in a request line (so a caller's path can
// never add a header or a second request); without it the path must already be escaped.
// Throws CInternetException (ERROR_INTERNET_INVALID_URL) when the parts make no URL, e.g. an
// empty host.
std::string ServiceUrl(const char* scheme, const std::string& server, unsigned short port,
                       const std::string& path, bool encodePath);
