// The upload worker: one asset from the application's local files to the service.
#include "jobs/upload_worker.h"

#include "assets/asset_operations.h"
#include "assets/asset_requests.h"
#include "jobs/job.h"
#include "jobs/job_rollback.h"
#include "net/internet_constants.h"
#include "os/failure_reason.h"
#include "transport/call_context.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/globals.h"
#include "transport/multi_send.h"
#include "transport/post_request.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace vanta::result;
using namespace vanta::internal;

namespace {
CString ProductText(const Job& job) {
    CString text;
    text.Format("%d", static_cast<int>(job.m_nProductNum));
    return text;
}

CString NotificationBody(const Job& job) {
    FormBody body;
    body.Add("AssetName=", job.m_strAssetName)
        .Add("&pword=", job.m_strPassword)
        .Add("&UserId=", job.m_strUserId)
        .AddInt("&ProdNum=", static_cast<int>(job.m_nProductNum))
        .Add("&AssetID=", job.m_strAssetId)
        .Add("&AssetNum=", job.m_strAssetNum)
        .AddInt("&AssetType=", static_cast<int>(job.m_nAssetType));
    body.Add("&AssetDesc=", job.m_strDescription);

    // The job holds only recipient entries, so the count matches the fields that follow it.
    body.AddInt("&Emails=", static_cast<int>(job.m_recipients.size()));
    int index = 0;
    for (const JobRecipient& recipient : job.m_recipients) {
        CString name;
        name.Format("&Email%d=", index);
        body.Add(name, recipient.email);
        name.Format("&ViewType%d=", index);
        body.AddInt(name, recipient.viewType);
        name.Format("&RecipName%d=", index);
        body.Add(name, recipient.name);
        ++index;
    }
    return body.Text();
}
} // namespace

unsigned int RunUpload(Job& job) {
    CStringArray names;
    std::vector<std::uint64_t> lengths;
    if (!MeasureJobFiles(job, &names, &lengths)) {
        return kLocalFileError;
    }
    if (job.CancelRequested()) {
        return kCancelled;
    }

    // The step's failure reason is its own, as each step's is.
    ClearFailureReason();
    core::DiskSpaceReply space;
    if (const auto read =
            core::GetDiskSpace(CallContext{ActiveConfig(), StatusSink(job.m_pfnCallback)},
                               job.m_strUserId, ProductText(job), space);
        !read) {
        return read.error().code;
    }
    // Equality passes: the asset exactly fills what is left.
    if (std::atof(space.quota) < std::atof(space.used) + static_cast<double>(job.TotalBytes())) {
        return kNoSpace;
    }
    if (job.CancelRequested()) {
        return kCancelled;
    }

    const unsigned int created = CreateAsset(job, names);
    if (created != kSuccess) {
        return created;
    }
    // From here on the asset exists: a job that does not succeed takes it back, whatever
    // step it ends in.
    CString remoteDir;
    remoteDir.Format("%s%s/%d/%s", endpoint::kAssetsRoot, job.m_strUserId.GetString(),
                     static_cast<int>(job.m_nProductNum), job.m_strAssetNum.GetString());
    if (job.CancelRequested()) {
        return RollBackUpload(job, remoteDir, names, kCancelled);
    }

    // The files must be sent as they were measured: that is the size registered and checked
    // against the quota.
    const unsigned int sent = SendFiles(remoteDir, job.m_files, job.m_pfnCallback, &job, &lengths);
    if (sent != kSuccess) {
        return RollBackUpload(job, remoteDir, names, sent);
    }

    job.EndTransferPhase();
    const CString body = NotificationBody(job);
    // The page address is in the job whatever becomes of the notification, unless the
    // roll-back of a failed one takes the asset away. The page is
    // served where the requests go: over HTTPS when TLS is on, on the port in use when it is
    // not the scheme's own.
    const ServiceConfig& config = ActiveConfig();
    const unsigned port = config.tls ? config.httpsPort : config.httpPort;
    const unsigned schemePort =
        config.tls ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    CString server(config.host.c_str());
    if (port != schemePort) {
        server.Format("%s:%u", config.host.c_str(), port);
    }
    job.m_strStatus.Format("%s://%s:%s@%s/QDXAssets/%s/%d/%s/index.asp",
                           config.tls ? "https" : "http", job.m_strAssetId.GetString(),
                           job.m_strPassword.GetString(), server.GetString(),
                           job.m_strUserId.GetString(), static_cast<int>(job.m_nProductNum),
                           job.m_strAssetNum.GetString());
    const unsigned int verdict = PostForVerdict(body, endpoint::kSmtpMail, job.m_pfnCallback,
                                                VerdictIn::kFirstField, kWholeReply);
    if (verdict == kSuccess) {
        return kSuccess;
    }
    // A failed job keeps no asset, even a whole one: the caller was told it failed. FAIL is
    // the worker's 0.
    return RollBackUpload(job, remoteDir, names, verdict == kServiceFail ? kZero : verdict);
}
