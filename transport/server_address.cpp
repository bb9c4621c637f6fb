#include "transport/config_sources.h"
#include "transport/globals.h"

namespace {
constexpr char kLogin[] = "mossbay";
} // namespace

const char* const LoginName = kLogin;
const char* const LoginPassword = kLogin;

CString ReadServerAddress() {
    std::string host;
    if (!RegistryValue("Server", host)) {
        return CString(kDefaultServiceHost);
    }
    return CString(std::move(host));
}
