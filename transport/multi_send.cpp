// The multi-file send: the transfer step of the background jobs, and of the file-set send.
#include "transport/multi_send.h"

#include "net/internet_exception.h"
#include "net/internet_file.h"
#include "net/transfer_control.h"
#include "os/cfile.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/ftp_connect.h"
#include "vanta/result_codes.h"

#include <algorithm>
#include <functional>
#include <string>

using namespace vanta::result;

namespace {
bool CancelRequested(const TransferControl* control) {
    return control != nullptr && control->CancelRequested();
}

// Gives a local file's bytes to the connection in blocks of kFtpCopyBlockBytes: a cancel test
// before each block, and each block counted as sent once the connection has it. One read of
// the local file serves as many blocks as the connection takes at once. No more than the
// file's measured length is read: a file that grew is not sent past it.
class BlockSource {
public:
    BlockSource(CFile& local, TransferControl* control, std::uint64_t measured)
        : m_local(local), m_control(control), m_measured(measured) {}

    size_t operator()(char* buffer, size_t capacity) {
        if (Stopped() || m_given >= m_measured) {
            return 0;
        }
        const std::uint64_t wanted = std::min<std::uint64_t>(capacity, m_measured - m_given);
        const UINT read = m_local.Read(buffer, static_cast<UINT>(wanted));
        UINT given = 0;
        while (given < read && (given == 0 || !Stopped())) {
            const UINT block = std::min(read - given, kFtpCopyBlockBytes);
            given += block;
            if (m_control != nullptr) {
                m_control->AddBytesSent(block);
            }
        }
        m_given += given;
        return given;
    }

    bool Cancelled() const { return m_cancelled; }
    std::uint64_t Given() const { return m_given; }

private:
    // The cancel test before a block: once a cancel is seen, the source gives nothing more.
    bool Stopped() {
        m_cancelled = m_cancelled || CancelRequested(m_control);
        return m_cancelled;
    }

    CFile& m_local;
    TransferControl* m_control;
    const std::uint64_t m_measured;
    std::uint64_t m_given = 0;
    bool m_cancelled = false;
};

enum class FileSent { kWhole, kCancelled, kChanged };

// Sends one local file into the connection's current directory; `measured` is its length as
// the caller measured it, null to take it now. kCancelled when the cancel request was seen
// between blocks; kChanged when the file did not give exactly its measured bytes or is no
// longer that long at the end (the remote file is then removed again). The remote file is
// closed either way, so what a cancel left stays for the owner to roll back. Throws
// CFileException for the local file and CInternetException for the connection (a transfer
// aborted for the cancel included).
FileSent SendOne(CFtpConnection& connection, const CString& localPath,
                 const std::uint64_t* measured, TransferControl* control) {
    CFile local(WholePath(localPath), CFile::modeRead);
    const std::uint64_t length = measured != nullptr ? *measured : local.GetLength();
    const CString name = local.GetFileName();
    std::unique_ptr<CInternetFile> remote =
        connection.OpenFile(WholeText(name), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    BlockSource blocks(local, control, length);
    remote->Send(std::ref(blocks));
    remote->Close();
    if (blocks.Cancelled()) {
        return FileSent::kCancelled;
    }
    // Checked once the file is closed: nothing is read twice, and the check costs one fstat.
    if (!SentAsMeasured(local, localPath, length, blocks.Given())) {
        // The removal sets a reason of its own; why the file failed is what stands.
        const FailureReasonKeeper keeper;
        try {
            connection.Remove(WholeText(name));
        } catch (const CInternetException&) {
            // The owner's roll-back, or the caller, takes it off the host later.
        }
        return FileSent::kChanged;
    }
    local.Close();
    return FileSent::kWhole;
}
} // namespace

unsigned int SendFiles(const CallContext& context, const CString& remoteDir,
                       const CStringArray& localFiles, const std::vector<std::uint64_t>* measured) {
    TransferControl* const control = context.control;
    FtpCall call(context);
    try {
        CFtpConnection& connection = call.Connect();
        // An empty directory means the login directory. A directory the server refuses ends
        // the send: the files would otherwise land where the caller did not name.
        if (!remoteDir.IsEmpty() && !connection.SetCurrentDirectory(WholeText(remoteDir))) {
            return kBusyOrFtpError;
        }
        if (control != nullptr) {
            control->BeginSend();
        }
        for (INT_PTR i = 0; i < localFiles.GetSize(); ++i) {
            if (CancelRequested(control)) {
                return kCancelled;
            }
            const bool known = measured != nullptr && static_cast<size_t>(i) < measured->size();
            try {
                const FileSent sent = SendOne(connection, localFiles.GetAt(i),
                                              known ? &(*measured)[i] : nullptr, control);
                if (sent == FileSent::kCancelled) {
                    return kCancelled;
                }
                if (sent == FileSent::kChanged) {
                    return kLocalFileError;
                }
            } catch (const CFileException&) {
                // A local file that cannot be opened or read is skipped; the others still go.
                // One that was measured for the caller has changed since: its send fails.
                if (known) {
                    return kLocalFileError;
                }
            }
        }
    } catch (const CInternetException&) {
        // A transfer that failed once the cancel was asked for was most likely aborted for
        // it; either way the owner stops and rolls back as after a cancel.
        return CancelRequested(control) ? kCancelled : kBusyOrFtpError;
    }
    return kSuccess;
}
