// CInternetFile: a remote file open for writing on an FTP connection (STOR).
//
// The caller hands the file a source of bytes, and libcurl asks it for each piece straight
// into its own send buffer of kSendBufferBytes, as often as the connection takes one: no copy
// between the local file and the socket other than the read itself, and no pause of the
// transfer between pieces. Memory does not grow with the file.
//
// The file holds the connection's transfer on a lease (FtpLease) from the moment it is
// opened until it is closed or its transfer fails; the connection serves nothing else
// meanwhile.
#pragma once

#include "framework/win_types.h"
#include "net/ftp_lease.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <string>

class CInternetFile {
public:
    // The local file is read in pieces this large, each given to the socket in as few sends
    // as it takes. Besides its bytes, each piece costs a round of libcurl's loop (a read, a
    // send, two waits for the socket, the progress and debug callbacks): a 1 GB file sent in
    // 64 KiB pieces took eight times the system calls and about a third more processor time
    // than in pieces of this size, and 1 MiB pieces gained nothing more.
    static constexpr size_t kSendBufferBytes = 512 * 1024;

    // Puts up to `capacity` bytes of the file into `buffer` and returns how many; 0 means the
    // source has nothing more. It may throw: Send passes the exception on.
    using Source = std::function<size_t(char* buffer, size_t capacity)>;

    // Sends STOR for the file that `lease` was set up for (CFtpConnection::OpenFile) and waits
    // until the server accepts the transfer; throws CInternetException when it refuses it or
    // the connection fails, the lease then given back.
    explicit CInternetFile(FtpLease lease);
    CInternetFile(const CInternetFile&) = delete;
    CInternetFile& operator=(const CInternetFile&) = delete;
    // Ends a file that was not closed like Close does, without throwing: what was sent so far
    // stays on the server.
    virtual ~CInternetFile();

    // Sends what `source` gives until it returns 0. Throws CInternetException when the
    // transfer has failed, and what the source threw when it failed; the file stays open
    // either way, and closing it keeps what was sent.
    void Send(const Source& source);

    // Ends the transfer and waits for the server's verdict. Throws CInternetException when
    // the server did not take the whole file (a full disk, say) or the connection failed.
    // Closing twice does nothing.
    virtual void Close();

private:
    static size_t OnRead(char* buffer, size_t size, size_t count, void* self);
    void Finish();
    [[noreturn]] void ThrowTransferFailure();

    std::optional<FtpLease> m_lease;  // empty once closed or failed
    const Source* m_source = nullptr; // while Send runs
    bool m_sourceEnded = false;       // the source returned 0 or threw
    std::exception_ptr m_sourceFailure;
    bool m_ending = false;
    bool m_started = false; // libcurl has asked for data: the server accepted the STOR
};
