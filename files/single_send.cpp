// The single-file send: one local file stored under a given name in a remote directory.
#include "files/file_sends.h"

#include "net/internet_exception.h"
#include "transport/ftp_connect.h"
#include "transport/multi_send.h"
#include "transport/operation_failure.h"
#include "vanta/result_codes.h"

using namespace vanta::result;

vanta::Result<void> core::SendFile(const CallContext& context, const CString& remoteDir,
                                   const CString& localPath, const CString& remoteName) {
    try {
        // Names that would be refused are refused before the connection is made.
        WholeText(remoteDir);
        WholeText(remoteName);
    } catch (const CInternetException&) {
        return FtpFailure(kZero, kSendingFile);
    }
    // The transfer, its resume over new connections and its checks are the multi-file send's.
    const unsigned int sent = SendFileAs(context, remoteDir, localPath, remoteName);
    if (sent == kSuccess) {
        return {};
    }
    if (sent == kCancelled) {
        return FailedWith(vanta::ErrorCategory::cancelled, kZero, kSendingFile, "cancelled");
    }
    return FtpFailure(kZero, kSendingFile);
}
