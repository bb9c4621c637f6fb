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

using namespace vanta::result;

namespace {
bool CancelRequested(const TransferControl* control) {
    return control != nullptr && control->CancelRequested();
}

// Sends one local file into the connection's current directory. Returns false when the
// cancel request was seen between blocks; the remote file is closed either way, so what was
// sent stays. Throws CFileException for the local file and CInternetException for the
// connection (a transfer aborted for the cancel included).
bool SendOne(CFtpConnection& connection, const CString& localPath, TransferControl* control) {
    CFile local(WholePath(localPath), CFile::modeRead);
    std::unique_ptr<CInternetFile> remote = connection.OpenFile(
        WholeText(local.GetFileName()), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    bool completed = true;
    char block[kFtpCopyBlockBytes];
    for (;;) {
        if (CancelRequested(control)) {
            completed = false;
            break;
        }
        const UINT read = local.Read(block, sizeof(block));
        if (read == 0) {
            break;
        }
        remote->Write(block, read);
        if (control != nullptr) {
            control->AddBytesSent(read);
        }
    }
    remote->Close();
    local.Close();
    return completed;
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
