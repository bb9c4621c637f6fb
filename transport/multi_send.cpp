// The multi-file send: the transfer step of the background jobs, and of the file-set send.
#include "transport/multi_send.h"

#include "transport/connection_send.h"

#include "net/internet_constants.h"
#include "net/internet_exception.h"
#include "net/internet_file.h"
#include "net/trace.h"
#include "net/transfer_control.h"
#include "os/cfile.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/ftp_connect.h"
#include "transport/retry_schedule.h"
#include "vanta/result_codes.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

using namespace vanta::result;

namespace {
bool CancelRequested(const TransferControl* control) {
    return control != nullptr && control->CancelRequested();
}

// Gives a local file's bytes to the connection in blocks of kFtpCopyBlockBytes: a cancel test
// before each block, and each block counted as sent once the connection has it. One read of
// the local file serves as many blocks as the connection takes at once. No more than the
// file's measured length is read: a file that grew is not sent past it. A source that resumes
// starts at `offset`, and counts only the bytes beyond `counted` (what earlier attempts at the
// file already counted), so that progress never goes back and no byte counts twice.
class BlockSource {
public:
    BlockSource(CFile& local, TransferControl* control, std::uint64_t measured,
                std::uint64_t offset, std::uint64_t& counted)
        : m_local(local), m_control(control), m_measured(measured), m_given(offset),
          m_counted(counted) {}

    size_t operator()(char* buffer, size_t capacity) {
        if (Stopped() || m_given >= m_measured) {
            return 0;
        }
        const std::uint64_t wanted = std::min<std::uint64_t>(capacity, m_measured - m_given);
        const UINT read = m_local.Read(buffer, static_cast<UINT>(wanted));
        UINT given = 0;
        while (given < read && (given == 0 || !Stopped())) {
            const UINT block = std::min(read - given, kFtpCopyBlockBytes);
            given += block;
            const std::uint64_t end = m_given + given;
            if (end > m_counted) {
                if (m_control != nullptr) {
                    m_control->AddBytesSent(end - std::max(m_counted, end - block));
                }
                m_counted = end;
            }
        }
        m_given += given;
        return given;
    }

    bool Cancelled() const { return m_cancelled; }
    std::uint64_t Given() const { return m_given; }

private:
    // The cancel test before a block: once a cancel is seen, the source gives nothing more.
    bool Stopped() {
        m_cancelled = m_cancelled || CancelRequested(m_control);
        return m_cancelled;
    }

