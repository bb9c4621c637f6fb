/// \file
/// Background asset uploads: the recipient entry, the exports that start, watch and stop the
/// current job (upload or email sharing), the disk-space request, asset deletion and the
/// multi-file FTP send that the jobs transfer with.
///
/// One job at a time runs on a worker thread of the library. The starting export returns as
/// soon as the thread runs; the application then polls QDX_IsUploading and
/// QDX_GetUploadProgress, may call QDX_CancelUpload, and reads the outcome with
/// QDX_GetAssetUploadStatus. QDX_UploadAsset copies its inputs when it starts; its two
/// out-strings (password, assetNum) receive the registered asset's values on the application's
/// own thread once it sees the job end (QDX_IsUploading reporting false, or the next start):
/// keep those two alive until then.
///
/// A job's status callback runs on its worker thread and may call the job exports there; none
/// of them waits for the worker: QDX_IsUploading gives true, QDX_GetUploadProgress the progress,
/// QDX_CancelUpload makes its request and gives 0 at once, QDX_GetAssetUploadStatus gives the
/// status text so far and code 259 (the job still runs), and a start gives 16.
///
/// Once QDX_IsUploading or QDX_GetAssetUploadStatus reports that a job has ended,
/// QDX_GetLastFailureReason and QDX_GetLastFailureKind on that thread tell why the job failed
/// (empty and 0 after a success).
#pragma once

#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// One recipient of an upload's notification. Created and owned by the application; the
/// library only reads it.
class VANTA_API QDX_CRecipient : public CObject {
public:
    QDX_CRecipient();
    /// A recipient with the given address, view type (0 or 1, as m_nViewType) and name.
    QDX_CRecipient(const CString& email, int viewType, const CString& name);
    ~QDX_CRecipient() override;

    CString m_strEmail; ///< mail address
    int m_nViewType;    ///< 0: view online; 1: view and download
    CString m_strName;  ///< the recipient's name
};

/// Starts the upload of `localFiles` as a new asset of `userId` under `productNum`. The worker
/// measures the files, checks the user's disk quota, registers the asset, sends the files by
/// FTP and has the service mail `recipients` (QDX_CRecipient entries). `reservedText` is not
/// used. A job that fails or is cancelled once the asset is registered, in whatever step,
/// takes it back: it withdraws the record and removes the files it sent and the asset's
/// directory over FTP, and the out-strings are then left as they were. When that roll-back
/// fails too, `assetNum` receives the number of the asset that stayed and the job's failure
/// reason says what stayed. A local file that is not, at the end of its send, exactly the
/// length measured at the start (it was cut short or grew) fails the job with 8.
/// 1: the job runs; 16: a job is still running, nothing changed; 0: the job thread could not
/// be started (the new job is current; its status reads code 0).
VANTA_API unsigned int WINAPI QDX_UploadAsset(const CString& userId, const unsigned int& productNum,
                                              const CString& description, const CString& assetName,
                                              CString& password, const CStringArray& localFiles,
                                              const CObList& recipients, CString& assetNum,
                                              const unsigned int& assetType,
                                              const CString& reservedText, StatusCallback callback);

/// True while the current job's thread runs (upload and email jobs alike).
VANTA_API bool WINAPI QDX_IsUploading();

/// Bytes sent of the current job in whole percent, while its transfer phase lasts; 0 before,
/// once the transfer phase is over, for a job without bytes, and without a job. A file is
/// never sent past its measured length, so the figure does not pass 100.
VANTA_API unsigned int WINAPI QDX_GetUploadProgress();

/// Asks the current job to stop (only in its transfer phase) and waits up to `timeout`
/// milliseconds (0xFFFFFFFF: without limit) for its thread to end. 1: it ended and the job was
/// discarded; 0: no job in its transfer phase, or still running when the time was up (the
/// request stays and the worker stops at its next check). On the job's own thread (in its
/// status callback) the request is made and 0 given without waiting.
VANTA_API unsigned int WINAPI QDX_CancelUpload(unsigned long timeout);

/// Waits until the current job's thread has ended, then gives the job's status text (after an
/// upload that got as far as its notification and kept its asset: the address of the asset's
/// page) and its result code. Without a job: code 16384 and `status` unchanged. On the job's
/// own thread (in its status callback) it does not wait: the text so far and code 259, the job
/// still runs.
VANTA_API void WINAPI QDX_GetAssetUploadStatus(CString& status, unsigned long& code);

/// The user's disk quota and the space already used, as the service's texts.
/// 1: read (`used` keeps its text when the reply has no second value); 0: the reply holds no
/// "=" or no "&" (nothing changed); 32: channel failure.
VANTA_API unsigned int WINAPI QDX_GetDiskSpace(const CString& userId, const CString& productId,
                                               CString& quota, CString& used,
                                               StatusCallback callback);

/// Removes the record of an asset. Whether its files go with it is the service's affair (the
/// reference service removes them); a job's roll-back removes them itself.
/// 1: the service did not answer FAIL; 0: it answered FAIL; 32: channel failure.
VANTA_API unsigned int WINAPI QDX_DeleteAsset(const CString& userId, const CString& productNum,
                                              const CString& assetNum, StatusCallback callback);

/// Stores every file of `localFiles` in `remoteDir` over one FTP connection, each under the
/// last component of its path. Files that cannot be opened or read are skipped. Inside a job
/// the job's progress advances per 1,024-byte block and its cancel request is honoured before
/// each file and block (the job's roll-back then removes what was stored).
/// 1: every file sent or skipped; 16: network failure (files stored so far stay), or a file
/// that changed while it was sent (its remote copy is removed again, the files before it
/// stay); 16384: the current job's cancel request was seen.
VANTA_API unsigned int WINAPI QDX_FTPFile(const CString& remoteDir, const CStringArray& localFiles,
                                          StatusCallback callback);
