// The Win32 twin. Paths are the Linux side's as they are ("/tmp/..."): a Windows program under
// wine started in a Linux folder runs on drive Z:, the Linux root, where a path without a drive
// means the same file on both sides.
#include "test_platform.h"

#include "linux_side.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace vanta::test {

namespace {
std::wstring Wide(const std::string& text) {
    return std::filesystem::path(text).wstring();
}
} // namespace

std::string MakeTempDir(const std::string& prefix) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string dir = "/tmp/" + prefix + std::to_string(random());
        if (std::error_code error; std::filesystem::create_directory(dir, error)) {
            return dir;
        }
    }
    throw std::runtime_error("cannot make a directory /tmp/" + prefix + "*");
}

// A volatile key lives in this run's wineserver only: the library in this process read the
// registry at load and keeps its default host, as on Linux, and nothing stays in the prefix.
void PointRegistryAtService(const std::string&) {
    HKEY key = nullptr;
    for (const wchar_t* path : {L"SOFTWARE\\Vanta Inc", L"SOFTWARE\\Vanta Inc\\Apps"}) {
        if (key != nullptr) {
            RegCloseKey(key);
        }
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            throw std::runtime_error("cannot create the registry key of the service");
        }
    }
    const wchar_t server[] = L"127.0.0.1";
    const LSTATUS set = RegSetValueExW(key, L"Server", 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(server), sizeof server);
    RegCloseKey(key);
    if (set != ERROR_SUCCESS) {
        throw std::runtime_error("cannot set the registry value Server");
    }
}

bool ReadsRegistryFile() {
    return false;
}

std::string SetLibraryTempDir(const std::string& dir) {
    SetEnvironmentVariableW(L"TMP", Wide(dir).c_str());
    return "Z:" + dir;
}

// An empty value removes the variable there.
void SetVariable(const char* name, const char* value) {
    _putenv_s(name, value != nullptr ? value : "");
}

bool MakeFifo(const std::string&) {
    return false;
}

bool UnloadAtExitReachesRunningJobs() {
    return false;
}

// The service ends with the namespace of the run, which ends with this program.
long long StartServiceProcess(const std::vector<std::string>& args, const std::string& outPath,
                              const std::string& logPath) {
    std::vector<std::string> argv = {"/usr/bin/python3", "-m", "service"};
    argv.insert(argv.end(), args.begin(), args.end());
    return AskLinuxSide(
               "start",
               {{"argv", argv}, {"out", outPath}, {"log", logPath}, {"cwd", VANTA_SOURCE_DIR}})
        .at("id");
}

bool ServiceProcessRunning(long long id) {
    return AskLinuxSide("running", {{"id", id}}).at("running");
}

bool StopServiceProcess(long long id) {
    return AskLinuxSide("stop", {{"id", id}}).at("stopped");
}

} // namespace vanta::test
