// The multi-file send: the transfer step of the background jobs. It reports progress into the
// current job and stops when the job's cancel request is seen.
#include "ftp/ftp_connect.h"
#include "platform/cfile.h"
#include "platform/internet_exception.h"
#include "platform/internet_file.h"
#include "upload/upload_job.h"
#include "vanta/upload.h"

#include <cstring>

namespace {
constexpr unsigned int kCancelled = 16384;

// The job is read anew at every test: the application may call this send outside any job,
// or after a job has ended.
bool CancelRequested() {
    const UploadJob* job = g_pCurrentJob.load();
    return job != nullptr && job->m_bCancel.load(std::memory_order_relaxed);
}

// A local path that a NUL byte would cut short names another file: treat it as unreadable.
bool IsWholePath(const CString& path) {
    return std::strlen(path.GetString()) == static_cast<size_t>(path.GetLength());
}

// Sends one local file into the connection's current directory. Returns false when the
// cancel request was seen; the remote file is closed either way, so what was sent stays.
// Throws CFileException for the local file and CInternetException for the connection.
bool SendOne(CFtpConnection& connection, const CString& localPath) {
    if (!IsWholePath(localPath)) {
        throw CFileException(CFileException::badPath, 0, localPath);
    }
    CFile local(localPath, CFile::modeRead);
    if (UploadJob* job = g_pCurrentJob.load()) {
        job->m_nFileLength.store(local.GetLength(), std::memory_order_relaxed);
    }
    std::unique_ptr<CInternetFile> remote = connection.OpenFile(
        WholeText(local.GetFileName()), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1);
    bool completed = true;
    char block[kFtpCopyBlockBytes];
    for (;;) {
        if (CancelRequested()) {
            completed = false;
            break;
        }
        const UINT read = local.Read(block, sizeof(block));
        if (read == 0) {
            break;
        }
        remote->Write(block, read);
        if (UploadJob* job = g_pCurrentJob.load()) {
            job->m_nBytesSent.fetch_add(read, std::memory_order_relaxed);
        }
    }
    remote->Close();
    local.Close();
    return completed;
}
} // namespace

unsigned int WINAPI QDX_FTPFile(const CString& remoteDir, const CStringArray& localFiles,
                                StatusCallback callback) {
    FtpCall call(callback);
    try {
        CFtpConnection& connection = call.Connect();
        // An empty directory means the login directory. A directory the server refuses ends
        // the send: the files would otherwise land where the caller did not name.
        if (!remoteDir.IsEmpty() && !connection.SetCurrentDirectory(WholeText(remoteDir))) {
            return 16;
        }
        if (UploadJob* job = g_pCurrentJob.load()) {
            job->m_nBytesSent.store(0, std::memory_order_relaxed);
        }
        for (INT_PTR i = 0; i < localFiles.GetSize(); ++i) {
            if (CancelRequested()) {
                return kCancelled;
            }
            try {
                if (!SendOne(connection, localFiles.GetAt(i))) {
                    return kCancelled;
                }
            } catch (const CFileException&) {
                // A local file that cannot be opened or read is skipped; the others still go.
            }
        }
    } catch (const CInternetException&) {
        return 16;
    }
    return 1;
}
