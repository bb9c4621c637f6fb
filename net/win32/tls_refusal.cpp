// Schannel's twin: libcurl has no verify result for Schannel, only its error text, which
// names Schannel's status (SEC_E_...), the chain's status (CERT_E_..., or the chain
// engine's CERT_TRUST_... when a CA file is verified by libcurl itself) or its own host name
// check. A refused certificate may also come back as a failed handshake (SEC_E_CERT_EXPIRED
// does): the text decides, whatever libcurl's result.
#include "net/tls_refusal.h"

#include <cstring>

namespace {
constexpr struct {
    const char* mark;
    TlsRefusal refusal;
} kMarks[] = {
    {"CERT_TRUST_IS_REVOKED", TlsRefusal::kRevoked},
    {"CRYPT_E_REVOKED", TlsRefusal::kRevoked},
    {"SEC_E_WRONG_PRINCIPAL", TlsRefusal::kNameMismatch},
    {"CERT_E_CN_NO_MATCH", TlsRefusal::kNameMismatch},
    {"failed to match connection hostname", TlsRefusal::kNameMismatch},
    {"SEC_E_CERT_EXPIRED", TlsRefusal::kExpired},
    {"CERT_E_EXPIRED", TlsRefusal::kExpired},
    {"CERT_E_VALIDITYPERIODNESTING", TlsRefusal::kExpired},
    {"CERT_TRUST_IS_NOT_TIME_VALID", TlsRefusal::kExpired},
    {"SEC_E_UNTRUSTED_ROOT", TlsRefusal::kUntrusted},
    {"CERT_E_UNTRUSTEDROOT", TlsRefusal::kUntrusted},
    {"CERT_E_CHAINING", TlsRefusal::kUntrusted},
    {"CERT_TRUST_IS_UNTRUSTED_ROOT", TlsRefusal::kUntrusted},
    {"CERT_TRUST_IS_PARTIAL_CHAIN", TlsRefusal::kUntrusted},
};
} // namespace

TlsRefusal TlsRefusalOf(CURL* /*easy*/, CURLcode code, const char* libcurlText) {
    if (code != CURLE_PEER_FAILED_VERIFICATION && code != CURLE_SSL_CONNECT_ERROR) {
        return TlsRefusal::kNone;
    }
    for (const auto& [mark, refusal] : kMarks) {
        if (std::strstr(libcurlText, mark) != nullptr) {
            return refusal;
        }
    }
    return TlsRefusal::kNone;
}
