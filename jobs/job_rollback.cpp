#include "jobs/job_rollback.h"

#include "assets/asset_operations.h"
#include "files/remote_files.h"
#include "jobs/job.h"
#include "os/failure_reason.h"
#include "transport/call_context.h"
#include "vanta/result_codes.h"

#include <string>
#include <utility>

using namespace vanta::result;

namespace vanta::internal {
namespace {
// A result that came without a recorded reason (a refusal the service answered plainly).
std::string Describe(unsigned int result) {
    switch (result) {
    case kCancelled:
        return "cancelled";
    case kZero:
        return "the service answered FAIL";
    default:
        return "result " + std::to_string(result);
    }
}

// The failure that ended the job, kept while the roll-back's own calls replace the thread's
// reason, and put back afterwards with what the roll-back could not take back.
class JobFailure {
public:
    explicit JobFailure(unsigned int result) : m_result(result), m_kind(LastFailureKind()) {
        try {
            m_reason = FailureReason();
        } catch (...) {
            // Without memory for the text the kind still stands.
        }
    }

    // What the last step of the roll-back reported, or its result when it recorded nothing.
    static std::string StepReason(unsigned int stepResult) {
        const std::string& reason = FailureReason();
        return reason.empty() ? Describe(stepResult) : reason;
    }

    // Puts the job's own reason back, followed by `left` (what stayed) unless that is empty.
    void Restore(const std::string& left) noexcept {
        if (left.empty()) {
            SetFailureReason(m_kind, std::move(m_reason));
            return;
        }
        try {
            SetFailureReason(m_kind,
                             (m_reason.empty() ? Describe(m_result) : m_reason) + "; " + left);
        } catch (...) {
            SetFailureReason(m_kind, std::move(m_reason));
        }
    }

private:
    unsigned int m_result;
    FailureKind m_kind;
    std::string m_reason;
};
} // namespace

namespace {
// The frame both roll-backs share: the job's own failure is kept while `steps` run (their
// calls set reasons of their own), then put back with what `steps` say stayed ("" when
// nothing did). `cutShort` names what stayed when a step threw.
template <class Steps>
void RollBack(Job& job, unsigned int result, const std::string& cutShort, Steps steps) {
    JobFailure failure(result);
    // A cancel ends the transfer phase, as it always has; after a failure the phase stays
    // as the failure left it, so that progress reads as it did.
    if (result == kCancelled) {
        job.EndTransferPhase();
    }
    std::string left;
    try {
        left = steps();
    } catch (...) {
        left = cutShort;
    }
    job.m_bLeftBehind = !left.empty();
    failure.Restore(left);
}
} // namespace

vanta::Error RollBackUpload(const CallContext& context, Job& job, const CString& assetDir,
                            const CStringArray& names, vanta::Error result) {
    const CallContext steps = context.WithControl(nullptr);
    const std::string asset = job.m_strAssetNum.str();
    RollBack(job, result.code, "the roll-back of asset " + asset + " was cut short", [&] {
        std::string left;
        CString product;
        product.Format("%d", static_cast<int>(job.m_nProductNum));
        // The record first: it is what puts the asset in the user's list. A service that
        // takes the files with the record leaves the FTP step nothing to do. Only what the
        // withdrawal itself records may describe its failure.
        ClearFailureReason();
        const auto withdrawn =
            core::DeleteAsset(steps, job.m_strUserId, product, job.m_strAssetNum);
        if (!withdrawn) {
            left = "its record could not be withdrawn (" +
                   JobFailure::StepReason(withdrawn.error().code) + ")";
        }
        // A job whose send never got into the asset's directory stored nothing there; the
        // empty directory the service made at registration goes with the record. Not trying
        // again also spares a second wait on an FTP side that could not be reached.
        const vanta::Result<void> removed = job.SendBegun()
                                                ? core::RemoveJobDirectory(steps, assetDir, names)
                                                : vanta::Result<void>();
        if (!removed) {
            left += (left.empty() ? "" : "; ") + std::string("its files in ") + assetDir.str() +
                    " could not be removed (" + JobFailure::StepReason(removed.error().code) + ")";
        }
        return left.empty() ? left
                            : "the roll-back left asset " + asset + " on the service: " + left;
    });
    if (!job.m_bLeftBehind) {
        // Nothing of the asset is left to name: the caller gets no number of a withdrawn
        // asset, nor the address of its page.
        job.m_bRegistered = false;
        job.m_strStatus.Empty();
    }
    return result;
}

vanta::Error RollBackShare(const CallContext& context, Job& job, const CString& sessionDir,
                           const CStringArray& names, vanta::Error result) {
    // The removals of a share pass no notifications on, as its cancel always has.
    const CallContext steps{context.config, StatusSink(), nullptr, context.trace};
    RollBack(job, result.code, "the roll-back of " + sessionDir.str() + " was cut short", [&] {
        const vanta::Result<void> removed = core::RemoveJobDirectory(steps, sessionDir, names);
        return removed
                   ? std::string()
                   : "the roll-back left the session's files in " + sessionDir.str() +
                         " on the service (" + JobFailure::StepReason(removed.error().code) + ")";
    });
    return result;
}
} // namespace vanta::internal
