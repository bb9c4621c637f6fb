#include "net/tls_options.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "net/tls_platform.h"
#include "os/cfile.h"
#include "os/failure_reason.h"

namespace {
// A bundle of every authority there is stays far below this; more is no CA file.
constexpr std::uint64_t kMaxCaFileBytes = 4 * 1024 * 1024;

// The whole CA file, read by the library itself: OpenSSL would open the path with a plain
// fopen, which waits for ever on a FIFO's writer. CFile opens without blocking and takes only
// a regular file; the bytes then reach libcurl as a blob. Throws CInternetException, the
// reason recorded, when the file cannot be used.
std::string ReadCaFile(const std::string& path) {
    try {
        CFile file(path.c_str(), CFile::modeRead);
        const std::uint64_t length = file.GetLength();
        if (length > kMaxCaFileBytes) {
            SetFailureReason(FailureKind::LocalFile,
                             "cannot use the CA file " + path + ": larger than 4 MiB");
            throw CInternetException(ERROR_INTERNET_SECURITY_CHANNEL_ERROR);
        }
        std::string bytes(static_cast<size_t>(length), '\0');
        size_t filled = 0;
        while (filled < bytes.size()) {
            const UINT got =
                file.Read(bytes.data() + filled, static_cast<UINT>(bytes.size() - filled));
            if (got == 0) {
                break; // it shrank while being read: what was read is what is trusted
            }
            filled += got;
        }
        bytes.resize(filled);
        return bytes;
    } catch (const CFileException&) {
        // CFile recorded "cannot open local file <path>: <why>".
        SetFailureReason(FailureKind::LocalFile, "cannot use the CA file: " + FailureReason());
        throw CInternetException(ERROR_INTERNET_SECURITY_CHANNEL_ERROR);
    }
}
} // namespace

void ApplyTlsOptions(CURL* easy, const TlsOptions& tls, bool ftp) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, PlatformSslOptions());
    if (!tls.caFile.empty()) {
        // The file's authorities and the system's store are both trusted; libcurl keeps its
        // own copy of the bytes.
        std::string bytes = ReadCaFile(tls.caFile);
        TrustSystemStoreBesideCaFile(easy, bytes);
        curl_blob blob{bytes.data(), bytes.size(), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }
    if (ftp) {
        curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    } else {
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    }
}
