// Uploads files as a new asset in the background, shows the job's progress on one line of
// stderr while it runs, and cancels it on Ctrl-C.
//
//   upload_with_progress USER PRODUCT NAME FILE...
//
// Exit status: 0 uploaded, 1 the upload failed, 130 cancelled, 2 wrong usage.
#include <vantaapi.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s USER PRODUCT NAME FILE...\n", argv[0]);
        return 2;
    }
    const unsigned int product = static_cast<unsigned int>(std::strtoul(argv[2], nullptr, 10));
    CStringArray files;
    for (int i = 4; i < argc; ++i) {
        files.Add(argv[i]);
    }
    const CObList recipients; // nobody is told about the new asset
    const unsigned int assetType = 0;
    CString password;
    CString assetNumber;
    std::signal(SIGINT, OnInterrupt);

    // Returns as soon as the job's worker thread runs; the worker writes the asset's number
    // and password once the service has registered it.
    if (const unsigned int started =
            QDX_UploadAsset(argv[1], product, "", argv[3], password, files, recipients, assetNumber,
                            assetType, "", nullptr);
        started != 1) {
        std::fprintf(stderr, "the upload did not start (result %u)\n", started);
        return 1;
    }

    bool cancelled = false;
    while (QDX_IsUploading()) {
        if (g_interrupted && !cancelled) {
            // A cancel takes effect only while the files are being sent: before that, try
            // again at the next poll. Waits at most five seconds for the worker to end.
            cancelled = QDX_CancelUpload(5000) == 1;
        }
        std::fprintf(stderr, "\rsending %3u %%", QDX_GetUploadProgress());
        std::fflush(stderr);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fputc('\n', stderr);
    if (cancelled) {
        std::puts("cancelled");
        return 130;
    }

    // The job has ended: its result code, and on success the address of the asset's page.
    CString status;
    unsigned long code = 0;
    QDX_GetAssetUploadStatus(status, code);
    if (code != 1) {
        std::printf("upload failed (result %lu)\n", code);
        return 1;
    }
    std::printf("asset %s uploaded, password %s\n%s\n", assetNumber.GetString(),
                password.GetString(), status.GetString());
    return 0;
}
