// The single-file send: one local file stored under a given name in a remote directory.
#include "files/file_sends.h"

#include "net/internet_exception.h"
#include "net/internet_file.h"
#include "os/cfile.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/ftp_connect.h"
#include "transport/operation_failure.h"
#include "vanta/result_codes.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {
// True when the whole file was stored.
bool Send(const CallContext& context, const CString& remoteDir, const CString& localPath,
          const CString& remoteName) {
    FtpCall call(context);
    try {
        // Names that would be refused are refused before the connection is made.
        WholeText(remoteDir);
        WholeText(remoteName);
        CFtpConnection& connection = call.Connect();
        // An empty directory means the login directory. A directory the server refuses ends
        // the call: the file would otherwise land somewhere the caller did not name.
        if (!remoteDir.IsEmpty() && !connection.SetCurrentDirectory(WholeText(remoteDir))) {
            return false;
        }
        // One transfer pass: local file first, so that a file that cannot be opened stores
        // nothing on the host.
        CFile local(WholeText(localPath), CFile::modeRead);
        const std::uint64_t measured = local.GetLength();
        std::unique_ptr<CInternetFile> remote =
            connection.OpenFile(WholeText(remoteName), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
        // Nothing is tested between blocks here: each read fills the connection's buffer.
        // No more than the measured length is read, so a file that grows is not chased.
        std::uint64_t given = 0;
        remote->Send([&](char* buffer, size_t capacity) -> size_t {
            const auto wanted = std::min<std::uint64_t>(capacity, measured - given);
            const UINT read = wanted == 0 ? 0 : local.Read(buffer, static_cast<UINT>(wanted));
            given += read;
            return read;
        });
        remote->Close();
        remote.reset();
        // A file that changed while it was sent is stored as neither version: it goes.
        if (!SentAsMeasured(local, localPath, measured, given)) {
            // The removal sets a reason of its own; why the file failed is what stands.
            const FailureReasonKeeper keeper;
            connection.Remove(WholeText(remoteName));
            return false;
        }
        local.Close();
        return true;
    } catch (const CInternetException&) {
        return false;
    } catch (const CFileException&) {
        return false;
    }
}
} // namespace

vanta::Result<void> core::SendFile(const CallContext& context, const CString& remoteDir,
                                   const CString& localPath, const CString& remoteName) {
    if (Send(context, remoteDir, localPath, remoteName)) {
        return {};
    }
    return FtpFailure(vanta::result::kZero, kSendingFile);
}
