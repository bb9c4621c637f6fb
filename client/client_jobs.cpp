// Starting the background jobs of a Client.
#include "client/job_state.h"

#include "email/email_preparation.h"
#include "email/info_file.h"
#include "email/mail_address.h"
#include "os/failure_reason.h"
#include "os/local_directories.h"
#include "os/path_text.h"
#include "os/temp_path.h"
#include "vanta/result_codes.h"

namespace vanta {
using namespace vanta::result;

namespace {
// A new directory of our own (mode 0700) in the library's temporary directory, or "".
std::string MakePrivateDirectory() {
    char base[4096];
    const DWORD length = LibraryTempPath(sizeof(base), base);
    if (length == 0 || length >= sizeof(base)) {
        return {};
    }
    return MakeUniqueDirectory(std::string(base, length) + "share-");
}
} // namespace

UploadJob Client::upload(UploadRequest request, JobOptions options) const noexcept {
    std::shared_ptr<JobState> state;
    try {
        state = std::make_shared<JobState>(JobState::Kind::upload, *m_impl, std::move(options));
        if (!m_impl->configProblem.empty()) {
            state->Fail(UnusableConfig(*m_impl, "starting an upload"));
            return UploadJob(std::move(state));
        }
        internal::JobArguments arguments;
        arguments.userId = ToCString(request.user_id);
        arguments.productNum = request.product;
        arguments.assetType = request.asset_type;
        arguments.assetName = ToCString(request.name);
        arguments.description = ToCString(request.description);
        for (const std::filesystem::path& file : request.files) {
            arguments.files.Add(ToCString(PathText(file)));
        }
        for (const Recipient& recipient : request.recipients) {
            arguments.recipients.push_back({ToCString(recipient.email),
                                            recipient.may_download ? 1 : 0,
                                            ToCString(recipient.name)});
        }
        state->Start(std::move(arguments));
    } catch (...) {
        if (state) {
            state->Fail(
                FailedWith(ErrorCategory::internal, kZero, "starting an upload", "out of memory"));
        }
    }
    return UploadJob(std::move(state));
}

ShareJob Client::share_by_email(ShareRequest request, JobOptions options) const noexcept {
    constexpr std::string_view doing = "sharing files by mail";
    std::shared_ptr<JobState> state;
    try {
        state = std::make_shared<JobState>(JobState::Kind::share, *m_impl, std::move(options));
        if (!m_impl->configProblem.empty()) {
            state->Fail(UnusableConfig(*m_impl, doing));
            return ShareJob(std::move(state));
        }
        if (request.sender.empty()) {
            state->Fail(
                FailedWith(ErrorCategory::invalid_argument, kZero, doing, "no sender address"));
            return ShareJob(std::move(state));
        }
        CStringArray addresses;
        addresses.Add(ToCString(request.sender));
        for (const std::string& recipient : request.recipients) {
            addresses.Add(ToCString(recipient));
        }
        if (!AllPlausibleMailAddresses(addresses)) {
            state->Fail(FailedWith(ErrorCategory::invalid_argument, kZero, doing, FailureReason()));
            return ShareJob(std::move(state));
        }
        // Each job writes its request file into a directory of its own, so that jobs running
        // at once never share one.
        const std::string directory = MakePrivateDirectory();
        if (directory.empty()) {
            state->Fail(FailedWith(ErrorCategory::local_file, kLocalFileError, doing,
                                   "no private temporary directory"));
            return ShareJob(std::move(state));
        }
        state->OwnDirectory(directory);

        CStringArray files;
        for (const std::filesystem::path& file : request.files) {
            files.Add(ToCString(PathText(file)));
        }
        // The session request runs now, on the calling thread.
        const Result<CString> session = RunCore(*m_impl, doing, [&](const CallContext& context) {
            return core::PrepareShare(context, addresses, ToCString(request.subject),
                                      ToCString(request.message), files,
                                      ToCString(request.sender_name),
                                      [&] { return ToCString(directory + "/" + kEmailInfoName); });
        });
        if (!session) {
            state->Fail(session.error());
            return ShareJob(std::move(state));
        }
        // The job sends copies of the list's paths, the request file last.
        internal::JobArguments arguments;
        arguments.userId = *session;
        arguments.files = files;
        state->Start(std::move(arguments));
    } catch (...) {
        if (state) {
            state->Fail(FailedWith(ErrorCategory::internal, kZero, doing, "out of memory"));
        }
    }
    return ShareJob(std::move(state));
}

} // namespace vanta
