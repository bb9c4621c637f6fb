#include "transport/reply_readers.h"

namespace vanta::internal {

CString ReplyValue(const CString& text) {
    const int equals = text.Find('=');
    if (equals < 0) {
        return CString();
    }
    return text.Mid(equals + 1);
}

CString NextReplyField(const CString& rest, CString& value) {
    ReplyCursor cursor(rest);
    cursor.Next(value);
    return CString(cursor.Rest());
}

size_t ReplyCursor::FirstFrom(char ch, size_t& cached) {
    bool& known = ch == '=' ? m_equalsKnown : m_ampersandKnown;
    if (!known || (cached != std::string_view::npos && cached < m_pos)) {
        cached = m_text.find(ch, m_pos);
        known = true;
    }
    return cached;
}

void ReplyCursor::Next(CString& value) {
    if (AtEnd()) {
        return;
    }
    const size_t equals = FirstFrom('=', m_nextEquals);
    if (equals == std::string_view::npos) {
        m_pos = m_text.size();
        return;
    }
    const size_t ampersand = FirstFrom('&', m_nextAmpersand);
    if (ampersand == std::string_view::npos) {
        value = CString(m_text.substr(equals + 1));
        m_pos = m_text.size();
        return;
    }
    value =
        ampersand > equals ? CString(m_text.substr(equals + 1, ampersand - equals - 1)) : CString();
    m_pos = ampersand + 1;
}

} // namespace vanta::internal
