// A host application in miniature: includes the public headers, links the library, uses a
// framework type across the library boundary, resolves an export, and uses the C++ client
// (its records, results and a failed call that needs no service).
#include <vanta/client.hpp>
#include <vantaapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

int main() {
    CString text("consumer");
    text += "-check";
    CString joined = text + CString("!");
    if (joined.GetLength() != 15 || std::strcmp(joined, "consumer-check!") != 0) {
        std::printf("CString misbehaves: \"%s\" (%d)\n", static_cast<const char*>(joined),
                    joined.GetLength());
        return 1;
    }
    unsigned int (*send)(const CString&, const CString&, CString&, StatusCallback) =
        &QDX_SendHTTPRequest;
    if (send == nullptr)
        return 1;

    // Port 1 on the loopback refuses at once: a network error, as a value.
    vanta::Config config;
    config.host = "127.0.0.1";
    config.http_port = 1;
    const vanta::Client client(config);
    const vanta::Result<vanta::VersionCheck> version = client.check_version();
    if (version.has_value() || version.error().category != vanta::ErrorCategory::network ||
        vanta::Client::library_version().empty()) {
        std::printf("vanta::Client misbehaves\n");
        return 1;
    }
    std::printf("consumer ok: %s; client: %s (%s)\n", static_cast<const char*>(joined),
                std::string(vanta::to_string(version.error().category)).c_str(),
                version.error().reason.c_str());
    return 0;
}
