// Sends one request through the library as loaded in this process (so with the registry that
// this process was started with) and prints what happened, one "key=value" line each:
//   result=<code>  elapsed_ms=<ms>  host=<name from the first RESOLVING_NAME notification>
//   reply=<reply text>
// Usage: channel_probe PROGRAM [BODY]
#include <vantaapi.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {
std::string g_host;

unsigned long WINAPI NoteHost(unsigned long status, void* info, unsigned long length) {
    if (status == 10 && g_host.empty() && info != nullptr && length > 0) {
        g_host.assign(static_cast<const char*>(info), length - 1);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: channel_probe PROGRAM [BODY]\n");
        return 2;
    }
    CString reply;
    const auto start = std::chrono::steady_clock::now();
    const unsigned int result =
        QDX_SendHTTPRequest(CString(argc > 2 ? argv[2] : ""), CString(argv[1]), reply, &NoteHost);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("result=%u\nelapsed_ms=%lld\nhost=%s\nreply=%s\n", result,
                static_cast<long long>(elapsed.count()), g_host.c_str(), reply.GetString());
    return 0;
}
