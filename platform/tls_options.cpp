#include "platform/tls_options.h"

namespace {
// The system's CA directory as this libcurl was built to use it; null when it has none.
const char* SystemCaPath() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    return info != nullptr && info->age >= CURLVERSION_SEVENTH ? info->capath : nullptr;
}
} // namespace

void ApplyTlsOptions(CURL* easy, const TlsOptions& tls, bool ftp) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    if (!tls.caFile.empty()) {
        // The file takes the place of the system's bundle, while the system's CA directory,
        // which holds the same authorities, stays searched: both are trusted.
        curl_easy_setopt(easy, CURLOPT_CAINFO, tls.caFile.c_str());
        curl_easy_setopt(easy, CURLOPT_CAPATH, SystemCaPath());
    }
    if (ftp) {
        curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    } else {
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    }
}
