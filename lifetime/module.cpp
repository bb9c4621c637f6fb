// Load and unload of the library.
//
// Everything that runs at load lives in this one translation unit, so that the order of its
// definitions is the order of start-up: FormHeaders, then the service configuration (from the
// environment and the registry file), then the module's entry into the framework's module
// chain. Unload runs in reverse: the module leaves the chain after the job of the exports has
// ended, then the configuration and FormHeaders are destroyed.
#include "jobs/job_slot.h"
#include "net/curl_transfer.h"
#include "os/extension_module.h"
#include "os/failure_reason_storage.h"
#include "os/process_end.h"
#include "transport/config_loader.h"
#include "transport/globals.h"
#include "vanta/version.h"

using namespace vanta::internal;

extern "C++" const VantaVersionRecord vantaModuleVersion = {
    {1, 1, 0, 0}, {1, 1, 0, 0}, 0x0409,         0x04b0,         "1.1",
    "1.1",        "vantaAPI",   "vantaAPI DLL", "vantaAPI.DLL", "vantaAPI Dynamic Link Library"};

namespace {
// Publishes the configuration read from its sources as the process-wide one. Never throws:
// when even that fails, the defaults stay in place.
bool PublishConfigAtLoad() noexcept {
    try {
        LoadedConfig loaded = LoadServiceConfig();
        PublishProcessConfig(std::move(loaded.config), std::move(loaded.problems));
        return true;
    } catch (...) {
        return false;
    }
}
} // namespace

CString FormHeaders("Content-Type: application/x-www-form-urlencoded");
const bool g_configPublished = PublishConfigAtLoad();

namespace {
AFX_EXTENSION_MODULE g_extensionModule;

// The library's entry point, run for process attach at the end of the load and for process
// detach at the start of the unload.
class ModuleEntry {
public:
    ModuleEntry() {
        // Before this entry's unload step is registered, so that the network layer's own exit
        // work comes after it: a job's worker may still be using the network then.
        InitInternetLayer();
        if (AfxInitExtensionModule(g_extensionModule,
                                   reinterpret_cast<HINSTANCE>(&g_extensionModule))) {
            // The chain owns the entry from here on.
            new CDynLinkLibrary(g_extensionModule);
        }
    }
    ~ModuleEntry() {
        // On Windows this runs inside the system's loader lock (a DLL's static destructors
        // run from its process-detach notification). The waits below wait for the workers'
        // own marks of their end, never for their threads' ends, which need that lock; and at
        // the process's end the system has killed the workers already: nothing is waited for.
        if (!ProcessIsEnding()) {
            // A job thread that still runs is stopped and waited for first: it uses the job,
            // the globals below and the library's code.
            ExportJobSlot().Release();
            // So are the workers of jobs whose owners let them go from inside their callbacks.
            WaitForDetachedJobs();
        }
        AfxTermExtensionModule(g_extensionModule, FALSE);
        // Last: the workers above may still have recorded failures.
        ReleaseFailureReasons();
    }
    ModuleEntry(const ModuleEntry&) = delete;
    ModuleEntry& operator=(const ModuleEntry&) = delete;
};

ModuleEntry g_moduleEntry;
} // namespace
