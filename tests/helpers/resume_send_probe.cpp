// A process of its own for the sends under a retry policy of the test's choosing, which no
// export offers: `resume_send_probe RETRIES/WAIT_MS[/BUDGET_MS] DIR FILE...` sends the files into
// DIR with the process's configuration (the registry file and environment the test gave it)
// and a policy of RETRIES retries, each after WAIT_MS ms, within BUDGET_MS if given, and prints
// "result=R counted=C", C being the bytes its transfer control counted, then "reason=..." after a
// failure, then the trace's lines about retries and resumes. The files are measured first, as the
// jobs measure theirs. Environment:
//   RESUME_PROBE_AS=NAME       the single send of the first file, stored as NAME; R is then
//                              1, 8 (local file), 16384 (cancelled) or 16 (any other failure)
//   RESUME_PROBE_TRUNCATE=PATH the local file PATH is cut to half its length when the first
//                              retry is traced: a file that changed between attempts
//   RESUME_PROBE_CANCEL=1      the transfer control asks to cancel when the first retry is
//                              traced; "cancel_ms=N" tells how long the send took to end then
#include "files/file_sends.h"
#include "net/curl_transfer.h"
#include "net/trace.h"
#include "net/transfer_control.h"
#include "os/failure_reason.h"
#include "transport/call_context.h"
#include "transport/config_loader.h"
#include "transport/multi_send.h"
#include "vanta/result_codes.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

class CountingControl : public TransferControl {
public:
    void BeginSend() override { counted = 0; }
    void AddBytesSent(std::uint64_t bytes) override { counted += bytes; }
    bool CancelRequested() const override { return cancel; }
    void Resuming() override { ++resumed; }

    std::uint64_t counted = 0;
    unsigned resumed = 0;
    std::atomic<bool> cancel = false;
};

CountingControl control;
Clock::time_point cancelledAt;
std::string reason; // why the send failed

void OnTraceLine(const char* line) {
    const std::string_view text = line;
    const bool retrying = text.starts_with("* retrying");
    static bool retried = false;
    if (retrying && !retried) {
        retried = true;
        if (const char* const truncate = std::getenv("RESUME_PROBE_TRUNCATE")) {
            std::filesystem::resize_file(truncate, std::filesystem::file_size(truncate) / 2);
        }
        if (std::getenv("RESUME_PROBE_CANCEL") != nullptr) {
            cancelledAt = Clock::now();
            control.cancel = true;
        }
    }
    if (retrying || text.starts_with("* resuming")) {
        std::printf("%s\n", line);
    }
}

// The single send's outcome as the multi-file send's result code.
unsigned int SendAs(const CallContext& context, const char* dir, const char* file,
                    const char* name) {
    const vanta::Result<void> sent = core::SendFile(context, dir, file, name);
    if (sent) {
        return vanta::result::kSuccess;
    }
    reason = sent.error().reason;
    switch (sent.error().category) {
    case vanta::ErrorCategory::local_file:
        return vanta::result::kLocalFileError;
    case vanta::ErrorCategory::cancelled:
        return vanta::result::kCancelled;
    default:
        return vanta::result::kBusyOrFtpError;
    }
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    InitInternetLayer();
    SetTraceSink(&OnTraceLine);
    const LoadedConfig loaded = LoadServiceConfig();
    ServiceConfig config = loaded.config;
    char* waitText = nullptr;
    config.retry.retries = static_cast<unsigned int>(std::strtoul(argv[1], &waitText, 10));
    config.retry.initial_backoff = config.retry.max_backoff =
        std::chrono::milliseconds(std::strtol(waitText + (*waitText == '/'), nullptr, 10));
    if (char* const budget = std::strchr(waitText + 1, '/')) {
        config.retry.budget = std::chrono::milliseconds(std::strtol(budget + 1, nullptr, 10));
    }
    config.retry.jitter = 0;
    const CallContext context{config, {}, &control, CurrentTraceSink()};
    CStringArray files;
    std::vector<std::uint64_t> lengths;
    for (int i = 3; i < argc; ++i) {
        files.Add(argv[i]);
        lengths.push_back(std::filesystem::file_size(argv[i]));
    }
    const char* const as = std::getenv("RESUME_PROBE_AS");
    unsigned int result = 0;
    if (as != nullptr) {
        result = SendAs(context, argv[2], argv[3], as);
    } else {
        result = SendFiles(context, argv[2], files, &lengths);
        reason = FailureReason();
    }
    std::printf("result=%u counted=%llu resumed=%u\n", result,
                static_cast<unsigned long long>(control.counted), control.resumed);
    if (result != vanta::result::kSuccess) {
        std::printf("reason=%s\n", reason.c_str());
    }
    if (control.cancel) {
        std::printf("cancel_ms=%lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               Clock::now() - cancelledAt)
                                               .count()));
    }
    return 0;
}
