// The single-file send: one local file stored under a given name in a remote directory.
#include "ftp/ftp_connect.h"
#include "platform/cfile.h"
#include "platform/internet_exception.h"
#include "platform/internet_file.h"
#include "transport/export_guard.h"
#include "vanta/ftp.h"

bool WINAPI QDX_FTPFile(const CString& remoteDir, const CString& localPath,
                        const CString& remoteName, StatusCallback callback) {
    return GuardExport("sending a file", false, [&]() -> bool {
        FtpCall call(callback);
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
            std::unique_ptr<CInternetFile> remote = connection.OpenFile(
                WholeText(remoteName), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
            // Nothing is tested between blocks here: each read fills the connection's buffer.
            remote->Send([&local](char* buffer, size_t capacity) -> size_t {
                return local.Read(buffer, static_cast<UINT>(capacity));
            });
            remote->Close();
            remote.reset();
            local.Close();
            return true;
        } catch (const CInternetException&) {
            return false;
        } catch (const CFileException&) {
            return false;
        }
    });
}
