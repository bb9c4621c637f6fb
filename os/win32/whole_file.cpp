// The Win32 twin of the whole-file reads: CreateFileW, ReadFile, and a read-only file mapping.
#include "os/whole_file.h"

#include "os/win32/system_errors.h"
#include "os/win32/utf16.h"

#include <cstring>

namespace {
// The regular file at `path` open for reading; INVALID_HANDLE_VALUE with `problem` set
// otherwise.
HANDLE OpenRegular(const std::string& path, std::uint64_t& size, std::string& problem) {
    std::wstring wide;
    if (!Widen(path, wide)) {
        problem = path + " cannot be read: not a valid UTF-8 name";
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = path + " cannot be read: " + std::strerror(TakeLastError());
        return file;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        problem = path + " is not a regular file";
        return INVALID_HANDLE_VALUE;
    }
    size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return file;
}
} // namespace

bool ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                   std::string& problem) {
    std::uint64_t size = 0;
    const HANDLE file = OpenRegular(path, size, problem);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (size > limit) {
        CloseHandle(file);
        problem = path + " is too large (" + std::to_string(size) + " bytes)";
        return false;
    }
    // One byte more than the size, to notice a file that grew since it was measured.
    bytes.resize(static_cast<size_t>(size) + 1);
    size_t got = 0;
    bool failed = false;
    while (got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file, bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n,
                      nullptr)) {
            failed = true;
            break;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    if (failed) {
        problem = path + " cannot be read: " + std::strerror(TakeLastError());
    }
    CloseHandle(file);
    if (failed) {
        return false;
    }
    if (got > limit) {
        problem = path + " is too large";
        return false;
    }
    bytes.resize(got);
    return true;
}

MappedFile::MappedFile(const std::string& path) {
    std::uint64_t size = 0;
    const HANDLE file = OpenRegular(path, size, m_problem);
    if (file == INVALID_HANDLE_VALUE || size == 0) {
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        return;
    }
    // The view keeps the file mapped once both handles are closed.
    const HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    void* view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view == nullptr) {
        m_problem = path + " cannot be read: " + std::strerror(TakeLastError());
    }
    if (mapping != nullptr) {
        CloseHandle(mapping);
    }
    CloseHandle(file);
    if (view != nullptr) {
        m_view = view;
        m_size = static_cast<std::size_t>(size);
    }
}

MappedFile::~MappedFile() {
    if (m_view != nullptr) {
        UnmapViewOfFile(m_view);
    }
}
