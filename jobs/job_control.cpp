// Starting an upload job, and the exports that watch and stop whatever job is current.
#include "jobs/job_slot.h"
#include "jobs/upload_worker.h"
#include "transport/export_guard.h"
#include "vanta/result_codes.h"
#include "vanta/upload.h"

#include <memory>

using namespace vanta::result;
using namespace vanta::internal;

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
        arguments.callback = callback;
        return claim.Start(std::make_unique<Job>(std::move(arguments), &RunUpload),
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
