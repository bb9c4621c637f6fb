#include "upload/upload_job.h"

std::atomic<UploadJob*> g_pCurrentJob{nullptr};
CWinThread* g_pJobThread = nullptr;

UploadJob::UploadJob(const CString& userId, unsigned int productNum, const CString& description,
                     const CString& assetName, CString* password, const CStringArray* localFiles,
                     const CObList* recipients, CString* assetNum, unsigned int assetType,
                     StatusCallback callback)
    : m_strUserId(userId), m_strAssetName(assetName), m_strDescription(description),
      m_nProductNum(productNum), m_nAssetType(assetType), m_pPassword(password),
      m_pAssetNum(assetNum), m_pFiles(localFiles), m_pRecipients(recipients),
      m_pfnCallback(callback) {}

UploadJob::UploadJob(const CString& sessionName, const CStringArray* files, StatusCallback callback)
    : m_strUserId(sessionName), m_pFiles(files), m_pfnCallback(callback) {}

UploadJob::~UploadJob() = default;

bool IsJobActive() {
    const UploadJob* job = g_pCurrentJob.load();
    return job != nullptr && job->m_bActive.load();
}

unsigned int StartJob(std::unique_ptr<UploadJob> job, AFX_THREADPROC proc) {
    delete g_pCurrentJob.exchange(nullptr);
    UploadJob* current = job.release();
    g_pCurrentJob.store(current);
    delete g_pJobThread;
    g_pJobThread = nullptr;

    g_pJobThread =
        AfxBeginThread(proc, current, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED, nullptr);
    if (!g_pJobThread) {
        return 0;
    }
    g_pJobThread->m_bAutoDelete = FALSE;
    // The previous suspend count, taken as unsigned: 0 or 1 means the thread runs now; the
    // failure value 0xFFFFFFFF and anything above 1 mean it does not.
    if (ResumeThread(g_pJobThread->m_hThread) > 1) {
        delete g_pJobThread;
        g_pJobThread = nullptr;
        return 0;
    }
    return 1;
}

void ReleaseJobAtUnload() {
    UploadJob* job = g_pCurrentJob.load();
    if (g_pJobThread) {
        DWORD code = 0;
        if (GetExitCodeThread(g_pJobThread->m_hThread, &code) && code == STILL_ACTIVE) {
            if (job) {
                job->m_bCancel.store(true);
            }
            WaitForSingleObject(g_pJobThread->m_hThread, INFINITE);
        }
        delete g_pJobThread;
        g_pJobThread = nullptr;
    }
    delete g_pCurrentJob.exchange(nullptr);
}
