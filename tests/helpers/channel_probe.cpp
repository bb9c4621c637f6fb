// Sends one request through the library as loaded in this process (so with the environment
// and registry that this process was started with) and prints what happened, one
// "key=value" line each: result, host (from the first RESOLVING_NAME notification), the
// failure reason and the configuration problem.
// Usage: channel_probe PROGRAM
#include <vantaapi.h>

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
    if (argc != 2) {
        std::fprintf(stderr, "usage: channel_probe PROGRAM\n");
        return 2;
    }
    CString reply;
    const unsigned int result = QDX_SendHTTPRequest("", argv[1], reply, &NoteHost);
    std::printf("result=%u\nhost=%s\nreason=%s\nproblem=%s\n", result, g_host.c_str(),
                QDX_GetLastFailureReason(), QDX_GetConfigurationProblem());
    return 0;
}
