// CInternetFile: a remote file open for writing on an FTP connection (STOR).
//
// Callers write in small blocks (the library's algorithms use 1 KiB, with a cancel test per
// block). Handing each block to libcurl on its own would make every block its own send(), at
// well under half the speed of the link; the file collects blocks into one fixed buffer of
// kHandOffBytes and hands that to libcurl in one piece. Memory does not grow with the file.
#pragma once

#include "platform/win_types.h"

#include <cstddef>
#include <memory>
#include <string>

class CFtpConnection;
class CurlTransfer;

class CInternetFile {
public:
    static constexpr size_t kHandOffBytes = 64 * 1024;

    // Made only by CFtpConnection::OpenFile.
    class Key {
        friend class CFtpConnection;
        Key() = default;
    };
    // Sends STOR `name` and waits until the server accepts the transfer; throws
    // CInternetException when it refuses it or the connection fails.
    CInternetFile(Key, CFtpConnection& connection, const std::string& name, bool binary);
    CInternetFile(const CInternetFile&) = delete;
    CInternetFile& operator=(const CInternetFile&) = delete;
    // Ends a file that was not closed like Close does, without throwing: what was written
    // so far stays on the server.
    virtual ~CInternetFile();

    // Queues `count` bytes; once kHandOffBytes are queued they go out before Write returns.
    // Throws CInternetException when the transfer has failed.
    void Write(const void* buffer, UINT count);

    // Sends what is queued, ends the transfer and waits for the server's verdict. Throws
    // CInternetException when the server did not take the whole file (a full disk, say) or
    // the connection failed. Closing twice does nothing.
    virtual void Close();

private:
    static size_t OnRead(char* buffer, size_t size, size_t count, void* self);
    // Runs the transfer until every queued byte has gone to libcurl.
    void Flush();
    void Finish();
    [[noreturn]] void ThrowTransferFailure();

    CFtpConnection& m_connection;
    CurlTransfer* m_transfer = nullptr; // the connection's; null once closed
    std::unique_ptr<char[]> m_buffer;
    size_t m_queued = 0; // bytes in m_buffer
    size_t m_taken = 0;  // of which libcurl has taken this many
    bool m_ending = false;
    bool m_started = false; // libcurl has asked for data: the server accepted the STOR
};
