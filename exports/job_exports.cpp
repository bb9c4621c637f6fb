// The upload export, and the exports that watch and stop whatever job of the exports is
// current (an upload or a share): thin adapters over the job slot.
#include "jobs/job_slot.h"
#include "jobs/upload_worker.h"
#include "transport/export_guard.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <memory>

using namespace vanta::result;
using namespace vanta::internal;

namespace {
// The QDX_CRecipient entries of `list`, in order; other entries are left out, so the count
// that the notification announces always matches the fields that follow it.
std::vector<JobRecipient> CopyRecipients(const CObList& list) {
    std::vector<JobRecipient> copies;
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        if (const auto* entry = dynamic_cast<const QDX_CRecipient*>(list.GetNext(pos))) {
            copies.push_back({entry->m_strEmail, entry->m_nViewType, entry->m_strName});
        }
    }
    return copies;
}
} // namespace

QDX_CRecipient::QDX_CRecipient() : m_nViewType(0) {}

QDX_CRecipient::QDX_CRecipient(const CString& email, int viewType, const CString& name)
    : m_strEmail(email), m_nViewType(viewType), m_strName(name) {}

QDX_CRecipient::~QDX_CRecipient() = default;

unsigned int WINAPI QDX_UploadAsset(const CString& userId, const unsigned int& productNum,
                                    const CString& description, const CString& assetName,
                                    CString& password, const CStringArray& localFiles,
                                    const CObList& recipients, CString& assetNum,
                                    const unsigned int& assetType, const CString& /*reservedText*/,
                                    StatusCallback callback) {
    return GuardExport("starting an upload", kZero, [&]() -> unsigned int {
        JobSlot::Claim claim = ExportJobSlot().ClaimStart();
        if (!claim) {
            return kBusyOrFtpError;
        }
        // The worker works on copies: the caller's objects are not read after this returns.
        JobArguments arguments;
        arguments.userId = userId;
        arguments.productNum = productNum;
        arguments.assetType = assetType;
        arguments.assetName = assetName;
        arguments.description = description;
        arguments.password = password;
        arguments.files = localFiles;
        arguments.recipients = CopyRecipients(recipients);
        arguments.config = ProcessConfig();
        arguments.status = StatusSink(callback);
        return claim.Start(std::make_unique<Job>(std::move(arguments), kUploadWork),
                           JobOutStrings{&password, &assetNum});
    });
}

bool WINAPI QDX_IsUploading() {
    return GuardExport("asking whether a job runs", false,
                       [] { return ExportJobSlot().Running(); });
}

unsigned int WINAPI QDX_GetUploadProgress() {
    return GuardExport("reading a job's progress", 0U, [] { return ExportJobSlot().Progress(); });
}

unsigned int WINAPI QDX_CancelUpload(unsigned long timeout) {
    return GuardExport("cancelling a job", kZero, [&] { return ExportJobSlot().Cancel(timeout); });
}

void WINAPI QDX_GetAssetUploadStatus(CString& status, unsigned long& code) {
    // The text is copied before the code is set, so a failed copy leaves no success behind.
    const bool read = GuardExport("reading a job's status", false, [&] {
        ExportJobSlot().Status(status, code);
        return true;
    });
    if (!read) {
        code = kBusyOrFtpError;
    }
}
