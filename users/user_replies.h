// Readers of the user programs' replies, kept apart from the requests so that the operations
// and the fuzzers run one and the same parsing code. Each returns the export's result code;
// the records follow the export's rules for short replies.
#pragma once

#include "users/user_operations.h"
#include "vanta/cstring.h"

// validate_user.exe: 1, 2, 4, 6, 8192, 1024, 9216, 256, or 32 for a reply without any field,
// as QDX_ValidateUser.
unsigned int ReadValidationReply(const CString& answer);

// create_user.exe: 65, 4097, 32769, 256, 8192 or 0, as QDX_RegisterNewUser.
unsigned int ReadRegistrationReply(const CString& answer, core::RegistrationReply& reply);

// get_user_info.exe: 1, 256 or 2048, as QDX_GetUserInfo.
unsigned int ReadUserInfoReply(const CString& answer, core::UserRecord& record);
