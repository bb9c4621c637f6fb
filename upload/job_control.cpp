// Starting an upload job, and the exports that watch and stop whatever job is current.
#include "upload/upload_job.h"
#include "upload/upload_worker.h"
#include "vanta/upload.h"

#include <memory>

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
    if (QDX_IsUploading()) {
        return 16;
    }
    return StartJob(std::make_unique<UploadJob>(userId, productNum, description, assetName,
                                                &password, &localFiles, &recipients, &assetNum,
                                                assetType, callback),
                    &UploadThreadProc);
}

bool WINAPI QDX_IsUploading() {
    if (!g_pJobThread || !g_pJobThread->m_hThread) {
        return false;
    }
    DWORD code = 0;
    return GetExitCodeThread(g_pJobThread->m_hThread, &code) && code == STILL_ACTIVE;
}

unsigned int WINAPI QDX_GetUploadProgress() {
    if (!IsJobActive()) {
        return 0;
    }
    const UploadJob* job = g_pCurrentJob.load();
    const std::uint64_t total = job->m_nTotalBytes.load(std::memory_order_relaxed);
    if (total == 0) {
        return 0;
    }
    const std::uint64_t sent = job->m_nBytesSent.load(std::memory_order_relaxed);
    // 64-bit: sent × 100 stays exact for any size a file system holds.
    return static_cast<unsigned int>(sent * 100 / total);
}

unsigned int WINAPI QDX_CancelUpload(unsigned long timeout) {
    if (!g_pJobThread || !IsJobActive()) {
        return 0;
    }
    g_pCurrentJob.load()->m_bCancel.store(true);
    // Longer than the platform's 32-bit wait can express is as good as no limit.
    const DWORD wait = timeout >= INFINITE ? INFINITE : static_cast<DWORD>(timeout);
    if (WaitForSingleObject(g_pJobThread->m_hThread, wait) != WAIT_OBJECT_0) {
        return 0;
    }
    delete g_pCurrentJob.exchange(nullptr);
    return 1;
}

void WINAPI QDX_GetAssetUploadStatus(CString& status, unsigned long& code) {
    if (g_pJobThread && g_pJobThread->m_hThread) {
        WaitForSingleObject(g_pJobThread->m_hThread, INFINITE);
    }
    const UploadJob* job = g_pCurrentJob.load();
    if (!job) {
        code = 16384;
        return;
    }
    status = job->m_strStatus;
    DWORD exitCode = 0;
    // A job whose thread could not be started has no result of its own: it reads 0.
    if (!g_pJobThread || !GetExitCodeThread(g_pJobThread->m_hThread, &exitCode)) {
        exitCode = 0;
    }
    code = exitCode;
}
