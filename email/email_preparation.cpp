#include "email/email_preparation.h"

#include "email/info_file.h"
#include "os/cfile.h"
#include "os/local_files.h"
#include "transport/endpoints.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

using namespace vanta::result;
using namespace vanta::internal;

namespace {
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
} // namespace

unsigned int PrepareEmailJob(const CStringArray& addresses, const CString& subject,
                             const CString& message, CStringArray& files, const CString& snText,
                             StatusCallback callback, const std::function<CString()>& infoPath,
                             JobArguments& arguments) {
    CString answer;
    if (QDX_SendHTTPRequest(CString(), endpoint::kGetUnique, answer, callback) != kSuccess) {
        return kChannelFailure;
    }
    CString session;
    NextReplyField(answer, session);
    // An empty name would make the job store into, and clean up, "/assets/" itself.
    if (session == reply::kFail || session.IsEmpty()) {
        return kZero;
    }

    const CString path = infoPath();
    if (path.IsEmpty()) {
        return kLocalFileError;
    }
    try {
        const CStringArray names = FileNames(files);
        WriteEmailInfo(path, BuildEmailInfo(addresses, subject, message, names, snText));
    } catch (const CFileException&) {
        return kLocalFileError;
    }
    files.Add(path);

    // The job sends copies of the list's paths, the info file last.
    arguments.userId = session;
    arguments.files = files;
    arguments.callback = callback;
    return kSuccess;
}
