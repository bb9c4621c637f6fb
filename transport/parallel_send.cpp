// The multi-file send over several connections: one thread per connection, each running the
// loop of the send over one connection (connection_send.h) on a shared queue of files, and the
// calling thread handing their progress and notifications on to the send's owner.
#include "transport/parallel_send.h"

#include "net/trace.h"
#include "net/transfer_control.h"
#include "os/failure_reason.h"
#include "transport/connection_send.h"
#include "transport/multi_send.h"
#include "vanta/result_codes.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace vanta::result;

namespace {
// How often the calling thread looks at the owner's cancel request while it waits for news of
// the connections: well within the quarter second a cancel may take to abort a transfer.
constexpr std::chrono::milliseconds kOwnerCheck{TransferControl::kCancelCheckMs / 10};

// One status notification of a connection, copied for the calling thread.
struct Notice {
    DWORD status = 0;
    std::vector<char> info;
    bool hasInfo = false;
};

// How one connection ended, with its thread's failure reason.
struct ConnectionEnd {
    ConnectionOutcome outcome{kSuccess, false};
    FailureKind kind = FailureKind::None;
    std::string reason;
};

// A failure of the send itself, as opposed to a connection that was never had or that stopped
// because the send stops.
bool FailsTheSend(const ConnectionOutcome& outcome) {
    return outcome.loggedIn && outcome.result != kSuccess && outcome.result != kCancelled;
}

// What the connections of one send share with the calling thread. The connections' threads
// count bytes and resumes, queue their notifications and report their end; the calling thread
// takes them over and hands them on. Nothing here calls the owner.
class SharedSend {
public:
    SharedSend(INT_PTR files, size_t connections) : queue(files), m_ends(connections) {}

    FileQueue queue;

    // --- from the connections' threads

    void Begun() {
        m_begun.store(true);
        Wake();
    }
    // No wake-up: a block is 1 KiB, and the calling thread takes the sum at its next look,
    // within kOwnerCheck.
    void AddBytes(std::uint64_t bytes) { m_bytes.fetch_add(bytes, std::memory_order_relaxed); }
    void Resumed() {
        m_resumes.fetch_add(1);
        Wake();
    }
    // A connection's status notification (StatusSink::Deliver), copied: its `info` lives only
    // during the call.
    static void Relay(const void* target, DWORD status, void* info, DWORD length) noexcept {
        auto& self = *static_cast<SharedSend*>(const_cast<void*>(target));
        try {
            Notice notice{status, {}, info != nullptr};
            if (info != nullptr) {
                const auto* bytes = static_cast<const char*>(info);
                notice.info.assign(bytes, bytes + length);
            }
            {
                const std::lock_guard lock(self.m_mutex);
                self.m_notices.push_back(std::move(notice));
                self.m_woken = true;
            }
            self.m_wake.notify_one();
        } catch (...) {
            // Out of memory: the notification is lost, the send goes on.
        }
    }
    // The connection at `slot` ended; its thread touches nothing of the send afterwards.
    void Ended(size_t slot, ConnectionEnd end) {
        if (FailsTheSend(end.outcome)) {
            m_stop.store(true);
        }
        {
            const std::lock_guard lock(m_mutex);
            if (FailsTheSend(end.outcome) && !m_firstFailure) {
                m_firstFailure = slot + 1;
            }
            m_ends[slot] = std::move(end);
            ++m_ended;
            m_woken = true;
        }
        m_wake.notify_one();
    }
    // The connections stop: the owner cancelled, or one of them failed the send.
    bool Stopping() const { return m_stop.load(); }
    void Stop() { m_stop.store(true); }

    // --- on the calling thread

    // Waits a little for news (unless `wait` is false), then hands on what there is: the send's
    // begin, its bytes, its resumes and the notifications, in that order. True while one of the
    // `started` connections still runs.
    bool HandOn(const CallContext& owner, size_t started, bool wait = true) {
        std::vector<Notice> notices;
        bool running = false;
        {
            std::unique_lock lock(m_mutex);
            if (wait) {
                m_wake.wait_for(lock, kOwnerCheck, [&] { return m_woken; });
            }
            m_woken = false;
            notices.swap(m_notices);
            running = m_ended < started;
        }
        TransferControl* const control = owner.control;
        if (control != nullptr) {
            if (!m_begunHandedOn && m_begun.load()) {
                control->BeginSend();
                m_begunHandedOn = true;
            }
            if (m_begunHandedOn) {
                if (const std::uint64_t bytes = m_bytes.exchange(0); bytes != 0) {
                    control->AddBytesSent(bytes);
                }
                for (unsigned int n = m_resumes.exchange(0); n > 0; --n) {
                    control->Resuming();
                }
            }
            if (!m_ownerCancelled && control->CancelRequested()) {
                m_ownerCancelled = true;
                Stop();
            }
        }
        for (Notice& notice : notices) {
            try {
                owner.status.Notify(notice.status, notice.hasInfo ? notice.info.data() : nullptr,
                                    static_cast<DWORD>(notice.info.size()));
            } catch (...) {
                // The receiver's exception stays out of the send.
            }
        }
        return running;
    }

