// Sends one request through the library as loaded in this process (so with the environment
// and registry that this process was started with) and prints what happened, one
// "key=value" line each: the result, the failure reason and the configuration problem.
// Usage: channel_probe PROGRAM
#include <vantaapi.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: channel_probe PROGRAM\n");
        return 2;
    }
    CString reply;
    const unsigned int result = QDX_SendHTTPRequest("", argv[1], reply, nullptr);
    std::printf("result=%u\nreason=%s\nproblem=%s\n", result, QDX_GetLastFailureReason(),
                QDX_GetConfigurationProblem());
    return 0;
}
