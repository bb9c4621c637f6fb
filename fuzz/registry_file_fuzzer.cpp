// The registry file reader on hostile files: whatever the file holds, opening the service's
// key and querying a value keep their contracts (the size asked for first fits the value, a
// buffer one byte short is refused with the size needed, a string value ends with its NUL).
// The input goes through the real path: it is written to the file $VANTA_REGISTRY names.
#include "fuzz_check.h"
#include "platform/registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
constexpr const char* kAppsKey = "SOFTWARE\\Vanta Inc\\Apps";

// A private directory for the file, made once per process and removed at its exit.
const std::string& RegistryFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                              "/vanta-fuzz-registry.XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        static std::string directory = pattern;
        std::atexit([] {
            unlink((directory + "/registry.reg").c_str());
            rmdir(directory.c_str());
        });
        return pattern + "/registry.reg";
    }();
    return path;
}

void CheckValue(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        // Absent: a buffer must not change that.
        unsigned char byte = 0;
        DWORD one = 1;
        FUZZ_CHECK(RegQueryValueExA(key, name, nullptr, nullptr, &byte, &one) ==
                   ERROR_FILE_NOT_FOUND);
        return;
    }
    FUZZ_CHECK(type == REG_SZ || type == REG_DWORD);
    FUZZ_CHECK(type == REG_DWORD ? size == 4 : size >= 1);

    std::vector<unsigned char> exact(size);
    DWORD exactSize = size;
    FUZZ_CHECK(RegQueryValueExA(key, name, nullptr, nullptr, exact.data(), &exactSize) ==
               ERROR_SUCCESS);
    FUZZ_CHECK(exactSize == size);
    FUZZ_CHECK(type != REG_SZ || exact.back() == '\0');

    std::vector<unsigned char> shortBuffer(size);
    DWORD shortSize = size - 1;
    FUZZ_CHECK(RegQueryValueExA(key, name, nullptr, nullptr, shortBuffer.data(), &shortSize) ==
               ERROR_MORE_DATA);
    FUZZ_CHECK(shortSize == size);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = RegistryFile();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        FUZZ_CHECK(file.good());
    }
    setenv("VANTA_REGISTRY", path.c_str(), 1);

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    FUZZ_CHECK(key != nullptr);
    // The value the library reads, the key's default value, and a name that differs in case.
    for (const char* name : {"Server", "", "sERVER"}) {
        CheckValue(key, name);
    }
    FUZZ_CHECK(RegCloseKey(key) == ERROR_SUCCESS);
    return 0;
}
