// A process of its own for what only an unload shows: `upload_unload_probe FILE` starts an
// upload of FILE for user "alice" and returns from main once some of it has been sent, so the
// library unloads with the worker still at work. The job's argument objects are gone before
// main returns: the worker works on copies.
//
// `upload_unload_probe FILE calls-back`: the job's status callback, on the worker, calls the
// job exports once and prints their answers and whether each returned within 100 ms; main
// returns once the job has begun sending or has ended.
#include <vantaapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
std::atomic<bool> g_calledBack{false};

unsigned long WINAPI CallTheJobBack(unsigned long, void*, unsigned long) {
    if (g_calledBack.exchange(true)) {
        return 0;
    }
    using Clock = std::chrono::steady_clock;
    Clock::duration slowest{};
    const auto timed = [&](auto call) {
        const auto start = Clock::now();
        const auto answer = call();
        slowest = std::max(slowest, Clock::now() - start);
        return answer;
    };
    CString text = "unchanged";
    unsigned long code = 0;
    timed([&] {
        QDX_GetAssetUploadStatus(text, code);
        return 0;
    });
    const bool uploading = timed([] { return QDX_IsUploading(); });
    const unsigned int cancelled = timed([] { return QDX_CancelUpload(0xFFFFFFFF); });
    std::printf("status=%lu '%s' uploading=%d cancel=%u prompt=%d\n", code, text.GetString(),
                uploading ? 1 : 0, cancelled, slowest < std::chrono::milliseconds(100) ? 1 : 0);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    const bool callsBack = argc == 3 && std::strcmp(argv[2], "calls-back") == 0;
    CString password;
    CString assetNum;
    CStringArray files;
    CObList recipients;
    files.Add(argc >= 2 ? argv[1] : "");
    if (QDX_UploadAsset("alice", 3, "D", "N", password, files, recipients, assetNum, 0, "",
                        callsBack ? &CallTheJobBack : nullptr) != 1) {
        return 2;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (QDX_GetUploadProgress() == 0 && std::chrono::steady_clock::now() < end &&
           (!callsBack || QDX_IsUploading())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("running=%d\n", QDX_IsUploading() ? 1 : 0);
    return 0;
}
