// The Win32 twin of the per-thread failure reason. Not thread_local: in a DLL the C++ run time
// destroys such objects at each thread's end with code of the DLL, which is gone when the DLL
// was unloaded first, and in no order that the system's thread-detach notifications keep.
// Each thread's record lives instead in a fiber-local slot that the library allocates on first
// use: while the library is loaded, the system frees a thread's record at the thread's end
// through the slot's callback; the unload frees the slot and, with it, every record still in
// it (ReleaseFailureReasons). A thread that never records a failure gets no record.
#include "os/failure_reason.h"
#include "os/failure_reason_storage.h"
#include "os/process_end.h"
#include "os/windows_api.h"

#include <atomic>
#include <new>
#include <utility>

namespace {
struct Record {
    std::string reason;
    FailureKind kind = FailureKind::None;
    std::string handed[static_cast<unsigned>(HandedText::Count)];
};

void WINAPI FreeRecord(void* record) {
    delete static_cast<Record*>(record);
}

std::atomic<DWORD> g_slot{FLS_OUT_OF_INDEXES};
// Set by the unload: no slot may be allocated again, since its callback would be the
// library's code.
std::atomic<bool> g_released{false};

// What a thread without a record reads.
const std::string g_noReason;

DWORD Slot(bool allocate) noexcept {
    DWORD slot = g_slot.load();
    if (slot != FLS_OUT_OF_INDEXES || !allocate || g_released.load()) {
        return slot;
    }
    const DWORD made = FlsAlloc(&FreeRecord);
    if (made == FLS_OUT_OF_INDEXES) {
        return made;
    }
    // Two threads' first failures may race: one slot stays, the other goes at once.
    if (g_slot.compare_exchange_strong(slot, made)) {
        return made;
    }
    FlsFree(made);
    return slot;
}

// The calling thread's record; with `make`, made when it has none. Null when there is none and
// none could be made (no memory, no slot, or after the unload).
Record* OwnRecord(bool make) noexcept {
    const DWORD slot = Slot(make);
    if (slot == FLS_OUT_OF_INDEXES) {
        return nullptr;
    }
    auto* record = static_cast<Record*>(FlsGetValue(slot));
    if (record == nullptr && make) {
        record = new (std::nothrow) Record();
        if (record != nullptr && !FlsSetValue(slot, record)) {
            delete record;
            record = nullptr;
        }
    }
    return record;
}
} // namespace

void ClearFailureReason() {
    if (Record* record = OwnRecord(false)) {
        record->reason.clear();
        record->kind = FailureKind::None;
    }
}

void SetFailureReason(FailureKind kind, std::string text) noexcept {
    if (Record* record = OwnRecord(true)) {
        record->reason.swap(text);
        record->kind = kind;
    }
}

void SetFailureReason(std::string text) noexcept {
    SetFailureReason(FailureKind::Other, std::move(text));
}

const std::string& FailureReason() {
    const Record* record = OwnRecord(false);
    return record != nullptr ? record->reason : g_noReason;
}

FailureKind LastFailureKind() {
    const Record* record = OwnRecord(false);
    return record != nullptr ? record->kind : FailureKind::None;
}

const char* KeepHandedText(HandedText which, std::string text) noexcept {
    Record* record = OwnRecord(true);
    if (record == nullptr) {
        return "";
    }
    std::string& kept = record->handed[static_cast<unsigned>(which)];
    kept.swap(text);
    return kept.c_str();
}

FailureReasonKeeper::FailureReasonKeeper() noexcept : m_kind(LastFailureKind()) {
    try {
        m_reason = FailureReason();
        m_kept = true;
    } catch (...) {
        // No memory for the copy: the callback's calls may replace the reason.
    }
}

FailureReasonKeeper::~FailureReasonKeeper() {
    if (m_kept) {
        SetFailureReason(m_kind, std::move(m_reason));
    }
}

void ReleaseFailureReasons() noexcept {
    g_released.store(true);
    const DWORD slot = g_slot.exchange(FLS_OUT_OF_INDEXES);
    // At the process's end the records stay: their threads are gone, and the heap's lock may
    // have gone with one of them.
    if (slot != FLS_OUT_OF_INDEXES && !ProcessIsEnding()) {
        FlsFree(slot); // runs FreeRecord on every thread's record
    }
}
