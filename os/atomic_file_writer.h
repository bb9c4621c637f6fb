// The atomic local-file writer: a file is written under a temporary name beside its final
// path and renamed into place only once it is whole, so that a reader sees the old file or the
// whole new one, never a part, and a failed write leaves nothing behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class AtomicFileWriter {
public:
    // Creates the temporary file in the directory of `finalPath` (mode 0666 less the umask,
    // under a name nobody else uses). IsOpen tells whether that worked; errno says why not.
    explicit AtomicFileWriter(const std::string& finalPath);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    // Removes the temporary file unless it was committed.
    ~AtomicFileWriter();

    bool IsOpen() const { return m_fd >= 0; }

    // Appends `size` bytes; false when the file system took them not all (errno says why).
    bool Write(const char* data, size_t size);
    // The bytes written so far: where a write that broke off goes on.
    std::uint64_t Written() const { return m_written; }

    // Closes the file and renames it to `finalPath`; with `failIfExists` an existing file there
    // is kept and the commit fails. False when closing or renaming fails (errno says why); the
    // temporary file is then still removed by the destructor.
    bool Commit(const std::string& finalPath, bool failIfExists);

private:
    std::string m_path;
    int m_fd = -1;
    std::uint64_t m_written = 0;
};
