#include "transport/config_sources.h"
#include "transport/globals.h"

namespace {
constexpr char kLogin[] = "mossbay";
} // namespace

const char* const LoginName = kLogin;
const char* const LoginPassword = kLogin;

// A number is no host name: read as its decimal text it would name an IPv4 address ("4" is
// 0.0.0.4), so it is passed over like a value of any other type.
CString ReadServerAddress() {
    std::string host;
    bool number = false;
    if (!RegistryValue("Server", host, &number) || number) {
        return CString(kDefaultServiceHost);
    }
    return CString(std::move(host));
}
