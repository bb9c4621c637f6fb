// The multi-file send as an operation of its own: the transfer itself is the one the jobs'
// workers use.
#include "files/file_sends.h"

#include "transport/operation_failure.h"
#include "transport/parallel_send.h"
#include "vanta/result_codes.h"

using namespace vanta::result;

vanta::Result<void> core::SendFileSet(const CallContext& context, const CString& remoteDir,
                                      const CStringArray& localFiles) {
    const unsigned int sent = SendFilesInParallel(context, remoteDir, localFiles);
    if (sent == kSuccess) {
        return {};
    }
    // A file that changed while it was sent is a failed send here.
    return FtpFailure(sent == kLocalFileError ? kBusyOrFtpError : sent, kSendingFiles);
}
