/// \file
/// User accounts on the service: login validation, registration, the user's record, deletion.
///
/// Each export is one request; a failure of the request itself gives 32 and leaves every
/// out-argument as it was; so does an HTTP status outside 200-299 and a reply longer than
/// 1 MiB. Reply values are read by position: a short reply leaves the out-arguments of the
/// missing fields as they were.
#pragma once

#include "vanta/cstring.h"
#include "vanta/export.h"
#include "vanta/status_callback.h"

/// Checks a login for a product. 1: valid; 2, 4, 6: valid, and the account has a homepage (2),
/// has published an asset under the product (4), or both (the service's two flags); 8192, 1024,
/// 9216: the service's status 1, 2 or 3 (wrong password, product not registered, both); 256: the
/// service refused; 32: channel, or a reply without any field (no "=": an empty reply, a plain-text
/// page).
VANTA_API unsigned int WINAPI QDX_ValidateUser(const CString& userId, const CString& password,
                                               const CString& productId, StatusCallback callback);

/// Removes the account. 1, or 256 when the service answered FAIL, or 32.
VANTA_API unsigned int WINAPI QDX_DeleteUser(const CString& userId, StatusCallback callback);

/// Registers an account, or a further product for a known account. The reply's first, third
/// and fourth values land in replyValue1, replyValue3 and replyValue4 (its first "*" turned
/// back into "&"). 65, 4097, 32769: registered as NEW, OLD, NEWAPP; 256: ERROR;
/// 8192: WRONG_PASSWORD; 0: no status or an unknown kind; 32: channel.
VANTA_API unsigned int WINAPI QDX_RegisterNewUser(
    const CString& cust, CString& replyValue3, const CString& first, const CString& last,
    const CString& addr, const CString& city, const CString& st, const CString& zip,
    const CString& email, const CString& day, CString& replyValue1, CString& postPassword,
    CString& productId, CString& replyValue4, const CString& ex, const CString& fax,
    const CString& night, const CString& mid, const CString& code, StatusCallback callback);

/// Reads the user's record: seventeen values, three of them numbers. 1; 256 when the first
/// value is QDX_FAIL and 2048 when it is NOROWS (text1 then holds that token and nothing else
/// is written); 32: channel. The numbers are always written on 1: a number the reply lacks
/// repeats the last numeric text read, 0 if none.
VANTA_API unsigned int WINAPI QDX_GetUserInfo(
    const CString& userId, CString& text1, CString& text2, CString& text3, CString& text4,
    CString& text5, CString& text6, CString& text7, CString& text8, long& number9, CString& text10,
    unsigned int& number11, CString& text12, CString& text13, CString& text14,
    unsigned int& number15, CString& text16, CString& text17, StatusCallback callback);

/// Writes the user's details back. 1, or 256 when the service answered FAIL, or 32.
VANTA_API unsigned int WINAPI QDX_UpdateUser(
    const CString& userId, const CString& password, const CString& first, const CString& last,
    const CString& addr, const CString& city, const CString& st, const CString& zip,
    const CString& email, const CString& day, const CString& ex, const CString& fax,
    const CString& night, const CString& mid, const CString& cc, StatusCallback callback);
