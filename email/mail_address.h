// Which mail addresses a share accepts, checked before anything is requested or sent.
#pragma once

#include "vanta/collections.h"
#include "vanta/cstring.h"

// True when `address` can be a mail address: blanks at either end aside, exactly one '@' with
// at least one byte on each side, and no blank or control byte anywhere in between. The rule
// is deliberately loose: it refuses only what no mail system delivers (so that a typo fails
// at once instead of after every file was sent), and leaves finer judgement, non-ASCII
// addresses included, to the service.
bool IsPlausibleMailAddress(const CString& address);

// True when every entry of `addresses` is plausible; records the first that is not as the
// failure reason.
bool AllPlausibleMailAddresses(const CStringArray& addresses);
