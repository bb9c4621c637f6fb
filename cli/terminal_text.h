// Text from the service shown on a terminal: escape sequences in a stored name must not
// reach the terminal as commands, a value must not start lines of its own, and a name must
// not reorder what the terminal shows around it.
#pragma once

#include <string>
#include <string_view>

// Whether line feeds pass. Escaped where one line must stay one line (a "name: value" line,
// the failure line, a trace line): a value holding "\nuser_number: 999" would otherwise print
// a line that reads as a field of the record. Kept where the text is shown as it came (the
// reply of `vanta request`).
enum class LineFeeds { kEscape, kKeep };

// `text` with every control character except tab (and line feed when kept), DEL, the C1
// controls and every byte that is not part of well-formed UTF-8 written as \xNN (upper-case
// hex); the bidirectional controls (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069)
// and, unless line feeds are kept, the line and paragraph separators U+2028 and U+2029 written
// as \uNNNN. Printable ASCII and other well-formed UTF-8 pass unchanged.
std::string EscapeForTerminal(std::string_view text, LineFeeds lineFeeds = LineFeeds::kEscape);
