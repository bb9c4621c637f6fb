// The registry file reader on hostile files: whatever the file holds, opening the service's
// key and querying a value keep their contracts (the size asked for first fits the value, a
// buffer one byte short is refused with the size needed, a string value ends with its NUL).
// The input goes through the real path: it is the file $VANTA_REGISTRY names.
#include "fuzz_check.h"
#include "os/registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {
void CheckValue(HKEY key, const char* name) {
    DWORD type = 0, size = 0;
    unsigned char byte = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        DWORD one = 1; // absent: a buffer must not change that
        FUZZ_CHECK(RegQueryValueExA(key, name, nullptr, nullptr, &byte, &one) ==
                   ERROR_FILE_NOT_FOUND);
        return;
    }
    FUZZ_CHECK(type == REG_DWORD ? size == 4 : type == REG_SZ && size >= 1);
    std::vector<unsigned char> buffer(size);
    for (const DWORD offered : {size, size - 1}) { // one byte short is told the size needed
        DWORD got = offered;
        FUZZ_CHECK(RegQueryValueExA(key, name, nullptr, nullptr, buffer.data(), &got) ==
                       (offered == size ? ERROR_SUCCESS : ERROR_MORE_DATA) &&
                   got == size);
    }
    FUZZ_CHECK(type != REG_SZ || buffer.back() == '\0');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A file in memory, named by its descriptor's path: nothing to clean up after a crash.
    static const int fd = memfd_create("registry.reg", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0 && ftruncate(fd, 0) == 0 &&
               pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    setenv("VANTA_REGISTRY", ("/proc/self/fd/" + std::to_string(fd)).c_str(), 1);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vanta Inc\\Apps", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return 0;
    }
    // The value the library reads, the key's default value, and a name that differs in case.
    for (const char* name : {"Server", "", "sERVER"}) {
        CheckValue(key, name);
    }
    FUZZ_CHECK(key != nullptr && RegCloseKey(key) == ERROR_SUCCESS);
    return 0;
}
