// Schannel's twin. With a CA file libcurl verifies the chain itself, against the file's
// authorities alone (an exclusive root store): the system's root authorities are added to the
// file's bytes, so that both are trusted as on other platforms. Without one, Schannel verifies
// against the system's store on its own.
//
// Schannel checks revocation and refuses a certificate whose authority publishes no
// reachable revocation list (a private or offline CA); best effort still refuses a revoked
// certificate wherever the check can run.
#include "net/tls_platform.h"

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

namespace {
// The certificates of the system's root store, as PEM; read once, the store changes rarely
// and a process that needs a new root is restarted.
std::string ReadSystemRoots() {
    std::string pem;
    HCERTSTORE store = CertOpenSystemStoreA(0, "ROOT");
    if (store == nullptr) {
        return pem;
    }
    const CERT_CONTEXT* cert = nullptr;
    while ((cert = CertEnumCertificatesInStore(store, cert)) != nullptr) {
        DWORD length = 0;
        const DWORD flags = CRYPT_STRING_BASE64HEADER;
        if (!CryptBinaryToStringA(cert->pbCertEncoded, cert->cbCertEncoded, flags, nullptr,
                                  &length)) {
            continue;
        }
        std::string block(length, '\0');
        if (CryptBinaryToStringA(cert->pbCertEncoded, cert->cbCertEncoded, flags, block.data(),
                                 &length)) {
            block.resize(length);
            pem += block;
        }
    }
    CertCloseStore(store, 0);
    return pem;
}
} // namespace

void TrustSystemStoreBesideCaFile(CURL* /*easy*/, std::string& caBytes) {
    static const std::string systemRoots = ReadSystemRoots();
    if (!caBytes.empty() && caBytes.back() != '\n') {
        caBytes += '\n';
    }
    caBytes += systemRoots;
}

long PlatformSslOptions() {
    return CURLSSLOPT_REVOKE_BEST_EFFORT;
}
