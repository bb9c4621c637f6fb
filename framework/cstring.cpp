#include "vanta/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Clamps a (first, count) pair to the string, as the framework does for Mid/Left/Right.
std::string Slice(const std::string& text, int first, int count) {
    const int length = static_cast<int>(text.size());
    first = std::clamp(first, 0, length);
    count = std::clamp(count, 0, length - first);
    return text.substr(static_cast<size_t>(first), static_cast<size_t>(count));
}
} // namespace

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= GetLength()) {
        return -1;
    }
    const size_t at = m_text.find(ch, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const {
    if (sub == nullptr || start < 0 || start > GetLength()) {
        return -1;
    }
    const size_t at = m_text.find(sub, static_cast<size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const {
    const size_t at = m_text.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

CString CString::Mid(int first) const {
    return CString(Slice(m_text, first, GetLength()));
}

CString CString::Mid(int first, int count) const {
    return CString(Slice(m_text, first, count));
}

CString CString::Left(int count) const {
    return CString(Slice(m_text, 0, count));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(Slice(m_text, GetLength() - count, count));
}

int CString::Replace(char from, char to) {
    int replaced = 0;
    for (char& ch : m_text) {
        if (ch == from) {
            ch = to;
            ++replaced;
        }
    }
    return replaced;
}

int CString::Replace(const char* from, const char* to) {
    const size_t fromLength = from ? std::strlen(from) : 0;
    if (fromLength == 0) {
        return 0;
    }
    const std::string replacement = to ? to : "";
    std::string result;
    int replaced = 0;
    size_t pos = 0;
    for (size_t at; (at = m_text.find(from, pos, fromLength)) != std::string::npos;) {
        result.append(m_text, pos, at - pos).append(replacement);
        pos = at + fromLength;
        ++replaced;
    }
    result.append(m_text, pos, std::string::npos);
    m_text = std::move(result);
    return replaced;
}

CString& CString::TrimLeft() {
    const auto first = std::find_if_not(m_text.begin(), m_text.end(), IsBlank);
    m_text.erase(m_text.begin(), first);
    return *this;
}

CString& CString::TrimRight() {
    const auto last = std::find_if_not(m_text.rbegin(), m_text.rend(), IsBlank);
    m_text.erase(last.base(), m_text.end());
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {
        m_text.clear();
        return;
    }
    std::string result(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(result.data(), result.size(), format, args);
    result.resize(static_cast<size_t>(needed));
    m_text = std::move(result);
}

CString& CString::operator=(const char* text) {
    m_text = text ? text : "";
    return *this;
}

CString& CString::operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text) {
        m_text += text;
    }
    return *this;
}

CString& CString::operator+=(char ch) {
    m_text += ch;
    return *this;
}

CString& CString::Append(const char* data, int length) {
    if (data != nullptr && length > 0) {
        m_text.append(data, static_cast<size_t>(length));
    }
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    return CString(a.m_text + b.m_text);
}

CString operator+(const CString& a, const char* b) {
    return CString(a.m_text + (b ? b : ""));
}

CString operator+(const char* a, const CString& b) {
    return CString((a ? a : "") + b.m_text);
}

CString operator+(const CString& a, char b) {
    return CString(a.m_text + b);
}

void CString::Preallocate(int length) {
    if (length <= GetAllocLength()) {
        return;
    }
    // The standard string's own reserve may double instead; a fresh string reserves exactly.
    std::string grown;
    grown.reserve(static_cast<size_t>(length));
    grown.append(m_text);
    m_text.swap(grown);
}
