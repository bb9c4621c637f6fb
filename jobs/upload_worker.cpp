// The upload worker: one asset from the application's local files to the service.
#include "jobs/upload_worker.h"

#include "assets/asset_operations.h"
#include "assets/asset_requests.h"
#include "jobs/job_failure.h"
#include "jobs/job_rollback.h"
#include "net/internet_constants.h"
#include "os/failure_reason.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/parallel_send.h"
#include "transport/post_request.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace vanta::result;
using namespace vanta::internal;
using vanta::ErrorCategory;

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

// The address of the asset's page, served where the requests go: over HTTPS when TLS is on,
// on the port in use when it is not the scheme's own.
CString PageAddress(const ServiceConfig& config, const Job& job) {
    const unsigned port = config.tls ? config.httpsPort : config.httpPort;
    const unsigned schemePort =
        config.tls ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    CString server(config.host.c_str());
    if (port != schemePort) {
        server.Format("%s:%u", config.host.c_str(), port);
    }
    CString address;
    address.Format("%s://%s:%s@%s/QDXAssets/%s/%d/%s/index.asp", config.tls ? "https" : "http",
                   job.m_strAssetId.GetString(), job.m_strPassword.GetString(), server.GetString(),
                   job.m_strUserId.GetString(), static_cast<int>(job.m_nProductNum),
                   job.m_strAssetNum.GetString());
    return address;
}

vanta::Error Cancelled() {
    return JobFailed(ErrorCategory::cancelled, kCancelled, job_failure::kCancelled);
}

// The quota check: the files must fit what the user has left.
vanta::Result<void> CheckQuota(const CallContext& context, const Job& job) {
    // The step's failure reason is its own, as each step's is.
    ClearFailureReason();
    core::DiskSpaceReply space;
    if (const auto read = core::GetDiskSpace(context, job.m_strUserId, ProductText(job), space);
        !read) {
        const unsigned int code = read.error().code;
        if (code == kZero) {
            return JobFailed(ErrorCategory::refused, code, job_failure::kMailRefused);
        }
        return JobFailed(ErrorCategory::network, code, job_failure::kTransfer);
    }
    // Equality passes: the asset exactly fills what is left.
    if (std::atof(space.quota) < std::atof(space.used) + static_cast<double>(job.TotalBytes())) {
        return JobFailed(ErrorCategory::no_space, kNoSpace, job_failure::kNoSpace);
    }
    return {};
}

// Registers the asset and keeps what the service made of it in the job.
vanta::Result<void> Register(const CallContext& context, Job& job, const CStringArray& names) {
    core::AssetDraft draft;
    draft.userId = job.m_strUserId;
    draft.name = job.m_strAssetName;
    draft.description = job.m_strDescription;
    draft.productNum = job.m_nProductNum;
    draft.assetType = job.m_nAssetType;
    draft.totalBytes = job.TotalBytes();
    draft.fileNames = names;
    draft.password = job.m_strPassword;
    vanta::Result<core::NewAsset> created = core::CreateAsset(context, draft);
    if (!created) {
        const vanta::Error& error = created.error();
        return JobFailed(error.category, error.code,
                         error.category == ErrorCategory::refused
                             ? job_failure::kRegistrationRefused
                             : job_failure::kTransfer);
    }
    job.m_strAssetNum = created->number;
    job.m_strAssetId = created->id;
    job.m_strPassword = created->password;
    job.m_bRegistered = true;
    return {};
}

vanta::Result<void> RunUpload(Job& job, const CallContext& context) {
    CStringArray names;
    std::vector<std::uint64_t> lengths;
    if (!MeasureJobFiles(job, &names, &lengths)) {
        return JobFailed(ErrorCategory::local_file, kLocalFileError, job_failure::kLocalFile);
    }
    if (job.CancelRequested()) {
        return Cancelled();
    }

    // A cancel that ends a request's wait before its next attempt fails the request: the
    // job was cancelled, not failed.
    if (vanta::Result<void> fits = CheckQuota(context, job); !fits) {
        return job.CancelRequested() ? Cancelled() : fits;
    }
    if (job.CancelRequested()) {
        return Cancelled();
    }

    if (vanta::Result<void> registered = Register(context, job, names); !registered) {
        return job.CancelRequested() ? Cancelled() : registered;
    }
    // From here on the asset exists: a job that does not succeed takes it back, whatever
    // step it ends in.
    CString remoteDir;
    remoteDir.Format("%s%s/%d/%s", endpoint::kAssetsRoot, job.m_strUserId.GetString(),
                     static_cast<int>(job.m_nProductNum), job.m_strAssetNum.GetString());
    if (job.CancelRequested()) {
        return RollBackUpload(context, job, remoteDir, names, Cancelled());
    }

    // The files must be sent as they were measured: that is the size registered and checked
    // against the quota. A broken connection is outlived within the retry policy the job
    // started with (the send resumes where the server's copy ends); a spent policy fails here.
    const unsigned int sent = SendFilesInParallel(context, remoteDir, job.m_files, &lengths);
    if (sent != kSuccess) {
        return RollBackUpload(context, job, remoteDir, names, SendFailed(sent));
    }

    job.EndTransferPhase();
    const CString body = NotificationBody(job);
    // The page address is in the job whatever becomes of the notification, unless the
    // roll-back of a failed one takes the asset away.
    job.m_strStatus = PageAddress(context.config, job);
    const unsigned int verdict =
        PostForVerdict(context, body, endpoint::kSmtpMail, vanta::repeat_rule("send_notification"),
                       VerdictIn::kFirstField, kWholeReply);
    if (verdict == kSuccess) {
        return {};
    }
    // A failed job keeps no asset, even a whole one: the caller was told it failed.
    return RollBackUpload(context, job, remoteDir, names, NotificationFailed(verdict));
}
} // namespace

const JobWork kUploadWork{&RunUpload, "uploading an asset"};
