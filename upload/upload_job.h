// The record of the current background job (an asset upload or an email sharing job) and
// the two globals that hold it and its thread.
//
// Four members cross between the application's thread and the worker: m_bCancel (written by
// the application's side), m_bActive, m_nBytesSent and m_nTotalBytes (written by the
// worker). Each is one atomic value and nothing relies on an order between them. Everything
// else is written by the starting export before the worker runs, or by the worker and read
// only after its thread has ended.
//
// Byte counters are 64-bit, so an asset of more than 4 GiB is measured and announced
// correctly and the progress arithmetic cannot wrap.
#pragma once

#include "platform/thread.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/status_callback.h"

#include <atomic>
#include <cstdint>
#include <memory>

class UploadJob {
public:
    // An asset upload: the arguments of QDX_UploadAsset. The pointed-to objects are the
    // caller's and must stay alive and unchanged while the job runs.
    UploadJob(const CString& userId, unsigned int productNum, const CString& description,
              const CString& assetName, CString* password, const CStringArray* localFiles,
              const CObList* recipients, CString* assetNum, unsigned int assetType,
              StatusCallback callback);
    // An email sharing job: the session name names its directory, `files` are its files.
    UploadJob(const CString& sessionName, const CStringArray* files, StatusCallback callback);
    UploadJob(const UploadJob&) = delete;
    UploadJob& operator=(const UploadJob&) = delete;
    // Releases the job's own texts; the caller's objects behind the pointers are not touched.
    virtual ~UploadJob();

    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bActive{true};
    std::atomic<std::uint64_t> m_nFileLength{0};
    std::atomic<std::uint64_t> m_nBytesSent{0};
    std::atomic<std::uint64_t> m_nTotalBytes{0};
    CString m_strUserId;
    CString m_strAssetName;
    CString m_strDescription;
    CString m_strAssetId;
    CString m_strStatus;
    unsigned int m_nProductNum = 0;
    unsigned int m_nAssetType = 0;
    CString* m_pPassword = nullptr;
    CString* m_pAssetNum = nullptr;
    const CStringArray* m_pFiles = nullptr;
    const CObList* m_pRecipients = nullptr;
    StatusCallback m_pfnCallback = nullptr;
};

// The current job and its thread object; both null after load. They change only on the
// application's side while no job thread runs. The worker and the multi-file send read the
// job pointer, so it is atomic.
extern std::atomic<UploadJob*> g_pCurrentJob;
extern CWinThread* g_pJobThread;

// True when a job is current and its transfer phase has not ended.
bool IsJobActive();

// Makes `job` the current job and runs `proc(job)` on a new job thread (suspended, lowest
// priority, kept after it ends). The previous job and thread object are destroyed first.
// The caller has made sure no job thread runs. Returns 1 when the thread runs, 0 when it
// could not be created or set running; the new job stays current either way.
unsigned int StartJob(std::unique_ptr<UploadJob> job, AFX_THREADPROC proc);

// Unload: a job thread that still runs is asked to stop and waited for, since the job and the
// library's code must outlive it; then the thread object and the job are destroyed.
void ReleaseJobAtUnload();
