// What vanta reads from the local side besides the files it sends: a line of stdin (a
// password, an answer) and a small text file (a mail's message). Each is read up to a bound and
// refused beyond it, so that a stream without end cannot fill the memory or be sent on.
#pragma once

#include <cstddef>
#include <string>

enum class LineRead {
    kLine,   // `line` holds the line, without its LF or CR LF
    kEnded,  // stdin ended before any byte of a line
    kTooLong // more than the limit before the line's end; nothing further was read
};

// One line of stdin of at most `limit` bytes (its line end not counted). A last line without
// a line end counts as a line.
LineRead ReadStdinLine(std::size_t limit, std::string& line);

// The whole of `path` when it is a regular file of at most `limit` bytes; else false, with
// `why` naming the file and the problem. Opened without blocking, so that a FIFO is refused
// rather than waited on.
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& content,
                   std::string& why);
