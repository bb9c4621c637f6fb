// A process of its own for what only a fresh load or an unload shows.
//
//   upload_unload_probe fresh            prints the job exports' answers right after load
//   upload_unload_probe exit-running F   starts an upload of file F for user "alice" and
//                                        returns from main once the job runs, so the library
//                                        unloads with the worker still at work
//   upload_unload_probe exit-sending F   the same, once some of F has been sent
#include <vantaapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
int Fresh() {
    const bool uploading = QDX_IsUploading();
    const unsigned int progress = QDX_GetUploadProgress();
    const unsigned int cancel = QDX_CancelUpload(0);
    CString status = "as passed";
    unsigned long code = 0;
    QDX_GetAssetUploadStatus(status, code);
    std::printf("uploading=%d progress=%u cancel=%u code=%lu status=%s\n", uploading ? 1 : 0,
                progress, cancel, code, status.GetString());
    return 0;
}

// The job's argument objects are gone before main returns: the worker works on copies.
int ExitRunning(const char* file, bool untilSending) {
    CString password;
    CString assetNum;
    CStringArray files;
    CObList recipients;
    files.Add(file);
    const unsigned int product = 3;
    const unsigned int type = 0;
    if (QDX_UploadAsset("alice", product, "D", "N", password, files, recipients, assetNum, type, "",
                        nullptr) != 1) {
        return 2;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(untilSending ? 20 : 300));
    } while (untilSending && QDX_GetUploadProgress() == 0 &&
             std::chrono::steady_clock::now() < end);
    std::printf("running=%d\n", QDX_IsUploading() ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "fresh") == 0) {
        return Fresh();
    }
    if (argc == 3 && std::strcmp(argv[1], "exit-running") == 0) {
        return ExitRunning(argv[2], false);
    }
    if (argc == 3 && std::strcmp(argv[1], "exit-sending") == 0) {
        return ExitRunning(argv[2], true);
    }
    std::fprintf(stderr,
                 "usage: upload_unload_probe fresh | exit-running FILE | exit-sending FILE\n");
    return 2;
}
