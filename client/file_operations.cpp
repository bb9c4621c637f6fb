// FTP files on the service host, the version check and the self-update download.
#include "client/client_impl.h"
#include "files/remote_files.h"
#include "os/failure_reason.h"
#include "vanta/ftp.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"
#include "vanta/upload.h"
#include "vanta/versions.h"

namespace vanta {
using namespace vanta::result;

namespace {
// The FTP exports give one code for a lost connection, a refused login or command and an
// unreadable local file; the failure's recorded kind tells them apart.
Error FtpFailure(unsigned int code, std::string_view doing) {
    switch (LastFailureKind()) {
    case FailureKind::Refused:
        return FailedWith(ErrorCategory::refused, code, doing, "the FTP server refused");
    case FailureKind::LocalFile:
        return FailedWith(ErrorCategory::local_file, code, doing,
                          "a local file could not be read or written");
    default:
        return FailedWith(ErrorCategory::network, code, doing, "the FTP session failed");
    }
}
} // namespace

std::string Client::library_version() noexcept {
    try {
        return ToString(QDX_GetDllVersion());
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
    constexpr std::string_view doing = "asking for the service's version";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<VersionCheck> {
        CString version;
        const unsigned int code = QDX_GetServerVersion(version, scope.Callback());
        if (code != kSuccess && code != kZero) {
            return FailedWith(ErrorCategory::network, code, doing, "the request failed");
        }
        return VersionCheck{library_version(), ToString(version), code == kSuccess};
    });
}

Result<std::filesystem::path>
Client::download_update(const std::filesystem::path& directory) const noexcept {
    constexpr std::string_view doing = "downloading the library update";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<std::filesystem::path> {
        const unsigned int code = QDX_DownloadDll(ToCString(directory.native()), scope.Callback());
        if (code != kSuccess) {
            return FtpFailure(code, doing);
        }
        return directory / "VantaAPI.dll";
    });
}

Result<void> Client::send_file(const std::filesystem::path& local, std::string_view remote_dir,
                               std::string_view remote_name) const noexcept {
    constexpr std::string_view doing = "sending a file";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        if (QDX_FTPFile(ToCString(remote_dir), ToCString(local.native()), ToCString(remote_name),
                        scope.Callback())) {
            return {};
        }
        return FtpFailure(kZero, doing);
    });
}

Result<void> Client::send_files(std::string_view remote_dir,
                                std::span<const std::filesystem::path> files) const noexcept {
    constexpr std::string_view doing = "sending files";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        CStringArray paths;
        for (const std::filesystem::path& file : files) {
            paths.Add(ToCString(file.native()));
        }
        const unsigned int code = QDX_FTPFile(ToCString(remote_dir), paths, scope.Callback());
        if (code != kSuccess) {
            return FtpFailure(code, doing);
        }
        return {};
    });
}

Result<bool> Client::file_exists(std::string_view sub_dir, std::string_view name) const noexcept {
    constexpr std::string_view doing = "looking for a file";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<bool> {
        int found = 0;
        const unsigned int code =
            QDX_CheckFile(ToCString(sub_dir), ToCString(name), found, scope.Callback());
        if (code != kSuccess) {
            return FtpFailure(code, doing);
        }
        return found == 1;
    });
}

Result<void> Client::delete_file(std::string_view sub_dir, std::string_view name) const noexcept {
    constexpr std::string_view doing = "deleting a file";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code =
            QDX_FTPDeleteFile(ToCString(sub_dir), ToCString(name), scope.Callback());
        if (code == kSuccess) {
            return {};
        }
        if (code == kNotFound) {
            return FailedWith(ErrorCategory::not_found, code, doing,
                              "no such file, or the host refused to delete it");
        }
        return FtpFailure(code, doing);
    });
}

Result<void> Client::remove_directory(std::string_view path) const noexcept {
    constexpr std::string_view doing = "removing a directory";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<void> {
        const unsigned int code = RemoveRemoteDirectory(ToCString(path), scope.Callback());
        if (code == kSuccess) {
            return {};
        }
        if (code == kServiceFail) {
            // The export gives 16 for this too.
            return FailedWith(ErrorCategory::refused, kBusyOrFtpError, doing,
                              "the host refused (missing or not empty)");
        }
        return FtpFailure(code, doing);
    });
}

} // namespace vanta
