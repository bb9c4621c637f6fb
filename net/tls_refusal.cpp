#include "net/tls_refusal.h"

std::string TlsRefusalWords(TlsRefusal refusal, const std::string& host) {
    switch (refusal) {
    case TlsRefusal::kUntrusted:
        return "no trusted certificate authority signed it";
    case TlsRefusal::kNameMismatch:
        return "it is for another host name than " + host;
    case TlsRefusal::kExpired:
        return "it has expired or is not yet valid";
    case TlsRefusal::kRevoked:
        return "its authority revoked it";
    case TlsRefusal::kNone:
        break;
    }
    return {};
}
