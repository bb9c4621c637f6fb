// A host application in miniature: includes the public headers, links the library, uses a
// framework type across the library boundary, resolves an export, and uses the C++ client (a
// failed call that needs no service, as a value).
#include <vanta/client.hpp>
#include <vantaapi.h>

#include <cstdio>
#include <cstring>

int main() {
    CString text("consumer");
    text += "-check";
    unsigned int (*send)(const CString&, const CString&, CString&, StatusCallback) =
        &QDX_SendHTTPRequest;
    // Port 1 on the loopback refuses at once: a network error.
    vanta::Config config;
    config.host = "127.0.0.1";
    config.http_port = 1;
    const vanta::Result<vanta::VersionCheck> version = vanta::Client(config).check_version();
    if (version.has_value() || version.error().category != vanta::ErrorCategory::network ||
        std::strcmp(text + CString("!"), "consumer-check!") != 0 || send == nullptr) {
        std::printf("the library misbehaves\n");
        return 1;
    }
    std::printf("consumer ok: %s\n", version.error().reason.c_str());
    return 0;
}