    CFile& m_local;
    TransferControl* m_control;
    const std::uint64_t m_measured;
    std::uint64_t m_given;
    std::uint64_t& m_counted;
    bool m_cancelled = false;
};

enum class FileSent { kWhole, kCancelled, kChanged, kSizeDiffers };

// One local file's progress across the connections that try to send it.
struct FileAttempts {
    // The server accepted a STOR of this file in this send: what it holds of the name is ours.
    bool begun = false;
    // Bytes of the file counted in the transfer control so far.
    std::uint64_t counted = 0;
    // The file's length as it was first measured; later attempts hold it to that length, so a
    // file that changed between attempts fails rather than being stitched from two versions.
    std::uint64_t length = 0;
};

// Removes what a failed file left on the server, keeping the reason why it failed.
void RemoveAfterFailure(CFtpConnection& connection, const CString& name) {
    const FailureReasonKeeper keeper;
    try {
        connection.Remove(WholeText(name));
    } catch (const CInternetException&) {
        // The owner's roll-back, or the caller, takes it off the host later.
    }
}

// Sends one local file into the connection's current directory as `remoteName` (null: the last
// component of its path); `measured` is its length as the caller measured it, null to take it
// when the file is first opened. A file begun on an earlier connection resumes where the
// server's copy ends (from the start when the server does not tell its size or holds more than
// the file), and its remote size is checked once it is closed: kSizeDiffers when it is not the
// file's length. kCancelled when the cancel request was seen between blocks; kChanged when the
// file did not give exactly its measured bytes or is no longer that long at the end. The remote
// file is removed again after kChanged and kSizeDiffers, and closed either way, so what a cancel
// left stays for the owner to roll back. Throws CFileException for the local file and
// CInternetException for the connection (a transfer aborted for the cancel included).
FileSent SendOne(CFtpConnection& connection, const CString& localPath, const CString* remoteName,
                 const std::uint64_t* measured, TransferControl* control, FileAttempts& attempts,
                 TraceSink trace) {
    CFile local(WholePath(localPath), CFile::modeRead);
    const bool resuming = attempts.begun;
    if (!resuming) {
        attempts.length = measured != nullptr ? *measured : local.GetLength();
    }
    const std::uint64_t length = attempts.length;
    const CString name = remoteName != nullptr ? *remoteName : local.GetFileName();
    std::uint64_t offset = 0;
    if (resuming) {
        const std::int64_t held = connection.GetFileSize(WholeText(name));
        if (held > 0 && static_cast<std::uint64_t>(held) <= length) {
            offset = static_cast<std::uint64_t>(held);
            local.SeekTo(offset);
        }
        Trace(trace, '*',
              "resuming " + std::string(name.GetString()) + " at offset " + std::to_string(offset));
    }
    std::unique_ptr<CInternetFile> remote =
        connection.OpenFile(WholeText(name), GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 1, offset);
    attempts.begun = true;
    BlockSource blocks(local, control, length, offset, attempts.counted);
    remote->Send(std::ref(blocks));
    remote->Close();
    if (blocks.Cancelled()) {
        return FileSent::kCancelled;
    }
    // Checked once the file is closed: nothing is read twice, and the check costs one fstat.
    if (!SentAsMeasured(local, localPath, length, blocks.Given())) {
        RemoveAfterFailure(connection, name);
        return FileSent::kChanged;
    }
    local.Close();
    if (resuming) {
        // The pieces of a resumed file were stitched by the server: its length says whether
        // they meet.
        const std::int64_t stored = connection.GetFileSize(WholeText(name));
        if (stored < 0 || static_cast<std::uint64_t>(stored) != length) {
            SetFailureReason(FailureKind::Network,
                             "the server holds " + std::to_string(stored) + " bytes of " +
                                 std::string(name.GetString()) + " after resuming, not " +
                                 std::to_string(length));
            RemoveAfterFailure(connection, name);
            return FileSent::kSizeDiffers;
        }
    }
    return FileSent::kWhole;
}

static_assert(vanta::repeat_rule("send_file") == vanta::RepeatWhen::resume &&
                  vanta::repeat_rule("send_files") == vanta::RepeatWhen::resume,
              "the sends below resume after a broken connection");

// What happened to the file at `index`, as the send's result; kSuccess when it was stored or
// skipped.
unsigned int SendAt(CFtpConnection& connection, const Sending& sending, INT_PTR index,
                    FileAttempts& attempts, const CallContext& context) {
    const CString& localPath = sending.localFiles.GetAt(index);
    const bool known =
        sending.measured != nullptr && static_cast<size_t>(index) < sending.measured->size();
    try {
        switch (SendOne(connection, localPath, sending.remoteName,
                        known ? &(*sending.measured)[index] : nullptr, context.control, attempts,
                        context.trace)) {
        case FileSent::kWhole:
            return kSuccess;
        case FileSent::kCancelled:
            return kCancelled;
        case FileSent::kChanged:
            return kLocalFileError;
        case FileSent::kSizeDiffers:
            return kBusyOrFtpError;
        }
    } catch (const CFileException&) {
        // A local file that cannot be opened or read is skipped; the others still go. One
        // that was measured for the caller has changed since, and the one file stored under
        // a name of the caller's is the whole send: either fails it.
        if (known || sending.remoteName != nullptr) {
            return kLocalFileError;
        }
    }
    return kSuccess;
}

} // namespace

