// OpenSSL's twin. A CA blob takes the place of the system's bundle file, while the system's CA
// directory, which holds the same authorities, stays searched: both are trusted. Revocation
// is not checked (OpenSSL fetches no lists), as libcurl leaves it by default.
#include "net/tls_platform.h"

namespace {
// The system's CA directory as this libcurl was built to use it; null when it has none.
const char* SystemCaPath() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    return info != nullptr && info->age >= CURLVERSION_SEVENTH ? info->capath : nullptr;
}
} // namespace

void TrustSystemStoreBesideCaFile(CURL* easy, std::string& /*caBytes*/) {
    curl_easy_setopt(easy, CURLOPT_CAPATH, SystemCaPath());
}

long PlatformSslOptions() {
    return 0;
}
