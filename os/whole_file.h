// Local files read whole, for the checks that need all of a file at once (the self-update's key
// and its signature check). Each is opened without waiting (a FIFO must not hold the caller)
// and must be a regular file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The whole of the regular file at `path` when it holds at most `limit` bytes; false with
// `problem` set otherwise: "<path> cannot be read: <reason>", "<path> is not a regular file",
// "<path> is too large (<n> bytes)". A file that grows past `limit` while it is read is too
// large as well.
bool ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& bytes,
                   std::string& problem);

// The regular file at `path`, mapped read-only for as long as the object lives, so that a
// check over all of it needs no copy.
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // "" when the file is mapped (an empty file included); else why not, in ReadSmallFile's
    // words.
    const std::string& Problem() const { return m_problem; }
    const unsigned char* Data() const { return static_cast<const unsigned char*>(m_view); }
    std::size_t Size() const { return m_size; }

private:
    std::string m_problem;
    void* m_view = nullptr;
    std::size_t m_size = 0;
};
