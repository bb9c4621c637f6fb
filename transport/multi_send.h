// The multi-file send, for the file-set send and for the jobs' workers, and the same send for
// one file under a name of the caller's.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/status_callback.h"

#include <cstdint>
#include <vector>

class TransferControl;

// Sends `localFiles` over one FTP connection (more after a break, below) into `remoteDir`
// (empty: the login directory). With a transfer control in the context, its byte counters
// follow the send, and its cancel request stops the send between blocks or aborts the transfer
// in flight: the result is then 16384. Without one, nothing but the caller's own arguments is
// touched. `measured` holds the files' lengths as the caller measured them (null: each file is
// measured when it is first opened); a file that does not give exactly that many bytes, cannot
// be opened or read any more, or is no longer that long when its send ends, stops the send
// with 8, its remote copy removed again. 1: sent (unreadable local files are skipped); 16: the
// connection failed or the directory was refused.
//
// The context's retry policy (its `retry`) bounds the connections the send may use: retries +
// 1, within its budget. A connection that breaks (or a login answered 421) is replaced by a new
// login in the same directory: at once, the back-off starting again and the budget running again,
// when the broken one got further into the files than any before it (a long send may break late
// and still go on); else after the policy's wait. A file whose STOR had begun resumes where the
// server's copy ends (SIZE, then REST and STOR), its remote size checked against the local length
// once it is closed; the transfer control hears Resuming() and the bytes it counted are not counted
// again. A cancel during the wait ends it at once with 16384. A refused directory, STOR or login is
// not tried again; a failure after more than one attempt names their number in the failure reason.
// With no retries the first broken connection ends the send.
unsigned int SendFiles(const CallContext& context, const CString& remoteDir,
                       const CStringArray& localFiles,
                       const std::vector<std::uint64_t>* measured = nullptr);

// The same send for the one file `localPath`, stored as `remoteName`. A local file that cannot
// be opened or read is not skipped: it fails the send with 8. Its length is taken when it is
// first opened, after the login.
unsigned int SendFileAs(const CallContext& context, const CString& remoteDir,
                        const CString& localPath, const CString& remoteName);
