// Sends one request through the library as loaded in this process (so with the environment
// and registry that this process was started with) and prints what happened, one
// "key=value" line each:
//   result=<code>  elapsed_ms=<ms>  host=<name from the first RESOLVING_NAME notification>
//   reply=<reply text>  reason=<failure reason>  kind=<failure kind>
//   problem=<configuration problem>
// Usage: channel_probe [--server HOST[:HTTP_PORT]] PROGRAM [BODY]
// --server changes the address after load, as a program's own command-line flag would.
#include <vantaapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--server") {
        std::string server = argv[2];
        const size_t colon = server.find(':');
        const unsigned port =
            colon == std::string::npos
                ? 0
                : static_cast<unsigned>(std::strtoul(server.c_str() + colon + 1, nullptr, 10));
        const unsigned set = QDX_SetServiceAddress(server.substr(0, colon).c_str(), port, 0);
        std::printf("set=%u\n", set);
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: channel_probe [--server HOST[:PORT]] PROGRAM [BODY]\n");
        return 2;
    }
    CString reply;
    const auto start = std::chrono::steady_clock::now();
    const unsigned int result = QDX_SendHTTPRequest(
        CString(argc > first + 1 ? argv[first + 1] : ""), CString(argv[first]), reply, &NoteHost);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("result=%u\nelapsed_ms=%lld\nhost=%s\nreply=%s\n", result,
                static_cast<long long>(elapsed.count()), g_host.c_str(), reply.GetString());
    std::printf("reason=%s\nkind=%u\n", QDX_GetLastFailureReason(), QDX_GetLastFailureKind());
    std::printf("problem=%s\n", QDX_GetConfigurationProblem());
    return 0;
}
