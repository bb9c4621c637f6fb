// The FTP file exports: files sent to the service host, looked up, deleted, and directories
// removed.
#include "exports/export_context.h"
#include "files/file_sends.h"
#include "files/remote_files.h"
#include "transport/export_guard.h"
#include "vanta/ftp.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

using namespace vanta::result;

bool WINAPI QDX_FTPFile(const CString& remoteDir, const CString& localPath,
                        const CString& remoteName, StatusCallback callback) {
    return GuardExport("sending a file", false, [&] {
        return core::SendFile(ExportContext(callback), remoteDir, localPath, remoteName)
            .has_value();
    });
}

unsigned int WINAPI QDX_FTPFile(const CString& remoteDir, const CStringArray& localFiles,
                                StatusCallback callback) {
    return GuardExport("sending files", kBusyOrFtpError, [&]() -> unsigned int {
        const auto sent = core::SendFileSet(ExportContext(callback), remoteDir, localFiles);
        return sent ? kSuccess : sent.error().code;
    });
}

unsigned int WINAPI QDX_CheckFile(const CString& subDir, const CString& fileName, int& found,
                                  StatusCallback callback) {
    return GuardExport("looking for a remote file", kBusyOrFtpError, [&]() -> unsigned int {
        const auto there = core::FindRemoteFile(ExportContext(callback), subDir, fileName);
        if (!there) {
            return there.error().code; // `found` untouched
        }
        found = there.value() ? 1 : 0;
        return kSuccess;
    });
}

unsigned int WINAPI QDX_FTPDeleteFile(const CString& subDir, const CString& fileName,
                                      StatusCallback callback) {
    return GuardExport("deleting a remote file", kBusyOrFtpError, [&]() -> unsigned int {
        const auto deleted = core::DeleteRemoteFile(ExportContext(callback), subDir, fileName);
        return deleted ? kSuccess : deleted.error().code;
    });
}

unsigned int WINAPI QDX_FTPRemoveDir(const CString& dirPath, StatusCallback callback) {
    return GuardExport("removing a remote directory", kBusyOrFtpError, [&]() -> unsigned int {
        const auto removed = core::RemoveRemoteDirectory(ExportContext(callback), dirPath);
        return removed ? kSuccess : removed.error().code;
    });
}
