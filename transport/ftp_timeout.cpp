#include "transport/ftp_timeout.h"

#include <cerrno>
#include <cstdlib>

namespace {
constexpr std::chrono::milliseconds kDefaultFtpTimeout{30000};
// Longer than a day is no limit anyone means; it would also overflow libcurl's long options.
constexpr unsigned long kLongestFtpTimeoutMs = 24UL * 60 * 60 * 1000;

std::chrono::milliseconds ReadFtpTimeout() noexcept {
    const char* text = std::getenv("VANTA_FTP_TIMEOUT_MS");
    if (text == nullptr || *text < '0' || *text > '9') {
        return kDefaultFtpTimeout;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value == 0 || value > kLongestFtpTimeoutMs) {
        return kDefaultFtpTimeout;
    }
    return std::chrono::milliseconds(value);
}

// Read while the library loads, so that a later change of the environment (by another thread,
// say) does not reach calls already made.
const std::chrono::milliseconds g_ftpTimeout = ReadFtpTimeout();
} // namespace

std::chrono::milliseconds FtpTimeout() {
    return g_ftpTimeout;
}
