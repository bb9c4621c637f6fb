// What TLS needs of the platform's TLS back end beyond libcurl's common options: how the
// system's own certificate store stays trusted beside a CA file, and how revocation is checked.
// Each platform's twin (net/posix/, net/win32/) knows its back end.
#pragma once

#include <curl/curl.h>
#include <string>

// Sets `easy` up so that the system's store is trusted beside the authorities of a CA file,
// whose bytes libcurl is about to take as a blob: `caBytes` may grow by the system's own.
void TrustSystemStoreBesideCaFile(CURL* easy, std::string& caBytes);

// The CURLOPT_SSL_OPTIONS bits every TLS connection of this platform takes.
long PlatformSslOptions();
