// FTP files on the service host, the version check and the self-update download.
#include "client/client_impl.h"
#include "files/file_sends.h"
#include "files/remote_files.h"
#include "os/path_text.h"
#include "update/update_download.h"
#include "update/version_check.h"
#include "vanta/self_update.h"

namespace vanta {

std::string Client::library_version() noexcept {
    try {
        return core::LibraryVersion();
    } catch (...) {
        return {};
    }
}

std::string Client::release_version() noexcept {
    try {
        return VANTA_RELEASE_VERSION;
    } catch (...) {
        return {};
    }
}

Result<VersionCheck> Client::check_version() const noexcept {
    return RunCore(*m_impl, core::kAskingVersion,
                   [&](const CallContext& context) -> Result<VersionCheck> {
                       const auto asked = core::AskServiceVersion(context);
                       if (!asked) {
                           return asked.error();
                       }
                       return VersionCheck{library_version(), ToString(asked.value().version),
                                           asked.value().matches};
                   });
}

Result<std::filesystem::path>
Client::download_update(const std::filesystem::path& directory) const noexcept {
    return RunCore(*m_impl, core::kDownloadingUpdate,
                   [&](const CallContext& context) -> Result<std::filesystem::path> {
                       const auto fetched =
                           core::DownloadUpdate(context, ToCString(PathText(directory)));
                       if (!fetched) {
                           return fetched.error();
                       }
                       return directory / kUpdateFileName;
                   });
}

Result<void> Client::send_file(const std::filesystem::path& local, std::string_view remote_dir,
                               std::string_view remote_name) const noexcept {
    return RunCore(*m_impl, core::kSendingFile, [&](const CallContext& context) {
        return core::SendFile(context, ToCString(remote_dir), ToCString(PathText(local)),
                              ToCString(remote_name));
    });
}

Result<void> Client::send_files(std::string_view remote_dir,
                                std::span<const std::filesystem::path> files) const noexcept {
    return RunCore(*m_impl, core::kSendingFiles, [&](const CallContext& context) {
        CStringArray paths;
        for (const std::filesystem::path& file : files) {
            paths.Add(ToCString(PathText(file)));
        }
        return core::SendFileSet(context, ToCString(remote_dir), paths);
    });
}

Result<bool> Client::file_exists(std::string_view sub_dir, std::string_view name) const noexcept {
    return RunCore(*m_impl, core::kLookingForFile, [&](const CallContext& context) {
        return core::FindRemoteFile(context, ToCString(sub_dir), ToCString(name));
    });
}

Result<void> Client::delete_file(std::string_view sub_dir, std::string_view name) const noexcept {
    return RunCore(*m_impl, core::kDeletingFile, [&](const CallContext& context) {
        return core::DeleteRemoteFile(context, ToCString(sub_dir), ToCString(name));
    });
}

Result<void> Client::remove_directory(std::string_view path) const noexcept {
    return RunCore(*m_impl, core::kRemovingDirectory, [&](const CallContext& context) {
        return core::RemoveRemoteDirectory(context, ToCString(path));
    });
}

} // namespace vanta
