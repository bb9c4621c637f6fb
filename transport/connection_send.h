// One connection's part of a multi-file send: the loop that the send over one connection runs
// once and the parallel send (transport/parallel_send.h) runs on each of its connections.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"

#include <atomic>
#include <cstdint>
#include <vector>

// What one send stores: the local files, and the name each gets on the server.
struct Sending {
    const CString& remoteDir;
    const CStringArray& localFiles;
    // The name of the only file; null: each file keeps the last component of its path.
    const CString* remoteName;
    // The files' lengths as the caller measured them; null: each is measured when opened.
    const std::vector<std::uint64_t>* measured;
};

// Hands the files of one send out in their order, each to one connection, the next to
// whichever connection asks first. Safe to share between the connections' threads.
class FileQueue {
public:
    explicit FileQueue(INT_PTR count) : m_count(count) {}

    // The next file that no connection has taken; false once every file was taken.
    bool Take(INT_PTR& index) {
        const INT_PTR next = m_next.fetch_add(1);
        if (next >= m_count) {
            return false;
        }
        index = next;
        return true;
    }
    // Every file was taken (though some may still be on their way).
    bool Drained() const { return m_next.load() >= m_count; }

private:
    const INT_PTR m_count;
    std::atomic<INT_PTR> m_next{0};
};

// How a connection makes its first login.
enum class FirstLogin {
    // Under the context's retry policy, as every FTP operation does: the only connection of a
    // send, or the first of a parallel one.
    kUnderPolicy,
    // Once: a further connection of a parallel send, which a server that limits its
    // connections may refuse; the send goes on without it.
    kOnce,
};

struct ConnectionOutcome {
    // As SendFiles gives it (multi_send.h).
    unsigned int result;
    // The connection logged in at least once: false means that it never took a file.
    bool loggedIn;
};

// Logs in (as `firstLogin` says), changes into the send's directory, then takes files from
// `queue` and sends each whole until none is left, as SendFiles describes: a broken connection
// is replaced under the context's retry policy and the file it was on resumes; a refused
// directory, STOR or login, a local file that changed or a cancel of the context's transfer
// control ends the loop. The context's transfer control hears BeginSend after the first login
// and Resuming after each later one.
ConnectionOutcome SendFromQueue(const CallContext& context, const Sending& sending,
                                FileQueue& queue, FirstLogin firstLogin);
