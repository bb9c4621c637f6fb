/// \file
/// Result codes of the exports.
///
/// Callers compare exact values: the same bit means different things in different exports, and
/// the bare numbers are the contract. The names below are conveniences beside them.
///
/// \verbatim
///   0      RegisterNewUser: empty first value or unknown kind; DeleteAsset: FAIL; UploadAsset,
///          Email: the worker could not be set running; Email: FAIL; GetDiskSpace: reply holds
///          no "=" or no "&"; GetServerVersion: versions differ; homepage exports: any
///          failure; CancelUpload: nothing active or the worker did not end in time; workers:
///          no job, or their last request was answered FAIL
///   1      success (GetServerVersion: versions equal; CancelUpload: the job was discarded)
///   2/4/6  ValidateUser: valid, and the account has a homepage / has published under the
///          product / both
///   8      Email: info file not written; workers: a local file could not be opened or measured
///   16     UploadAsset, Email: a job is still running; FTP exports: network failure; upload
///          worker: the transfer failed
///   32     every export that posts a request (but the homepage ones): the channel failed
///   65     RegisterNewUser: kind "NEW"
///   128    upload worker: not enough space left on the service
///   256    FAIL (ValidateUser, DeleteUser, UpdateUser, GetAssetInfo, GetAssetList,
///          GetAssetStats), ERROR (RegisterNewUser), QDX_FAIL (GetUserInfo); upload worker:
///          asset creation answered FAIL
///   259    GetAssetUploadStatus called inside the job's own status callback: the job still
///          runs
///   1024   ValidateUser: status 2; FTPDeleteFile: directory or file not found
///   2048   NOROWS (GetUserInfo, GetAssetList, GetAssetStats)
///   4097   RegisterNewUser: kind "OLD"
///   8192   ValidateUser: status 1; RegisterNewUser: WRONG_PASSWORD
///   9216   ValidateUser: status 3
///   16384  multi-file FTPFile and the workers: cancelled; GetAssetUploadStatus: no job
///   32769  RegisterNewUser: kind "NEWAPP"
/// \endverbatim
#pragma once

