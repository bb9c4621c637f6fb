// The upload worker: one asset from the application's local files to the service.
#include "upload/upload_worker.h"

#include "assets/asset_requests.h"
#include "platform/cfile.h"
#include "transport/endpoints.h"
#include "transport/form_body.h"
#include "transport/globals.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "upload/upload_job.h"
#include "vanta/transport.h"
#include "vanta/upload.h"

#include <cstdlib>

namespace {
constexpr unsigned int kCancelled = 16384;

// Sums the local files' lengths into the job and collects their bare names. False when a
// file cannot be opened or measured.
bool MeasureFiles(UploadJob& job, CStringArray& names) {
    try {
        for (INT_PTR i = 0; i < job.m_pFiles->GetSize(); ++i) {
            CFile file(job.m_pFiles->GetAt(i), CFile::modeRead);
            job.m_nTotalBytes.fetch_add(file.GetLength());
            names.Add(file.GetFileName());
            file.Close();
        }
    } catch (const CFileException&) {
        return false;
    }
    return true;
}

CString ProductText(const UploadJob& job) {
    CString text;
    text.Format("%d", static_cast<int>(job.m_nProductNum));
    return text;
}

// The asset is registered but must not stay: leave the transfer phase and withdraw it.
unsigned int Withdraw(UploadJob& job) {
    job.m_bActive.store(false);
    QDX_DeleteAsset(job.m_strUserId, ProductText(job), *job.m_pAssetNum, job.m_pfnCallback);
    return kCancelled;
}

CString NotificationBody(const UploadJob& job) {
    FormBody body;
    body.Add("AssetName=", job.m_strAssetName)
        .Add("&pword=", *job.m_pPassword)
        .Add("&UserId=", job.m_strUserId)
        .AddInt("&ProdNum=", static_cast<int>(job.m_nProductNum))
        .Add("&AssetID=", job.m_strAssetId)
        .Add("&AssetNum=", *job.m_pAssetNum)
        .AddInt("&AssetType=", static_cast<int>(job.m_nAssetType));
    body.Add("&AssetDesc=", job.m_strDescription);

    // Only recipient entries are announced, so the count always matches the fields that
    // follow it, whatever else the caller's list holds.
    int count = 0;
    for (POSITION pos = job.m_pRecipients->GetHeadPosition(); pos;) {
        if (dynamic_cast<const QDX_CRecipient*>(job.m_pRecipients->GetNext(pos))) {
            ++count;
        }
    }
    body.AddInt("&Emails=", count);
    int index = 0;
    for (POSITION pos = job.m_pRecipients->GetHeadPosition(); pos;) {
        const auto* recipient =
            dynamic_cast<const QDX_CRecipient*>(job.m_pRecipients->GetNext(pos));
        if (!recipient) {
            continue;
        }
        CString name;
        name.Format("&Email%d=", index);
        body.Add(name, recipient->m_strEmail);
        name.Format("&ViewType%d=", index);
        body.AddInt(name, recipient->m_nViewType);
        name.Format("&RecipName%d=", index);
        body.Add(name, recipient->m_strName);
        ++index;
    }
    return body.Text();
}
} // namespace

UINT UploadThreadProc(LPVOID param) {
    auto* job = static_cast<UploadJob*>(param);
    if (!job) {
        return 0;
    }

    CStringArray names;
    if (!MeasureFiles(*job, names)) {
        return 8;
    }
    if (job->m_bCancel.load()) {
        return kCancelled;
    }

    CString quota;
    CString used;
    const unsigned int space =
        QDX_GetDiskSpace(job->m_strUserId, ProductText(*job), quota, used, job->m_pfnCallback);
    if (space != 1) {
        return space;
    }
    // Equality passes: the asset exactly fills what is left.
    if (std::atof(quota) < std::atof(used) + static_cast<double>(job->m_nTotalBytes.load())) {
        return 128;
    }
    if (job->m_bCancel.load()) {
        return kCancelled;
    }

    const unsigned int created = CreateAsset(job, names);
    if (created != 1) {
        return created;
    }
    if (job->m_bCancel.load()) {
        return Withdraw(*job);
    }

    CString remoteDir;
    remoteDir.Format("%s%s/%d/%s", "/assets/", job->m_strUserId.GetString(),
                     static_cast<int>(job->m_nProductNum), job->m_pAssetNum->GetString());
    const unsigned int sent = QDX_FTPFile(remoteDir, *job->m_pFiles, job->m_pfnCallback);
    if (sent == kCancelled) {
        // Files already stored stay on the host; only the record goes.
        return Withdraw(*job);
    }
    if (sent != 1) {
        return sent;
    }

    job->m_bActive.store(false);
    const CString body = NotificationBody(*job);
    // The page address is in the job whatever becomes of the notification.
    job->m_strStatus.Format("http://%s:%s@%s/QDXAssets/%s/%d/%s/index.asp",
                            job->m_strAssetId.GetString(), job->m_pPassword->GetString(),
                            ServerAddress.GetString(), job->m_strUserId.GetString(),
                            static_cast<int>(job->m_nProductNum), job->m_pAssetNum->GetString());
    CString answer;
    if (QDX_SendHTTPRequest(body, endpoint::kSmtpMail, answer, job->m_pfnCallback) != 1) {
        return 32;
    }
    CString first;
    NextReplyField(answer, first);
    return first == reply::kFail ? 0 : 1;
}
