// OpenSSL's twin: libcurl keeps OpenSSL's verdict on the certificate chain as the verify
// result. The host name is checked by libcurl itself once OpenSSL accepted the chain, and
// that refusal leaves the verify result unset: its words ("... target host name ...") tell it.
#include "net/tls_refusal.h"

#include <cstring>
#include <openssl/x509_vfy.h>

TlsRefusal TlsRefusalOf(CURL* easy, CURLcode code, const char* libcurlText) {
    if (code != CURLE_PEER_FAILED_VERIFICATION) {
        return TlsRefusal::kNone;
    }
    if (std::strstr(libcurlText, "target host name") != nullptr) {
        return TlsRefusal::kNameMismatch;
    }
    long verdict = X509_V_OK;
    curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verdict);
    switch (verdict) {
    case X509_V_OK:
        return TlsRefusal::kNone; // refused for something else (a pinned key, say)
    case X509_V_ERR_HOSTNAME_MISMATCH:
        return TlsRefusal::kNameMismatch;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return TlsRefusal::kExpired;
    case X509_V_ERR_CERT_REVOKED:
        return TlsRefusal::kRevoked;
    default: // an unknown issuer, a self-signed certificate, an untrusted root, ...
        return TlsRefusal::kUntrusted;
    }
}
