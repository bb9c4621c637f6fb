// Transport security of the Internet stand-ins: what a session asks of its connections, and
// the libcurl options that carry it out.
#pragma once

#include <cstdint>
#include <curl/curl.h>
#include <string>

struct TlsOptions {
    // HTTP requests go over HTTPS and FTP connections use explicit FTPS: AUTH TLS before the
    // login, every data connection protected (PROT P). A server that refuses either ends the
    // operation; there is no fall back to clear text.
    bool required = false;
    // A PEM file of further certificate authorities to trust, beside the system's store.
    // Empty: the system's store alone.
    std::string caFile;
};

// Sets `easy` up for one TLS connection: the peer's certificate checked against the system's
// store and `tls.caFile`, and its host name against the certificate. Verification is never
// switched off. With `ftp`, also demands AUTH TLS and protected data connections. The CA file
// is read here, as a local file is read anywhere in the library (a regular file, opened
// without blocking); one that cannot be used throws CInternetException with the reason
// recorded, before anything is sent.
void ApplyTlsOptions(CURL* easy, const TlsOptions& tls, bool ftp);
