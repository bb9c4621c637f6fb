// CFile and CFileException: local files as the library's algorithms use them. A CFile owns one
// file descriptor; every failure throws CFileException by value.
#pragma once

#include "framework/win_types.h"
#include "vanta/cstring.h"

#include <cstddef>
#include <cstdint>

class CFileException {
public:
    enum Cause : int {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        accessDenied = 5,
        invalidFile = 6,
        diskFull = 14,
    };

    CFileException(int cause, int osError, CString fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    int m_cause;
    int m_lOsError; // errno of the failed call
    CString m_strFileName;
};

class CFile {
public:
    // Open flags; the share and type flags of the original are accepted and mean nothing here.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareDenyWrite = 0x0020,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000, // create, or truncate an existing file
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
        // Not of the original: with modeCreate, a file that only its owner may read, and a
        // symbolic link or another user's file at the path is refused (accessDenied/badPath).
        modePrivate = 0x100000,
    };

    CFile() = default;
    // Opens at once; throws CFileException. A directory cannot be opened, as on the original
    // platform, so that a caller never sends a directory as an empty file.
    CFile(LPCTSTR fileName, UINT openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes without throwing.
    virtual ~CFile();

    std::uint64_t GetLength() const;
    // Up to `count` bytes; 0 only at the end of the file. The callers read whole pieces of
    // the FTP send buffer, so each read is one system call.
    UINT Read(void* buffer, UINT count);
    // Moves to `offset` bytes from the start, where the next Read begins.
    void SeekTo(std::uint64_t offset);
    // All `count` bytes, or a CFileException.
    void Write(const void* buffer, UINT count);
    void Close();

    // The text after the last '/' of the path the file was opened with.
    CString GetFileName() const;

private:
    // Records "cannot <action> local file <path>: <system text>" (or `detail` in place of the
    // system's text) as the failure reason and throws the matching CFileException.
    [[noreturn]] void Throw(const char* action, int osError, const char* detail = nullptr) const;

    int m_fd = -1;
    CString m_path;
};
