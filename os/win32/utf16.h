// Text at the boundary of the Win32 twin: the library's strings are UTF-8, the system's wide
// calls take and give UTF-16.
#pragma once

#include <string>
#include <string_view>

// `text` as UTF-16; false when it is not valid UTF-8 (such a name cannot be the one meant).
bool Widen(std::string_view text, std::wstring& wide);
// `wide` as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view wide);
