// The multi-file send: the transfer step of the background jobs, and the exported QDX_FTPFile.
#include "ftp/multi_send.h"

#include "ftp/ftp_connect.h"
#include "platform/cfile.h"
#include "platform/internet_exception.h"
#include "platform/internet_file.h"
#include "platform/local_files.h"
#include "platform/transfer_control.h"
#include "transport/export_guard.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <algorithm>
#include <functional>

using namespace vanta::result;

namespace {
bool CancelRequested(const TransferControl* control) {
    return control != nullptr && control->CancelRequested();
}

// Gives a local file's bytes to the connection in blocks of kFtpCopyBlockBytes: a cancel test
// before each block, and each block counted as sent once the connection has it. One read of
// the local file serves as many blocks as the connection takes at once.
class BlockSource {
public:
    BlockSource(CFile& local, TransferControl* control) : m_local(local), m_control(control) {}

    size_t operator()(char* buffer, size_t capacity) {
        if (Stopped()) {
            return 0;
        }
        const UINT read = m_local.Read(buffer, static_cast<UINT>(capacity));
        UINT given = 0;
        while (given < read && (given == 0 || !Stopped())) {
            const UINT block = std::min(read - given, kFtpCopyBlockBytes);
            given += block;
            if (m_control != nullptr) {
                m_control->AddBytesSent(block);
            }
        }
        return given;
    }

    bool Cancelled() const { return m_cancelled; }

private:
    // The cancel test before a block: once a cancel is seen, the source gives nothing more.
    bool Stopped() {
        m_cancelled = m_cancelled || CancelRequested(m_control);
        return m_cancelled;
    }

    CFile& m_local;
    TransferControl* m_control;
    bool m_cancelled = false;
};

// Sends one local file into the connection's current directory. Returns false when the
// cancel request was seen between blocks; the remote file is closed either way, so what was
// sent stays. Throws CFileException for the local file and CInternetException for the
// connection (a transfer aborted for the cancel included).
bool SendOne(CFtpConnection& connection, const CString& localPath, TransferControl* control) {
    CFile local(WholePath(localPath), CFile::modeRead);
    std::unique_ptr<CInternetFile> remote = connection.OpenFile(
        WholeText(local.GetFileName()), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    BlockSource blocks(local, control);
    remote->Send(std::ref(blocks));
    remote->Close();
    local.Close();
    return !blocks.Cancelled();
}
} // namespace

unsigned int SendFiles(const CString& remoteDir, const CStringArray& localFiles,
                       StatusCallback callback, TransferControl* control) {
    FtpCall call(callback, control);
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
            try {
                if (!SendOne(connection, localFiles.GetAt(i), control)) {
                    return kCancelled;
                }
            } catch (const CFileException&) {
                // A local file that cannot be opened or read is skipped; the others still go.
            }
        }
    } catch (const CInternetException&) {
        // A transfer that failed once the cancel was asked for was most likely aborted for
        // it; either way the owner stops and rolls back as after a cancel.
        return CancelRequested(control) ? kCancelled : kBusyOrFtpError;
    }
    return kSuccess;
}

unsigned int WINAPI QDX_FTPFile(const CString& remoteDir, const CStringArray& localFiles,
                                StatusCallback callback) {
    return GuardExport("sending files", kBusyOrFtpError,
                       [&] { return SendFiles(remoteDir, localFiles, callback, nullptr); });
}
