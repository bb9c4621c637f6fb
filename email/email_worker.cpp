// The email worker: the shared files and the info file to the session's directory on the
// service, then the request that has the service mail them.
#include "email/email_worker.h"

#include "email/info_file.h"
#include "ftp/multi_send.h"
#include "platform/cfile.h"
#include "platform/local_files.h"
#include "platform/temp_path.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/post_request.h"
#include "upload/job.h"
#include "vanta/ftp.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace {
// Takes every file of the job off the host by name, the info file (the last entry) too, and
// then the session directory. A file that was never sent is simply not found there.
void RemoveSentFiles(const Job& job, const CString& sessionDir) {
    for (INT_PTR i = 0; i < job.m_files.GetSize(); ++i) {
        try {
            CString name;
            MeasureLocalFile(job.m_files.GetAt(i), &name);
            QDX_FTPDeleteFile(job.m_strUserId, name, nullptr);
        } catch (const CFileException&) {
            // Its name cannot be learnt any more; the others still go.
        }
    }
    QDX_FTPRemoveDir(sessionDir, nullptr);
}
} // namespace

unsigned int RunEmail(Job& job) {
    if (!MeasureJobFiles(job)) {
        return kLocalFileError;
    }

    const CString sessionDir = CString(endpoint::kAssetsRoot) + job.m_strUserId;
    if (job.CancelRequested()) {
        // Nothing was sent: the directory that the session request made is all there is.
        QDX_FTPRemoveDir(sessionDir, nullptr);
        return kCancelled;
    }

    const unsigned int sent = SendFiles(sessionDir, job.m_files, job.m_pfnCallback, &job);
    if (sent == kCancelled) {
        job.EndTransferPhase();
        RemoveSentFiles(job, sessionDir);
        return kCancelled;
    }
    // The mails would announce files that never arrived: report the failed transfer instead.
    // The local info file stays, as after a cancel.
    if (sent != kSuccess) {
        return sent;
    }

    job.EndTransferPhase();
    // The job's own info file, its last entry: each job may have one of its own.
    const INT_PTR last = job.m_files.GetSize() - 1;
    if (last >= 0 && job.m_files.GetAt(last).Find(kEmailInfoName) >= 0) {
        DeleteFileA(job.m_files.GetAt(last));
    }

    FormBody body;
    body.Add("SessionName=", job.m_strUserId);
    const unsigned int verdict = PostForVerdict(body, endpoint::kFireEmails, job.m_pfnCallback,
                                                VerdictIn::kFirstField, kWholeReply);
    // FAIL is the worker's 0.
    return verdict == kServiceFail ? kZero : verdict;
}
