// The Win32 twin of the registry: the system's registry, read with its wide calls, the
// library's UTF-8 at the boundary. There is no registry file here.
#include "os/registry.h"

#include "os/win32/utf16.h"

#include <cstring>
#include <vector>

namespace {
// A setting's text is short; a value this large is no setting of the library's.
constexpr DWORD kMaxValueBytes = 64 * 1024;

// The value's type and bytes as the system stores them (a string in UTF-16 with its NUL).
LSTATUS ReadStored(const std::wstring& subKey, const std::wstring& name, DWORD& type,
                   std::vector<unsigned char>& stored) {
    constexpr DWORD kinds = RRF_RT_REG_SZ | RRF_RT_REG_DWORD;
    // Sized, then read; a value that grows in between is read again, a few times at most.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        LSTATUS status = RegGetValueW(HKEY_LOCAL_MACHINE, subKey.c_str(), name.c_str(), kinds,
                                      &type, nullptr, &size);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        if (size > kMaxValueBytes) {
            return ERROR_MORE_DATA;
        }
        stored.assign(size, 0);
        status = RegGetValueW(HKEY_LOCAL_MACHINE, subKey.c_str(), name.c_str(), kinds, &type,
                              stored.data(), &size);
        if (status != ERROR_MORE_DATA) {
            stored.resize(size);
            return status;
        }
    }
    return ERROR_MORE_DATA;
}
} // namespace

LSTATUS ReadRegistryValue(const char* subKey, const char* name, DWORD* type, unsigned char* data,
                          DWORD* dataSize) {
    std::wstring wideKey;
    std::wstring wideName;
    if (subKey == nullptr || !Widen(subKey, wideKey) || !Widen(name ? name : "", wideName)) {
        return ERROR_FILE_NOT_FOUND;
    }
    DWORD storedType = 0;
    std::vector<unsigned char> stored;
    const LSTATUS status = ReadStored(wideKey, wideName, storedType, stored);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::string value;
    if (storedType == REG_DWORD) {
        value.assign(reinterpret_cast<const char*>(stored.data()), stored.size());
    } else {
        // The system ends the text with a NUL; the text is what stands before the first one.
        std::wstring wide(stored.size() / sizeof(wchar_t), L'\0');
        std::memcpy(wide.data(), stored.data(), wide.size() * sizeof(wchar_t));
        value = Narrow(std::wstring_view(wide.c_str())) + '\0';
    }
    if (type != nullptr) {
        *type = storedType;
    }
    if (dataSize == nullptr) {
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    }
    const auto size = static_cast<DWORD>(value.size());
    if (data != nullptr && size > *dataSize) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr) {
        std::memcpy(data, value.data(), size);
    }
    *dataSize = size;
    return ERROR_SUCCESS;
}

std::string RegistryFilePath() {
    return {};
}

bool RegistryFileNamed() {
    return false;
}

const std::string& RegistryFileError() {
    static const std::string none;
    return none;
}

bool RegistryFileAbsent() {
    return true;
}
