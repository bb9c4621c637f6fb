// A process of its own for the multi-file send with more than one connection, which no export
// offers yet: `resume_send_probe ATTEMPTS DIR FILE...` sends the files into DIR with at most
// ATTEMPTS connections, with the process's configuration (the registry file and environment
// the test gave it), and prints "result=R counted=C", C being the bytes its transfer control
// counted, then the trace's lines about broken connections and resumes. The files are measured
// first, as the jobs measure theirs. With RESUME_PROBE_TRUNCATE=PATH in the environment, the
// local file PATH is cut to half its length when the first broken connection is traced: a file
// that changed between attempts.
#include "net/curl_transfer.h"
#include "net/trace.h"
#include "net/transfer_control.h"
#include "transport/call_context.h"
#include "transport/config_loader.h"
#include "transport/multi_send.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {
class CountingControl : public TransferControl {
public:
    void BeginSend() override { counted = 0; }
    void AddBytesSent(std::uint64_t bytes) override { counted += bytes; }
    bool CancelRequested() const override { return false; }

    std::uint64_t counted = 0;
};

void PrintResumeLines(const char* line) {
    const std::string_view text = line;
    static bool truncated = false;
    const char* const truncate = std::getenv("RESUME_PROBE_TRUNCATE");
    if (truncate != nullptr && !truncated &&
        text.find("logging in again") != std::string_view::npos) {
        truncated = true;
        std::filesystem::resize_file(truncate, std::filesystem::file_size(truncate) / 2);
    }
    if (text.find("resuming") != std::string_view::npos ||
        text.find("logging in again") != std::string_view::npos) {
        std::printf("%s\n", line);
    }
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    InitInternetLayer();
    SetTraceSink(&PrintResumeLines);
    const LoadedConfig loaded = LoadServiceConfig();
    CountingControl control;
    ServiceConfig config = loaded.config;
    config.retry.retries = static_cast<unsigned int>(std::strtoul(argv[1], nullptr, 10)) - 1;
    const CallContext context{config, {}, &control, CurrentTraceSink()};
    CStringArray files;
    std::vector<std::uint64_t> lengths;
    for (int i = 3; i < argc; ++i) {
        files.Add(argv[i]);
        lengths.push_back(std::filesystem::file_size(argv[i]));
    }
    const unsigned int result = SendFiles(context, argv[2], files, &lengths);
    std::printf("result=%u counted=%llu\n", result,
                static_cast<unsigned long long>(control.counted));
    return 0;
}
