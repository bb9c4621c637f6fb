// CString: the framework's 8-bit text string, as the exports take it.
//
// Bytes in, bytes out: nothing is converted to or from Unicode, and NUL bytes inside the text
// are kept (GetLength counts them; operator const char* stops at the first one, as C does).
#pragma once

#include "vanta/export.h"

#include <cstdarg>
#include <string>
#include <string_view>

class VANTA_API CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text, length > 0 ? length : 0) {}
    CString(char ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}
    explicit CString(std::string text) : m_text(std::move(text)) {}
    explicit CString(std::string_view text) : m_text(text) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    const char* GetString() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    char GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }
    char operator[](int index) const { return GetAt(index); }
    void SetAt(int index, char ch) { m_text.at(static_cast<size_t>(index)) = ch; }

    // Position of the first match at or after `start`, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    // Replaces every occurrence; returns how many were replaced.
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);

    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim();

    // printf-style formatting into this string.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);

    CString& operator=(const char* text);
    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);
    // Appends `length` bytes of `data`, NUL bytes included.
    CString& Append(const char* data, int length);

    friend VANTA_API CString operator+(const CString& a, const CString& b);
    friend VANTA_API CString operator+(const CString& a, const char* b);
    friend VANTA_API CString operator+(const char* a, const CString& b);
    friend VANTA_API CString operator+(const CString& a, char b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

    // The same bytes as a standard string, for code outside the framework's world.
    const std::string& str() const { return m_text; }
    std::string_view view() const { return m_text; }

private:
    std::string m_text;
};
