// Readers of the user programs' replies, kept apart from the requests so that the exports and
// the fuzzers run one and the same parsing code. Each returns the export's result code; the
// out-arguments follow the export's rules for short replies.
#pragma once

#include "vanta/cstring.h"

// validate_user.exe: 1, 2, 4, 6, 8192, 1024, 9216, 256, or 32 for a reply without any field,
// as QDX_ValidateUser.
unsigned int ReadValidationReply(const CString& answer);

// create_user.exe: 65, 4097, 32769, 256, 8192 or 0, as QDX_RegisterNewUser.
unsigned int ReadRegistrationReply(const CString& answer, CString& replyValue1,
                                   CString& replyValue3, CString& replyValue4);

// get_user_info.exe: 1, 256 or 2048, as QDX_GetUserInfo.
unsigned int ReadUserInfoReply(const CString& answer, CString& text1, CString& text2,
                               CString& text3, CString& text4, CString& text5, CString& text6,
                               CString& text7, CString& text8, long& number9, CString& text10,
                               unsigned int& number11, CString& text12, CString& text13,
                               CString& text14, unsigned int& number15, CString& text16,
                               CString& text17);
