// The background jobs through the C interface: the C++ job handle behind an opaque one, and
// the C progress callback behind the C++ one.
#include "capi/c_boundary.h"

#include <optional>

struct vanta_job {
    std::optional<vanta::UploadJob> upload;
    std::optional<vanta::ShareJob> share;
};

namespace {

using namespace vanta::capi;

// Copies as much of `from` as the caller's struct holds.
void FillProgress(const vanta::Progress& from, vanta_progress* into) noexcept {
    vanta_progress all{};
    all.size = into->size < sizeof all ? into->size : sizeof all;
    all.bytes = from.bytes;
    all.total = from.total;
    all.phase = static_cast<vanta_job_phase>(from.phase);
    all.resumes = from.resumes;
    all.resumed_at = from.resumed_at;
    std::memcpy(into, &all, all.size);
}

vanta::JobOptions ToOptions(const vanta_job_options* options) {
    vanta::JobOptions to;
    if (options == nullptr) {
        return to;
    }
    const vanta_job_options& o = *options;
    if (CALLER_HAS(o, vanta_job_options, user_data) && o.on_progress != nullptr) {
        to.on_progress = [call = o.on_progress, data = o.user_data](const vanta::Progress& p) {
            vanta_progress progress{};
            progress.size = sizeof progress;
            FillProgress(p, &progress);
            call(&progress, data);
        };
    }
    if (CALLER_HAS(o, vanta_job_options, progress_interval_ms)) {
        to.progress_interval = std::chrono::milliseconds(o.progress_interval_ms);
    }
    if (CALLER_HAS(o, vanta_job_options, progress_bytes)) {
        to.progress_bytes = o.progress_bytes;
    }
    if (CALLER_HAS(o, vanta_job_options, status_user_data)) {
        to.on_status = ToStatusHandler(o.on_status, o.status_user_data);
    }
    return to;
}

// The caller's list of `count` names; a NULL list or name fails as invalid_argument.
bool ToPaths(const char* const* names, size_t count, std::vector<std::filesystem::path>& into) {
    if (count > 0 && names == nullptr) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (names[i] == nullptr) {
            return false;
        }
        into.emplace_back(names[i]);
    }
    return true;
}

bool ToUploadRequest(const vanta_upload_request& r, vanta::UploadRequest& to) {
    if (!CALLER_HAS(r, vanta_upload_request, recipient_count) || r.user_id == nullptr ||
        r.name == nullptr || !ToPaths(r.files, r.file_count, to.files) ||
        (r.recipient_count > 0 && r.recipients == nullptr)) {
        return false;
    }
    to.user_id = r.user_id;
    to.product = r.product;
    to.name = r.name;
    to.description = Text(r.description);
    to.asset_type = r.asset_type;
    for (size_t i = 0; i < r.recipient_count; ++i) {
        const vanta_recipient* who = r.recipients[i];
        if (who == nullptr || !CALLER_HAS(*who, vanta_recipient, may_download) ||
            who->email == nullptr) {
            return false;
        }
        to.recipients.push_back({who->email, std::string(Text(who->name)), who->may_download});
    }
    return true;
}

bool ToShareRequest(const vanta_share_request& r, vanta::ShareRequest& to) {
    if (!CALLER_HAS(r, vanta_share_request, file_count) ||
        !ToPaths(r.files, r.file_count, to.files) ||
        (r.recipient_count > 0 && r.recipients == nullptr)) {
        return false;
    }
    for (size_t i = 0; i < r.recipient_count; ++i) {
        if (r.recipients[i] == nullptr) {
            return false;
        }
        to.recipients.emplace_back(r.recipients[i]);
    }
    to.sender = Text(r.sender);
    to.subject = Text(r.subject);
    to.message = Text(r.message);
    to.sender_name = Text(r.sender_name);
    return true;
}

template <class T>
void Init(T* record, size_t size) noexcept {
    if (record != nullptr && size >= sizeof record->size) {
        T empty{};
        empty.size = size < sizeof empty ? size : sizeof empty;
        std::memcpy(record, &empty, empty.size);
    }
}

} // namespace

extern "C" {

void vanta_job_options_init(vanta_job_options* options, size_t size) {
    Init(options, size);
}

void vanta_upload_request_init(vanta_upload_request* request, size_t size) {
    Init(request, size);
}

void vanta_share_request_init(vanta_share_request* request, size_t size) {
    Init(request, size);
}

vanta_result vanta_upload(const vanta_client* client, const vanta_upload_request* request,
                          const vanta_job_options* options, vanta_job** job, vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("starting an upload", {client, request, job}, error)) {
            return r;
        }
        vanta::UploadRequest to;
        if (!ToUploadRequest(*request, to)) {
            return InvalidArgument("starting an upload: an incomplete request", error);
        }
        auto made = std::make_unique<vanta_job>();
        made->upload.emplace(client->client.upload(std::move(to), ToOptions(options)));
        *job = made.release();
        return VANTA_OK;
    });
}

vanta_result vanta_share_by_email(const vanta_client* client, const vanta_share_request* request,
                                  const vanta_job_options* options, vanta_job** job,
                                  vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("starting a share", {client, request, job}, error)) {
            return r;
        }
        vanta::ShareRequest to;
        if (!ToShareRequest(*request, to)) {
            return InvalidArgument("starting a share: an incomplete request", error);
        }
        auto made = std::make_unique<vanta_job>();
        made->share.emplace(client->client.share_by_email(std::move(to), ToOptions(options)));
        *job = made.release();
        return VANTA_OK;
    });
}

void vanta_job_progress(const vanta_job* job, vanta_progress* progress) {
    if (job == nullptr || progress == nullptr || progress->size < sizeof progress->size) {
        return;
    }
    FillProgress(job->upload ? job->upload->progress() : job->share->progress(), progress);
}

void vanta_job_cancel(vanta_job* job) {
    if (job != nullptr) {
        job->upload ? job->upload->cancel() : job->share->cancel();
    }
}

bool vanta_job_wait(vanta_job* job, int64_t timeout_ms) {
    if (job == nullptr) {
        return true;
    }
    const std::chrono::milliseconds timeout(timeout_ms < 0 ? 0 : timeout_ms);
    return job->upload ? job->upload->wait(timeout) : job->share->wait(timeout);
}

vanta_result vanta_job_outcome(vanta_job* job, vanta_upload_outcome** outcome,
                               vanta_error** error) {
    return Guarded(error, [&] {
        if (const auto r = RequireTexts("reading a job's outcome", {job}, error)) {
            return r;
        }
        if (job->share) {
            auto shared = job->share->outcome();
            return shared ? VANTA_OK : Fail(std::move(shared).error(), error);
        }
        return Deliver(job->upload->outcome(), outcome, error, [](const vanta::UploadOutcome& o) {
            auto* made = NewRecord<vanta_upload_outcome>();
            try {
                made->asset_number = Duplicate(o.asset_number);
                made->password = Duplicate(o.password);
                made->page_address = Duplicate(o.page_address);
            } catch (...) {
                vanta_upload_outcome_free(made);
                throw;
            }
            return made;
        });
    });
}

void vanta_upload_outcome_free(vanta_upload_outcome* outcome) {
    if (outcome != nullptr) {
        std::free(const_cast<char*>(outcome->asset_number));
        std::free(const_cast<char*>(outcome->password));
        std::free(const_cast<char*>(outcome->page_address));
        std::free(outcome);
    }
}

void vanta_job_free(vanta_job* job) {
    delete job;
}

} // extern "C"
