// A process of its own for what only a fresh load or an unload shows.
//
//   upload_unload_probe fresh            prints the job exports' answers right after load
//   upload_unload_probe exit-running F   starts an upload of file F for user "alice" and
//                                        returns from main once the job runs, so the library
//                                        unloads with the worker still at work
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

// The job's argument objects must outlive the worker, which runs until the unload stops it:
// the unload comes after this program's own static objects are gone, so they live on the
// heap, reachable to the end.
struct JobArgs {
    CString password;
    CString assetNum;
    CStringArray files;
    CObList recipients;
};

int ExitRunning(const char* file) {
    static JobArgs* args = new JobArgs;
    args->files.Add(file);
    const unsigned int product = 3;
    const unsigned int type = 0;
    if (QDX_UploadAsset("alice", product, "D", "N", args->password, args->files, args->recipients,
                        args->assetNum, type, "", nullptr) != 1) {
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
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
        return ExitRunning(argv[2]);
    }
    std::fprintf(stderr, "usage: upload_unload_probe fresh | exit-running FILE\n");
    return 2;
}