    // The send's result once every connection has ended, its failure reason made the calling
    // thread's.
    unsigned int Result() const {
        const ConnectionEnd* chosen = nullptr;
        unsigned int result = kSuccess;
        // A connection that stopped on a file (one that never logged in held none).
        const auto cancelled = std::find_if(m_ends.begin(), m_ends.end(), [](const auto& end) {
            return end.outcome.loggedIn && end.outcome.result == kCancelled;
        });
        if (m_ownerCancelled && (m_firstFailure || cancelled != m_ends.end())) {
            // Stopped at the owner's request: a failure seen meanwhile was most likely the
            // abort of a transfer for it.
            result = kCancelled;
            chosen = cancelled != m_ends.end() ? &*cancelled : nullptr;
        } else if (m_firstFailure) {
            chosen = &m_ends[m_firstFailure - 1];
            result = chosen->outcome.result;
        } else if (std::none_of(m_ends.begin(), m_ends.end(),
                                [](const auto& end) { return end.outcome.loggedIn; })) {
            // No connection at all: the first one's failure, after its retry policy.
            chosen = &m_ends.front();
            result = chosen->outcome.result == kSuccess ? kBusyOrFtpError : chosen->outcome.result;
        }
        if (chosen != nullptr && !chosen->reason.empty()) {
            SetFailureReason(chosen->kind, chosen->reason);
        }
        return result;
    }

private:
    void Wake() {
        {
            const std::lock_guard lock(m_mutex);
            m_woken = true;
        }
        m_wake.notify_one();
    }

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_begun{false};
    std::atomic<std::uint64_t> m_bytes{0};
    std::atomic<unsigned int> m_resumes{0};

    std::mutex m_mutex;
    std::condition_variable m_wake;
    // Under m_mutex.
    bool m_woken = false;
    std::vector<Notice> m_notices;
    size_t m_ended = 0;
    // The slot + 1 of the connection that failed the send first; 0: none did.
    size_t m_firstFailure = 0;
    // Each slot written by its connection's thread as it ends, read once all have ended.
    std::vector<ConnectionEnd> m_ends;

    // Only the calling thread touches these.
    bool m_begunHandedOn = false;
    bool m_ownerCancelled = false;
};

// The transfer control of one connection: its counts go to the shared send, and it stops when
// the send stops, or, while it is still logging in, once the others have taken every file.
class ConnectionControl final : public TransferControl {
public:
    explicit ConnectionControl(SharedSend& shared) : m_shared(shared) {}

    void BeginSend() override {
        m_begun = true;
        m_shared.Begun();
    }
    void AddBytesSent(std::uint64_t bytes) override { m_shared.AddBytes(bytes); }
    bool CancelRequested() const override {
        return m_shared.Stopping() || (!m_begun && m_shared.queue.Drained());
    }
    void Resuming() override { m_shared.Resumed(); }

private:
    SharedSend& m_shared;
    // Set and read on the connection's own thread only.
    bool m_begun = false;
};

// The thread of the connection at `slot`: the loop of the send over one connection, then its
// end reported.
void RunConnection(const CallContext& owner, const Sending& sending, SharedSend& shared,
                   size_t slot, size_t connections) {
    ConnectionEnd end;
    try {
        ConnectionControl control(shared);
        const StatusSink status =
            owner.status.Enabled() ? StatusSink(&SharedSend::Relay, &shared) : StatusSink();
        const CallContext context{owner.config, status, &control, owner.trace};
        end.outcome = SendFromQueue(context, sending, shared.queue,
                                    slot == 0 ? FirstLogin::kUnderPolicy : FirstLogin::kOnce);
        end.kind = LastFailureKind();
        end.reason = FailureReason();
        if (!end.outcome.loggedIn && end.outcome.result != kCancelled) {
            Trace(owner.trace, '*',
                  "connection " + std::to_string(slot + 1) + " of " + std::to_string(connections) +
                      " could not log in (" + end.reason + "): the send goes on without it");
        }
    } catch (...) {
        // Out of memory on this thread: the send fails rather than lose the file it was on.
        end.outcome = {kBusyOrFtpError, true};
        end.kind = FailureKind::Other;
    }
    shared.Ended(slot, std::move(end));
}
} // namespace

unsigned int SendFilesInParallel(const CallContext& context, const CString& remoteDir,
                                 const CStringArray& localFiles,
                                 const std::vector<std::uint64_t>* measured) {
    const size_t files = static_cast<size_t>(localFiles.GetSize());
    const size_t connections = std::min<size_t>(context.config.parallelTransfers, files);
    if (connections <= 1) {
        return SendFiles(context, remoteDir, localFiles, measured);
    }
    const Sending sending{remoteDir, localFiles, nullptr, measured};
    SharedSend shared(localFiles.GetSize(), connections);
    std::vector<std::thread> threads;
    try {
        threads.reserve(connections);
        for (size_t slot = 0; slot < connections; ++slot) {
            threads.emplace_back(RunConnection, std::cref(context), std::cref(sending),
                                 std::ref(shared), slot, connections);
        }
    } catch (...) {
        // No thread, or no memory for more: the send goes on with those that started.
        if (threads.empty()) {
            return SendFiles(context, remoteDir, localFiles, measured);
        }
        Trace(context.trace, '*',
              "only " + std::to_string(threads.size()) + " of " + std::to_string(connections) +
                  " connections could be started");
    }
    while (shared.HandOn(context, threads.size())) {
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    // Whatever came between the last hand-on and the threads' ends.
    shared.HandOn(context, threads.size(), false);
    return shared.Result();
}
