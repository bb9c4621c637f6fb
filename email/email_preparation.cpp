#include "email/email_preparation.h"

#include "email/info_file.h"
#include "os/cfile.h"
#include "os/local_files.h"
#include "transport/endpoints.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/result_codes.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace {
constexpr std::string_view kDoing = "sharing files by mail";

// The final path component of every entry, each file opened to prove it is there and
// readable. Throws CFileException.
CStringArray FileNames(const CStringArray& files) {
    CStringArray names;
    for (INT_PTR i = 0; i < files.GetSize(); ++i) {
        CString name;
        MeasureLocalFile(files.GetAt(i), &name);
        names.Add(name);
    }
    return names;
}

vanta::Error LocalFileFailure() {
    return FailedWith(vanta::ErrorCategory::local_file, kLocalFileError, kDoing,
                      "a file could not be opened, or the request file not written");
}
} // namespace

namespace core {

vanta::Result<CString> PrepareShare(const CallContext& context, const CStringArray& addresses,
                                    const CString& subject, const CString& message,
                                    CStringArray& files, const CString& snText,
                                    const std::function<CString()>& infoPath) {
    CString answer;
    if (PostRequest(context, CString(), endpoint::kGetUnique, answer, kWholeReply,
                    vanta::repeat_rule("send_mail")) != kSuccess) {
        return FailedWith(vanta::ErrorCategory::network, kChannelFailure, kDoing,
                          "the session request failed");
    }
    CString session;
    NextReplyField(answer, session);
    // An empty name would make the job store into, and clean up, "/assets/" itself.
    if (session == reply::kFail || session.IsEmpty()) {
        return FailedWith(vanta::ErrorCategory::refused, kZero, kDoing,
                          "the service gave no sharing session");
    }

    const CString path = infoPath();
    if (path.IsEmpty()) {
        return LocalFileFailure();
    }
    try {
        const CStringArray names = FileNames(files);
        WriteEmailInfo(path, BuildEmailInfo(addresses, subject, message, names, snText));
    } catch (const CFileException&) {
        return LocalFileFailure();
    }
    files.Add(path);
    return session;
}

} // namespace core
