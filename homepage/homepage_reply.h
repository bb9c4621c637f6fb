// The reader of get_homepage.exe's reply, kept apart from the request so that the operation
// and the fuzzers run one and the same parsing code.
#pragma once

#include "homepage/homepage_operations.h"
#include "vanta/cstring.h"

// 1, or 0 when the first value is FAIL or NOROWS (left in `page.title`), as
// QDX_GetHomepageInfo.
unsigned int ReadHomepageReply(const CString& answer, core::HomepageRecord& page);
