// The email worker: the shared files and the info file to the session's directory on the
// service, then the request that has the service mail them.
#include "jobs/email_worker.h"

#include "email/info_file.h"
#include "jobs/job.h"
#include "jobs/job_rollback.h"
#include "os/cfile.h"
#include "os/local_files.h"
#include "os/temp_path.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/multi_send.h"
#include "transport/post_request.h"
#include "vanta/ftp.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <cstdint>
#include <vector>

using namespace vanta::result;
using namespace vanta::internal;

unsigned int RunEmail(Job& job) {
    // From the start the session's directory exists on the service: a job that does not
    // succeed takes it back with whatever it sent, whatever step it ends in.
    const CString sessionDir = CString(endpoint::kAssetsRoot) + job.m_strUserId;
    CStringArray names;
    std::vector<std::uint64_t> lengths;
    if (!MeasureJobFiles(job, &names, &lengths)) {
        return RollBackShare(job, sessionDir, names, kLocalFileError);
    }
    if (job.CancelRequested()) {
        return RollBackShare(job, sessionDir, names, kCancelled);
    }

    // The mails would announce files that never arrived, or arrived other than measured:
    // report the failed transfer instead. The local info file stays, as after a cancel.
    const unsigned int sent = SendFiles(sessionDir, job.m_files, job.m_pfnCallback, &job, &lengths);
    if (sent != kSuccess) {
        return RollBackShare(job, sessionDir, names, sent);
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
    if (verdict == kSuccess) {
        return kSuccess;
    }
    // FAIL is the worker's 0.
    return RollBackShare(job, sessionDir, names, verdict == kServiceFail ? kZero : verdict);
}
