// The email worker: the shared files and the info file to the session's directory on the
// service, then the request that has the service mail them.
#include "jobs/email_worker.h"

#include "email/info_file.h"
#include "jobs/job_failure.h"
#include "jobs/job_rollback.h"
#include "os/cfile.h"
#include "os/local_files.h"
#include "os/temp_path.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/parallel_send.h"
#include "transport/post_request.h"
#include "vanta/result_codes.h"

#include <cstdint>
#include <vector>

using namespace vanta::result;
using namespace vanta::internal;
using vanta::ErrorCategory;

namespace {
vanta::Result<void> RunEmail(Job& job, const CallContext& context) {
    // From the start the session's directory exists on the service: a job that does not
    // succeed takes it back with whatever it sent, whatever step it ends in.
    const CString sessionDir = CString(endpoint::kAssetsRoot) + job.m_strUserId;
    CStringArray names;
    std::vector<std::uint64_t> lengths;
    if (!MeasureJobFiles(job, &names, &lengths)) {
        return RollBackShare(
            context, job, sessionDir, names,
            JobFailed(ErrorCategory::local_file, kLocalFileError, job_failure::kLocalFile));
    }
    if (job.CancelRequested()) {
        return RollBackShare(
            context, job, sessionDir, names,
            JobFailed(ErrorCategory::cancelled, kCancelled, job_failure::kCancelled));
    }

    // The mails would announce files that never arrived, or arrived other than measured:
    // report the failed transfer instead. The local info file stays, as after a cancel. A
    // broken connection is outlived within the job's retry policy, as in an upload.
    const unsigned int sent = SendFilesInParallel(context, sessionDir, job.m_files, &lengths);
    if (sent != kSuccess) {
        return RollBackShare(context, job, sessionDir, names, SendFailed(sent));
    }

    job.EndTransferPhase();
    // The job's own info file, its last entry: each job may have one of its own.
    const INT_PTR last = job.m_files.GetSize() - 1;
    if (last >= 0 && job.m_files.GetAt(last).Find(kEmailInfoName) >= 0) {
        DeleteLocalFile(job.m_files.GetAt(last));
    }

    FormBody body;
    body.Add("SessionName=", job.m_strUserId);
    const unsigned int verdict =
        PostForVerdict(context, body, endpoint::kFireEmails, vanta::repeat_rule("send_mail"),
                       VerdictIn::kFirstField, kWholeReply);
    if (verdict == kSuccess) {
        return {};
    }
    return RollBackShare(context, job, sessionDir, names, NotificationFailed(verdict));
}
} // namespace

const JobWork kShareWork{&RunEmail, "sharing files by mail"};
