// Why a TLS connection was refused, in classes that are the same on every platform although
// each TLS back end reports them its own way: OpenSSL through libcurl's verify result,
// Schannel through the SEC_E_ and CERT_ codes in libcurl's error text. Each platform's twin
// (net/posix/, net/win32/) reads its back end.
#pragma once

#include <curl/curl.h>
#include <string>

enum class TlsRefusal {
    kNone,         // not a refusal of the certificate (a handshake failure, or no TLS at all)
    kUntrusted,    // no trusted authority signed it
    kNameMismatch, // it names other hosts than the one addressed
    kExpired,      // outside its validity
    kRevoked,      // its authority revoked it
};

// The class of the failed transfer `easy`, from libcurl's result `code` and its error text.
TlsRefusal TlsRefusalOf(CURL* easy, CURLcode code, const char* libcurlText);

// What a failure reason says of the refused certificate of `host`,
// e.g. "it is for another host name than 127.0.0.1"; empty for TlsRefusal::kNone.
std::string TlsRefusalWords(TlsRefusal refusal, const std::string& host);
