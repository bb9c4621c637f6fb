// The multi-file send over several FTP connections at once: the transfer step of the jobs'
// workers and of the file-set send.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"

#include <cstdint>
#include <vector>

// Sends `localFiles` into `remoteDir` with the results and promises of SendFiles
// (multi_send.h), over up to `context.config.parallelTransfers` FTP connections at once and
// never more than there are files. With one connection (the setting is 1, or there is one file)
// it is SendFiles itself.
//
// Each connection logs in once and takes the next file that none has taken, so that the STORs
// start in the files' order and each file goes whole over one connection. The first connection
// logs in under the context's retry policy; each further one tries once: a server that refuses
// it (421 "too many connections", a refused login, no answer) leaves the send with the
// connections it has for the rest of the send. Only when no connection logs in does the send
// fail, as SendFiles would. A connection that logged in follows the retry policy on its own: after
// a break it logs in again and the file it was on resumes where the server's copy ends, while
// the others go on. A failure of one connection (a refused directory or STOR, a local file that
// changed, a spent policy) stops the others as a cancel would and is the send's result; what
// they had begun stays for the owner's roll-back.
//
// The context's transfer control is used on the calling thread only: it hears BeginSend once,
// the bytes of all connections (each byte once, summed since its last look, which comes at
// least every kCancelCheckMs / 10 ms, so that its count never goes back) and every resume, and
// its cancel request, read as often, stops every connection. The status notifications of the
// connections reach the context's receiver on the calling thread too, one at a time. So a job's
// callbacks run on its worker and may call back into the library. Every connection's thread has
// ended when the send returns.
unsigned int SendFilesInParallel(const CallContext& context, const CString& remoteDir,
                                 const CStringArray& localFiles,
                                 const std::vector<std::uint64_t>* measured = nullptr);
