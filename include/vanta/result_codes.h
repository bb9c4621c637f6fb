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
/// 8192: wrong password
inline constexpr unsigned int kStatus1OrWrongPassword = 8192;
/// 9216: QDX_ValidateUser: wrong password and product not registered
inline constexpr unsigned int kStatus3 = 9216;
/// 16384: cancelled; QDX_GetAssetUploadStatus: no job
inline constexpr unsigned int kCancelled = 16384;
/// 16384: QDX_GetAssetUploadStatus without a job (the same number as kCancelled)
inline constexpr unsigned int kNoJob = kCancelled;
/// 32769: QDX_RegisterNewUser: known account, a further product
inline constexpr unsigned int kRegisteredNewApp = 32769;
} // namespace vanta::result
