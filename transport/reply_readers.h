// Readers of the service's replies: `name=value&name=value...`, read strictly by position.
// Field names are never looked at; values are not decoded.
#pragma once

#include "vanta/cstring.h"

#include <string_view>

namespace vanta::internal {

// Everything after the first "=" of `text` (later "&" and "=" included), or empty when there
// is no "=".
CString ReplyValue(const CString& text);

// Reads the first field of `rest`. The first "=" and the first "&" are searched independently:
//   no "="            -> returns empty, `value` unchanged;
//   "=" but no "&"    -> `value` = all after the "=", returns empty;
//   both              -> `value` = what stands between them (empty when the "&" comes first),
//                        returns all after the "&".
// A trailing line feed stays part of the last value.
CString NextReplyField(const CString& rest, CString& value);

// NextReplyField over a whole reply without copying the remaining text for every field, for
// operations that read many fields (lists): linear in the reply's length.
class ReplyCursor {
public:
    explicit ReplyCursor(const CString& reply) : m_text(reply.view()) {}

    // The same rules as NextReplyField applied to Rest(); advances past the field.
    void Next(CString& value);
    bool AtEnd() const { return m_pos >= m_text.size(); }
    std::string_view Rest() const { return m_text.substr(m_pos); }

private:
    // Position of the first `ch` at or after m_pos, or npos; remembered between calls, since
    // the first match stays the first until the cursor passes it.
    size_t FirstFrom(char ch, size_t& cached);

    std::string_view m_text;
    size_t m_pos = 0;
    size_t m_nextEquals = 0;
    size_t m_nextAmpersand = 0;
    bool m_equalsKnown = false;
    bool m_ampersandKnown = false;
};

} // namespace vanta::internal
