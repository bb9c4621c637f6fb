// A process of its own for what only an unload shows.
//
//   upload_unload_probe exit-sending F   starts an upload of file F for user "alice" and
//                                        returns from main once some of F has been sent, so
//                                        the library unloads with the worker still at work
#include <vantaapi.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

// The job's argument objects are gone before main returns: the worker works on copies.
int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "exit-sending") != 0) {
        std::fprintf(stderr, "usage: upload_unload_probe exit-sending FILE\n");
        return 2;
    }
    CString password;
    CString assetNum;
    CStringArray files;
    CObList recipients;
    files.Add(argv[2]);
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
