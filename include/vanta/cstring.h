/// \file
/// CString: the framework's 8-bit text string, as the exports take it.
///
/// Bytes in, bytes out: nothing is converted to or from Unicode, and NUL bytes inside the text
/// are kept (GetLength counts them; operator const char* stops at the first one, as C does).
#pragma once

#include "vanta/export.h"

#include <cstdarg>
#include <string>
#include <string_view>

/// An 8-bit text string with the framework's interface, on a std::string.
///
/// Positions and counts are `int`. Out-of-range positions given to Mid, Left and Right are
/// clamped to the text; GetAt and SetAt throw std::out_of_range.
class VANTA_API CString {
public:
    /// An empty string.
    CString() = default;
    /// A copy of the NUL-terminated `text`; null gives an empty string.
    CString(const char* text) : m_text(text ? text : "") {}
    /// The first `length` bytes of `text`, NUL bytes included; a length of 0 or less gives an
    /// empty string.
    CString(const char* text, int length) : m_text(text, length > 0 ? length : 0) {}
    /// `repeat` copies of `ch`.
    CString(char ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}
    /// Takes the bytes of a standard string.
    explicit CString(std::string text) : m_text(std::move(text)) {}
    /// Copies the bytes of a string view.
    explicit CString(std::string_view text) : m_text(text) {}

    /// The length in bytes, NUL bytes included.
    int GetLength() const { return static_cast<int>(m_text.size()); }
    /// True when the string has no byte.
    bool IsEmpty() const { return m_text.empty(); }
    /// Makes the string empty.
    void Empty() { m_text.clear(); }

    /// The text as a NUL-terminated C string, valid until the string changes.
    const char* GetString() const { return m_text.c_str(); }
    /// The same as GetString, so a CString can be passed where a C string is expected.
    operator const char*() const { return m_text.c_str(); }
    /// The byte at `index`.
    char GetAt(int index) const { return m_text.at(static_cast<size_t>(index)); }
    /// The same as GetAt.
    char operator[](int index) const { return GetAt(index); }
    /// Replaces the byte at `index`.
    void SetAt(int index, char ch) { m_text.at(static_cast<size_t>(index)) = ch; }

    /// Position of the first `ch` at or after `start`, or -1 (also for a `start` outside the
    /// text).
    int Find(char ch, int start = 0) const;
    /// Position of the first `sub` at or after `start`, or -1 (also for a null `sub`).
    int Find(const char* sub, int start = 0) const;
    /// Position of the last `ch`, or -1.
    int ReverseFind(char ch) const;

    /// The text from position `first` to the end.
    CString Mid(int first) const;
    /// At most `count` bytes from position `first` on.
    CString Mid(int first, int count) const;
    /// The first `count` bytes (all of them when the string is shorter).
    CString Left(int count) const;
    /// The last `count` bytes (all of them when the string is shorter).
    CString Right(int count) const;

    /// Replaces every `from` byte by `to`; returns how many were replaced.
    int Replace(char from, char to);
    /// Replaces every occurrence of `from` by `to`; returns how many were replaced.
    int Replace(const char* from, const char* to);

    /// Removes white space at the start; returns this string.
    CString& TrimLeft();
    /// Removes white space at the end; returns this string.
    CString& TrimRight();
    /// Removes white space at both ends; returns this string.
    CString& Trim();

    /// Replaces the text by printf-style formatting of the arguments.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    /// Format with a va_list.
    void FormatV(const char* format, va_list args) __attribute__((format(printf, 2, 0)));

    /// Replaces the text by a copy of `text` (null gives an empty string).
    CString& operator=(const char* text);
    /// Appends `other`, NUL bytes included.
    CString& operator+=(const CString& other);
    /// Appends the NUL-terminated `text`.
    CString& operator+=(const char* text);
    /// Appends one byte.
    CString& operator+=(char ch);
    /// Appends `length` bytes of `data`, NUL bytes included.
    CString& Append(const char* data, int length);

    /// Makes room for `length` bytes in all, allocated exactly: a caller who knows the final
    /// size holds no more than that (the text is moved once when it grows).
    void Preallocate(int length);
    /// The number of bytes the string can hold before it must grow.
    int GetAllocLength() const { return static_cast<int>(m_text.capacity()); }

    /// The concatenation of `a` and `b`.
    friend VANTA_API CString operator+(const CString& a, const CString& b);
    /// The concatenation of `a` and the C string `b`.
    friend VANTA_API CString operator+(const CString& a, const char* b);
    /// The concatenation of the C string `a` and `b`.
    friend VANTA_API CString operator+(const char* a, const CString& b);
    /// `a` with the byte `b` appended.
    friend VANTA_API CString operator+(const CString& a, char b);

    /// True when both hold the same bytes.
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    /// True when `a` holds exactly the C string `b` (null compares as empty).
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    /// Byte-wise order, so CString can key an ordered container.
    friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }

    /// The same bytes as a standard string, for code outside the framework's world.
    const std::string& str() const { return m_text; }
    /// The same bytes as a string view, valid until the string changes.
    std::string_view view() const { return m_text; }

private:
    std::string m_text;
};
