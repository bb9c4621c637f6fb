// A process of its own for the unload of a library that was loaded at run time, as a plug-in
// host loads it: `library_unload_probe FILE` loads the library (dlopen, LoadLibraryW), starts an
// upload of FILE for user "alice" through the C interface, lets the job go from its progress
// callback once some of it has been sent (the job is cancelled and left to end on its own),
// and unloads the library. A thread of the host's own asks for the library's texts before the
// unload and ends after it. No code of the library may run once it is gone, which must be
// within a bound: the probe prints whether it went and lives on for a moment after that.
//
// It is linked to nothing of the library, so that the unload is real.
#include <vanta/vanta.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)
using Library = HMODULE;
Library Load() {
    return LoadLibraryW(L"vantaapi.dll");
}
void* Symbol(Library library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(library, name));
}
bool Unload(Library library) {
    return FreeLibrary(library) != FALSE;
}
// A worker that was let go keeps the library until its very end, which comes within the
// bounds of its cancelled transfer.
bool GoneWithin(std::chrono::seconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (GetModuleHandleW(L"vantaapi.dll") != nullptr) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        Sleep(10);
    }
    return true;
}
#else
using Library = void*;
Library Load() {
    return dlopen(VANTA_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
}
void* Symbol(Library library, const char* name) {
    return dlsym(library, name);
}
bool Unload(Library library) {
    return dlclose(library) == 0;
}
// dlclose has run the library's unload and waited for its workers, or the C library keeps the
// library for the process's life (as it does one with unique C++ symbols): either way no code
// of it runs after its unload.
bool GoneWithin(std::chrono::seconds) {
    return true;
}
#endif

template <typename Function>
Function* Find(Library library, const char* name) {
    return reinterpret_cast<Function*>(Symbol(library, name));
}

decltype(&vanta_job_free) g_jobFree = nullptr;
std::atomic<vanta_job*> g_job{nullptr};
std::atomic<bool> g_letGo{false};
std::atomic<bool> g_ended{false};
std::atomic<bool> g_asked{false};
std::atomic<bool> g_unloaded{false};

// The exports that hand out texts the library keeps per thread. They are C++ functions, whose
// names both toolchains here mangle alike.
using TextExport = const char* (*)();
constexpr const char* kTextExports[] = {"_Z24QDX_GetLastFailureReasonv",
                                        "_Z27QDX_GetConfigurationProblemv"};

// Asks for every kept text, then lives on until the library is gone: what the library keeps
// for this thread must not need the library's code at the thread's end.
std::thread AskForTexts(Library library, bool& found) {
    std::vector<TextExport> exports;
    for (const char* name : kTextExports) {
        exports.push_back(Find<const char*()>(library, name));
        found = found && exports.back() != nullptr;
    }
    return std::thread([exports] {
        for (const TextExport text : exports) {
            if (text != nullptr) {
                text();
            }
        }
        g_asked.store(true);
        while (!g_unloaded.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

void OnProgress(const vanta_progress* progress, void*) {
    if (progress->phase == VANTA_PHASE_FINISHED) {
        g_ended.store(true); // before sending anything: main says why
        return;
    }
    if (progress->bytes == 0 || g_letGo.load()) {
        return;
    }
    // The worker may get here before vanta_upload has handed out the handle.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_job.load() == nullptr && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    g_jobFree(g_job.load()); // from the callback: cancelled, and left to end on its own
    g_letGo.store(true);
}

int Run(Library library, const char* file) {
    const auto clientNew = Find<decltype(vanta_client_new_from_environment)>(
        library, "vanta_client_new_from_environment");
    const auto clientFree = Find<decltype(vanta_client_free)>(library, "vanta_client_free");
    const auto requestInit =
        Find<decltype(vanta_upload_request_init)>(library, "vanta_upload_request_init");
    const auto optionsInit =
        Find<decltype(vanta_job_options_init)>(library, "vanta_job_options_init");
    const auto upload = Find<decltype(vanta_upload)>(library, "vanta_upload");
    const auto jobWait = Find<decltype(vanta_job_wait)>(library, "vanta_job_wait");
    const auto outcome = Find<decltype(vanta_job_outcome)>(library, "vanta_job_outcome");
    const auto reason = Find<decltype(vanta_error_reason)>(library, "vanta_error_reason");
    const auto errorFree = Find<decltype(vanta_error_free)>(library, "vanta_error_free");
    g_jobFree = Find<decltype(vanta_job_free)>(library, "vanta_job_free");
    if (!clientNew || !clientFree || !requestInit || !optionsInit || !upload || !g_jobFree) {
        return 3;
    }
    vanta_client* client = nullptr;
    if (clientNew(&client, nullptr) != VANTA_OK) {
        return 4;
    }
    vanta_upload_request request;
    requestInit(&request, sizeof request);
    request.user_id = "alice";
    request.product = 3;
    request.name = "N";
    request.description = "D";
    request.asset_type = 2;
    request.files = &file;
    request.file_count = 1;
    vanta_job_options options;
    optionsInit(&options, sizeof options);
    options.on_progress = &OnProgress;
    vanta_job* job = nullptr;
    if (upload(client, &request, &options, &job, nullptr) != VANTA_OK) {
        clientFree(client);
        return 5;
    }
    g_job.store(job);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!g_letGo.load() && !g_ended.load() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!g_letGo.load() && jobWait(job, 0)) {
        vanta_error* error = nullptr;
        outcome(job, nullptr, &error);
        std::printf("ended early: %s\n", error != nullptr ? reason(error) : "");
        errorFree(error);
        g_jobFree(job);
    }
    clientFree(client);
    return g_letGo.load() ? 0 : 6;
}
} // namespace

int main(int argc, char** argv) {
    const Library library = Load();
    if (library == nullptr) {
        return 2;
    }
    int status = Run(library, argc >= 2 ? argv[1] : "");
    bool found = true;
    std::thread asker = AskForTexts(library, found);
    status = status == 0 && !found ? 7 : status;
    // The asker has its texts before the unload begins.
    const auto asked = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!g_asked.load() && std::chrono::steady_clock::now() < asked) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool unloaded = Unload(library);
    const bool gone = GoneWithin(std::chrono::seconds(20));
    g_unloaded.store(true);
    asker.join();
    // Code of the library that still ran would fault within this time.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::printf("unloaded=%d gone=%d\n", unloaded ? 1 : 0, gone ? 1 : 0);
    return status;
}