// The send under the context's retry policy: each connection that breaks in a way a new login
// may get past is replaced after the policy's wait, while its attempts and budget last.
ConnectionOutcome SendFromQueue(const CallContext& context, const Sending& sending,
                                FileQueue& queue, FirstLogin firstLogin) {
    TransferControl* const control = context.control;
    // One schedule for the whole connection, its logins included.
    FtpCall call(context);
    CFtpConnection* connection = nullptr;
    bool loggedIn = false;
    bool sendBegun = false;
    // The file this connection is on, held across its logins until it is sent whole.
    bool holding = false;
    INT_PTR index = 0;
    FileAttempts current;
    unsigned int filesSent = 0;
    while (true) {
        // Where this attempt starts: one that gets further resumes past the budget too.
        const unsigned int filesAtStart = filesSent;
        const std::uint64_t countedAtStart = current.counted;
        try {
            if (connection == nullptr) {
                connection = &call.Connect(loggedIn || firstLogin == FirstLogin::kUnderPolicy);
                loggedIn = true;
                // An empty directory means the login directory. A directory the server refuses
                // ends the send: the files would otherwise land where the caller did not name.
                if (!sending.remoteDir.IsEmpty() &&
                    !connection->SetCurrentDirectory(WholeText(sending.remoteDir))) {
                    return {kBusyOrFtpError, loggedIn};
                }
                if (control != nullptr) {
                    if (sendBegun) {
                        control->Resuming();
                    } else {
                        control->BeginSend();
                    }
                }
                sendBegun = true;
            }
            while (true) {
                if (!holding) {
                    if (!queue.Take(index)) {
                        return {kSuccess, loggedIn};
                    }
                    holding = true;
                    current = FileAttempts{};
                }
                if (CancelRequested(control)) {
                    return {kCancelled, loggedIn};
                }
                if (const unsigned int result =
                        SendAt(*connection, sending, index, current, context);
                    result != kSuccess) {
                    return {result, loggedIn};
                }
                holding = false;
                ++filesSent;
            }
        } catch (const CInternetException& failure) {
            // A transfer that failed once the cancel was asked for was most likely aborted for
            // it; either way the owner stops and rolls back as after a cancel.
            if (CancelRequested(control)) {
                return {kCancelled, loggedIn};
            }
            // A further connection that the server would not have is not tried again.
            if (!loggedIn && firstLogin == FirstLogin::kOnce) {
                return {kBusyOrFtpError, false};
            }
            if (filesSent != filesAtStart || current.counted != countedAtStart) {
                call.MovedForward();
            }
            connection = nullptr;
            const std::string where =
                sending.remoteDir.IsEmpty() ? "the login directory" : sending.remoteDir.GetString();
            // A refused login, STOR or name is final; a broken or refused connection and the
            // server's 421 are worth a new login, after the policy's wait.
            if (!call.MayRepeat(failure, vanta::repeat_rule("send_files"),
                                "the send into " + where)) {
                return {CancelRequested(control) ? kCancelled : kBusyOrFtpError, loggedIn};
            }
        }
    }
}

namespace {
// The files of `sending` over one connection, more after a break.
unsigned int SendOverConnections(const CallContext& context, const Sending& sending) {
    FileQueue queue(sending.localFiles.GetSize());
    return SendFromQueue(context, sending, queue, FirstLogin::kUnderPolicy).result;
}
} // namespace

unsigned int SendFiles(const CallContext& context, const CString& remoteDir,
                       const CStringArray& localFiles, const std::vector<std::uint64_t>* measured) {
    return SendOverConnections(context, Sending{remoteDir, localFiles, nullptr, measured});
}

unsigned int SendFileAs(const CallContext& context, const CString& remoteDir,
                        const CString& localPath, const CString& remoteName) {
    CStringArray localFiles;
    localFiles.Add(localPath);
    return SendOverConnections(context, Sending{remoteDir, localFiles, &remoteName, nullptr});
}
