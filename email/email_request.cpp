// QDX_Email: the sharing request. It gets a session from the service, writes the info file
// and starts the email job.
#include "email/email_worker.h"
#include "email/info_file.h"
#include "platform/cfile.h"
#include "transport/endpoints.h"
#include "transport/export_guard.h"
#include "transport/reply_readers.h"
#include "transport/reply_values.h"
#include "upload/job_slot.h"
#include "vanta/email.h"
#include "vanta/transport.h"
#include "vanta/upload.h"

#include <cstring>
#include <memory>

namespace {
// An info file of an earlier call is sent again by the job only if the caller's list still
// names it: drop the entry that a previous call appended (the last one), so the file never
// lists itself.
void RemoveStaleInfoEntry(CStringArray& files) {
    for (INT_PTR i = files.GetSize() - 1; i >= 0; --i) {
        if (files.GetAt(i).Find(kEmailInfoName) >= 0) {
            files.RemoveAt(i);
            return;
        }
    }
}

// The final path component of every entry, each file opened to prove it is there and
// readable. Throws CFileException.
CStringArray FileNames(const CStringArray& files) {
    CStringArray names;
    for (INT_PTR i = 0; i < files.GetSize(); ++i) {
        const CString& path = files.GetAt(i);
        // A NUL would cut the path short and name another file than the one listed.
        if (std::strlen(path.GetString()) != static_cast<size_t>(path.GetLength())) {
            throw CFileException(CFileException::badPath, 0, path);
        }
        CFile file(path, CFile::modeRead);
        names.Add(file.GetFileName());
        file.Close();
    }
    return names;
}
} // namespace

unsigned int WINAPI QDX_Email(const CStringArray& addresses, const CString& subject,
                              const CString& message, CStringArray& files,
                              const CStringArray& /*reservedList*/, const CString& snText,
                              StatusCallback callback) {
    return GuardExport("sharing files by email", 0U, [&]() -> unsigned int {
        // The sender is entry 0; without it there is nothing to write.
        if (addresses.GetSize() == 0) {
            return 0;
        }
        // A running job may still send the info file: nothing is requested or written while it
        // runs, and no other job may start until this one has.
        JobSlot::Claim claim = ExportJobSlot().ClaimStart();
        if (!claim) {
            return 16;
        }
        RemoveStaleInfoEntry(files);

        CString answer;
        if (QDX_SendHTTPRequest(CString(), endpoint::kGetUnique, answer, callback) != 1) {
            return 32;
        }
        CString session;
        NextReplyField(answer, session);
        // An empty name would make the job store into, and clean up, "/assets/" itself.
        if (session == reply::kFail || session.IsEmpty()) {
            return 0;
        }

        const CString infoPath = EmailInfoPath();
        if (infoPath.IsEmpty()) {
            return 8;
        }
        try {
            const CStringArray names = FileNames(files);
            WriteEmailInfo(infoPath, BuildEmailInfo(addresses, subject, message, names, snText));
        } catch (const CFileException&) {
            return 8;
        }
        files.Add(infoPath);

        // The job sends copies of the list's paths, the info file last.
        JobArguments arguments;
        arguments.userId = session;
        arguments.files = files;
        arguments.callback = callback;
        return claim.Start(std::make_unique<Job>(std::move(arguments), &RunEmail));
    });
}
