// The CGI programs of the service host, by path, and the service's FTP tree. Each operation
// names its program or directory here.
#pragma once

namespace endpoint {
inline constexpr const char* kValidateUser = "/cgiscripts/validate_user.exe";
inline constexpr const char* kDeleteUser = "/cgiscripts/delete_user.exe";
inline constexpr const char* kCreateUser = "/cgiscripts/create_user.exe";
inline constexpr const char* kGetUserInfo = "/cgiscripts/get_user_info.exe";
inline constexpr const char* kUpdateUser = "/cgiscripts/update_user.exe";
inline constexpr const char* kGetAsset = "/cgiscripts/get_asset.exe";
inline constexpr const char* kGetStats = "/cgiscripts/get_stats.exe";
inline constexpr const char* kCreateAsset = "/cgiscripts/create_asset.exe";
inline constexpr const char* kDeleteAsset = "/cgiscripts/delete_asset.exe";
inline constexpr const char* kGetDiskSpace = "/cgiscripts/get_disk_space.exe";
inline constexpr const char* kSmtpMail = "/cgiscripts/smtp_mail.exe";
inline constexpr const char* kGetUnique = "/cgiscripts/get_unique.exe";
inline constexpr const char* kFireEmails = "/cgiscripts/fire_emails.exe";
inline constexpr const char* kGetHomepage = "/cgiscripts/get_homepage.exe";
inline constexpr const char* kUpdateHomepage = "/cgiscripts/update_homepage.exe";
inline constexpr const char* kDeleteHomepage = "/cgiscripts/delete_homepage.exe";
inline constexpr const char* kGetVersion = "/cgiscripts/get_version.exe";

// FTP: asset and sharing directories lie below this root; the library file offered for
// self-update lies in the downloads directory.
inline constexpr const char* kAssetsRoot = "/assets/";
inline constexpr const char* kDownloadsDir = "/downloads";
} // namespace endpoint
