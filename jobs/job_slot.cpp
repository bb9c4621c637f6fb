#include "jobs/job_slot.h"

#include "vanta/result_codes.h"

#include <utility>

using namespace vanta::result;

namespace vanta::internal {

JobSlot::Claim::Claim(Claim&& other) noexcept : m_slot(std::exchange(other.m_slot, nullptr)) {}

JobSlot::Claim::~Claim() {
    if (m_slot != nullptr) {
        std::lock_guard lock(m_slot->m_mutex);
        m_slot->m_claimed = false;
    }
}

unsigned int JobSlot::Claim::Start(std::unique_ptr<Job> job, JobOutStrings out) {
    // Shared before anything else: should that fail, the claim is still held and let go.
    std::shared_ptr<Job> shared(std::move(job));
    JobSlot* slot = std::exchange(m_slot, nullptr);
    bool started = false;
    Current previous;
    {
        std::lock_guard lock(slot->m_mutex);
        // Started under the lock, which the worker never needs to start: its status callback
        // may call the exports at once, and they must find this job current, not the last one.
        started = shared->Start();
        previous = std::exchange(slot->m_current, Current{shared, out, false});
        slot->m_claimed = false;
    }
    // The previous job's worker has ended (the claim was granted only then); it is destroyed
    // here, outside the lock, unless another caller still holds it.
    return started ? kSuccess : kZero;
}

JobSlot::Claim JobSlot::ClaimStart() {
    std::lock_guard lock(m_mutex);
    if (m_claimed || (m_current.job && m_current.job->Running())) {
        return Claim(nullptr);
    }
    m_claimed = true;
    // The ended job's results reach its caller now or never: the new start may be handed the
    // same out-strings, and reads them next.
    DeliverLocked();
    return Claim(this);
}

void JobSlot::DeliverLocked() {
    if (m_current.delivered || !m_current.job) {
        return;
    }
    m_current.delivered = true;
    const Job& job = *m_current.job;
    if (!job.m_bRegistered) {
        return;
    }
    if (m_current.out.assetNum != nullptr) {
        *m_current.out.assetNum = job.m_strAssetNum;
    }
    if (m_current.out.password != nullptr) {
        *m_current.out.password = job.m_strPassword;
    }
}

bool JobSlot::Running() {
    std::lock_guard lock(m_mutex);
    if (!m_current.job || !m_current.job->HasThread()) {
        return false;
    }
    if (m_current.job->Running()) {
        return true;
    }
    DeliverLocked();
    m_current.job->PassFailureReasonToCaller();
    return false;
}

unsigned int JobSlot::Progress() {
    std::lock_guard lock(m_mutex);
    return m_current.job ? m_current.job->ProgressPercent() : 0;
}

unsigned int JobSlot::Cancel(unsigned long timeout) {
    std::shared_ptr<Job> job;
    {
        std::lock_guard lock(m_mutex);
        job = m_current.job;
    }
    if (!job || !job->HasThread() || !job->InTransferPhase()) {
        return kZero;
    }
    job->RequestCancel();
    // Inside the job's own callbacks the worker cannot end while this waits: the request is
    // left for it to see.
    if (job->OnWorkerThread()) {
        return kZero;
    }
    // Longer than the platform's 32-bit wait can express is as good as no limit.
    const DWORD wait = timeout >= INFINITE ? INFINITE : static_cast<DWORD>(timeout);
    if (!job->WaitForEnd(wait)) {
        return kZero;
    }
    Current discarded;
    {
        std::lock_guard lock(m_mutex);
        if (m_current.job == job) {
            DeliverLocked();
            discarded = std::exchange(m_current, Current{});
        }
    }
    return kSuccess;
}

void JobSlot::Status(CString& status, unsigned long& code) {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::lock_guard lock(m_mutex);
            job = m_current.job;
        }
        if (job && job->OnWorkerThread()) {
            // Inside the job's own callbacks: the job still runs, and says so without waiting
            // for itself. The text is the worker's own, read on its own thread.
            status = job->m_strStatus;
            code = kStillRunning;
            return;
        }
        if (job) {
            job->WaitForEnd(INFINITE);
        }
        std::lock_guard lock(m_mutex);
        // Another thread may have discarded the job (a cancel) or started the next one
        // meanwhile: the answer is about whatever is current once its worker has ended.
        if (m_current.job != job) {
            continue;
        }
        if (!job) {
            code = kNoJob;
            return;
        }
        if (job->HasThread()) {
            DeliverLocked();
        }
        status = job->m_strStatus;
        code = job->Result();
        job->PassFailureReasonToCaller();
        return;
    }
}

void JobSlot::Release() {
    Current released;
    {
        std::lock_guard lock(m_mutex);
        released = std::exchange(m_current, Current{});
    }
    // Waited for here, not left to the job's destructor: another thread may still hold the
    // job, and the library's code must outlive its worker.
    if (released.job) {
        released.job->RequestCancel();
        if (!released.job->OnWorkerThread() && !released.job->WaitForEnd(kUnloadWaitMs)) {
            // A worker past the bound still uses the job: it keeps it rather than this
            // thread waiting in its destructor without end.
            static_cast<void>(new std::shared_ptr<Job>(std::move(released.job)));
        }
    }
}

JobSlot& ExportJobSlot() {
    // Never destroyed: unload empties it (Release) and calls may still arrive from other
    // threads while the process ends.
    static JobSlot* const slot = new JobSlot();
    return *slot;
}

} // namespace vanta::internal
