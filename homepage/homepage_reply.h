// The reader of get_homepage.exe's reply, kept apart from the request so that the export and
// the fuzzers run one and the same parsing code.
#pragma once

#include "vanta/cstring.h"

// 1, or 0 when the first value is FAIL or NOROWS (left in `title`), as QDX_GetHomepageInfo.
unsigned int ReadHomepageReply(const CString& answer, CString& title, CString& heading,
                               CString& body, CString& theme, CString& replyText);