/// Names for the result codes, beside the numbers that are the contract.
///
/// The names directly in vanta::result are the ones every export means alike (kSuccess,
/// kChannelFailure, ...) or that name the number's commonest meaning. Where one number means
/// different things in different exports, or an export has outcomes of its own, the export's
/// own namespace names them by meaning (validate_user::kWrongPassword,
/// register_user::kAlreadyRegistered, ftp::kNotFound, ...); each is the same number as in the
/// table above.
namespace vanta::result {
/// 0: the export's plain failure (see the table)
inline constexpr unsigned int kZero = 0;
/// 1: success
inline constexpr unsigned int kSuccess = 1;
/// 2: QDX_ValidateUser: valid login, the account has a homepage
inline constexpr unsigned int kValidHasHomepage = 2;
/// 4: QDX_ValidateUser: valid login, the account has published under the product
inline constexpr unsigned int kValidPublished = 4;
/// 6: QDX_ValidateUser: valid login, both of the above
inline constexpr unsigned int kValidPublishedAndHomepage = 6;
/// 8: a local file could not be opened, measured or written
inline constexpr unsigned int kLocalFileError = 8;
/// 16: a job is still running; FTP exports: network failure
inline constexpr unsigned int kBusyOrFtpError = 16;
/// 32: the request channel failed (no connection, a time-out, a broken reply)
inline constexpr unsigned int kChannelFailure = 32;
/// 65: QDX_RegisterNewUser: a new account
inline constexpr unsigned int kRegisteredNew = 65;
/// 128: upload worker: not enough space left on the service
inline constexpr unsigned int kNoSpace = 128;
/// 256: the service answered FAIL, ERROR or QDX_FAIL
inline constexpr unsigned int kServiceFail = 256;
/// 259: QDX_GetAssetUploadStatus inside the job's own status callback: the job still runs
inline constexpr unsigned int kStillRunning = 259;
/// 1024: QDX_ValidateUser: product not registered; QDX_FTPDeleteFile: not found
inline constexpr unsigned int kNotFound = 1024;
/// 2048: the service answered NOROWS (nothing recorded)
inline constexpr unsigned int kNoRows = 2048;
/// 4097: QDX_RegisterNewUser: known account, product already registered
inline constexpr unsigned int kRegisteredOld = 4097;
/// 16384: cancelled; QDX_GetAssetUploadStatus: no job
inline constexpr unsigned int kCancelled = 16384;
/// 16384: QDX_GetAssetUploadStatus without a job (the same number as kCancelled)
inline constexpr unsigned int kNoJob = kCancelled;
/// 32769: QDX_RegisterNewUser: known account, a further product
inline constexpr unsigned int kRegisteredNewApp = 32769;

/// QDX_ValidateUser's outcomes. The service's status value refuses a login (1, 2, 3); with
/// status 0 its two flags give the valid codes.
namespace validate_user {
/// 1: valid login, neither flag set
inline constexpr unsigned int kValid = kSuccess;
/// 2: valid login, the account has a homepage
inline constexpr unsigned int kValidHasHomepage = result::kValidHasHomepage;
/// 4: valid login, the account has published under the product
inline constexpr unsigned int kValidPublished = result::kValidPublished;
/// 6: valid login, both of the above
inline constexpr unsigned int kValidPublishedAndHomepage = result::kValidPublishedAndHomepage;
/// 32: the request channel failed, or the reply holds no field
inline constexpr unsigned int kChannelFailure = result::kChannelFailure;
/// 256: the service answered FAIL: it knows no such user
inline constexpr unsigned int kUnknownUser = kServiceFail;
/// 1024: the login is right but the product is not the account's (status 2)
inline constexpr unsigned int kProductNotRegistered = result::kNotFound;
/// 8192: the password does not match the account (status 1)
inline constexpr unsigned int kWrongPassword = 8192;
/// 9216: a wrong password and a product that is not the account's (status 3)
inline constexpr unsigned int kWrongPasswordAndNotRegistered = 9216;
} // namespace validate_user

/// QDX_RegisterNewUser's outcomes: the kind of registration the service reports, or why it
/// refused.
namespace register_user {
/// 0: the reply's first value is empty or names no known kind
inline constexpr unsigned int kUnknownReply = kZero;
/// 32: the request channel failed
inline constexpr unsigned int kChannelFailure = result::kChannelFailure;
/// 65: a new account was created (kind "NEW")
inline constexpr unsigned int kNewAccount = kRegisteredNew;
/// 256: the service answered ERROR: the details cannot be used
inline constexpr unsigned int kRefused = kServiceFail;
/// 4097: the account and the product were both known (kind "OLD")
inline constexpr unsigned int kAlreadyRegistered = kRegisteredOld;
/// 8192: the account exists with another password (WRONG_PASSWORD)
inline constexpr unsigned int kWrongPassword = validate_user::kWrongPassword;
/// 32769: a known account registered a further product (kind "NEWAPP")
inline constexpr unsigned int kNewProduct = kRegisteredNewApp;
} // namespace register_user

/// The FTP exports' outcomes (QDX_FTPFile, QDX_CheckFile, QDX_FTPDeleteFile,
/// QDX_FTPRemoveDir).
namespace ftp {
/// 16: the connection, the login or the command failed
inline constexpr unsigned int kNetworkFailure = kBusyOrFtpError;
/// 1024: QDX_FTPDeleteFile: the directory or the file does not exist
inline constexpr unsigned int kNotFound = result::kNotFound;
/// 16384: the multi-file QDX_FTPFile was cancelled
inline constexpr unsigned int kCancelled = result::kCancelled;
} // namespace ftp

/// The outcomes of starting a job (QDX_UploadAsset, QDX_Email).
namespace job_start {
/// 0: the worker could not be set running
inline constexpr unsigned int kNotStarted = kZero;
/// 16: a job is still running; only one runs at a time
inline constexpr unsigned int kBusy = kBusyOrFtpError;
} // namespace job_start

/// 8192: the former name of validate_user::kWrongPassword and register_user::kWrongPassword
[[deprecated(
    "use validate_user::kWrongPassword or "
    "register_user::kWrongPassword")]] inline constexpr unsigned int kStatus1OrWrongPassword =
    validate_user::kWrongPassword;
/// 9216: the former name of validate_user::kWrongPasswordAndNotRegistered
[[deprecated(
    "use validate_user::kWrongPasswordAndNotRegistered")]] inline constexpr unsigned int kStatus3 =
    validate_user::kWrongPasswordAndNotRegistered;
} // namespace vanta::result
