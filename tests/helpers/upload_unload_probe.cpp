// A process of its own for what only an unload shows: `upload_unload_probe FILE` starts an
// upload of FILE for user "alice" and returns from main once some of it has been sent, so the
// library unloads with the worker still at work. The job's argument objects are gone before
// main returns: the worker works on copies.
#include <vantaapi.h>

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
    CString password;
    CString assetNum;
    CStringArray files;
    CObList recipients;
    files.Add(argc == 2 ? argv[1] : "");
    if (QDX_UploadAsset("alice", 3, "D", "N", password, files, recipients, assetNum, 0, "",
                        nullptr) != 1) {
        return 2;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (QDX_GetUploadProgress() == 0 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("running=%d\n", QDX_IsUploading() ? 1 : 0);
    return 0;
}
