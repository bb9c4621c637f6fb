// The email worker: the shared files and the info file to the session's directory on the
// service, then the request that has the service mail them.
#include "email/email_worker.h"

#include "email/info_file.h"
#include "platform/cfile.h"
#include "platform/temp_path.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "upload/upload_job.h"
#include "vanta/ftp.h"
#include "vanta/transport.h"
#include "vanta/upload.h"

namespace {
constexpr unsigned int kCancelled = 16384;

bool MeasureFiles(UploadJob& job) {
    try {
        for (INT_PTR i = 0; i < job.m_pFiles->GetSize(); ++i) {
            CFile file(job.m_pFiles->GetAt(i), CFile::modeRead);
            job.m_nTotalBytes.fetch_add(file.GetLength());
            file.Close();
        }
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

// Takes every file of the job off the host by name, the info file (the last entry) too, and
// then the session directory. A file that was never sent is simply not found there.
void RemoveSentFiles(const UploadJob& job, const CString& sessionDir) {
    for (INT_PTR i = 0; i < job.m_pFiles->GetSize(); ++i) {
        try {
            CFile file(job.m_pFiles->GetAt(i), CFile::modeRead);
            QDX_FTPDeleteFile(job.m_strUserId, file.GetFileName(), nullptr);
            file.Close();
        } catch (const CFileException&) {
            // Its name cannot be learnt any more; the others still go.
        }
    }
    QDX_FTPRemoveDir(sessionDir, nullptr);
}
} // namespace

UINT EmailThreadProc(LPVOID param) {
    auto* job = static_cast<UploadJob*>(param);
    if (!job) {
        return 0;
    }
    if (job->m_pFiles && !MeasureFiles(*job)) {
        return 8;
    }

    const CString sessionDir = CString("/assets/") + job->m_strUserId;
    if (job->m_bCancel.load()) {
        // Nothing was sent: the directory that the session request made is all there is.
        QDX_FTPRemoveDir(sessionDir, nullptr);
        return kCancelled;
    }

    const CStringArray noFiles;
    const CStringArray& files = job->m_pFiles ? *job->m_pFiles : noFiles;
    const unsigned int sent = QDX_FTPFile(sessionDir, files, job->m_pfnCallback);
    if (sent == kCancelled) {
        job->m_bActive.store(false);
        if (job->m_pFiles) {
            RemoveSentFiles(*job, sessionDir);
        } else {
            QDX_FTPRemoveDir(sessionDir, nullptr);
        }
        return kCancelled;
    }
    // The mails would announce files that never arrived: report the failed transfer instead.
    // The local info file stays, as after a cancel.
    if (sent != 1) {
        return sent;
    }

    job->m_bActive.store(false);
    DeleteFileA(EmailInfoPath());

    FormBody body;
    body.Add("SessionName=", job->m_strUserId);
    CString answer;
    if (QDX_SendHTTPRequest(body, endpoint::kFireEmails, answer, job->m_pfnCallback) != 1) {
        return 32;
    }
    CString first;
    NextReplyField(answer, first);
    return first == reply::kFail ? 0 : 1;
}
