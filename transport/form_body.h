// Builder of the form bodies that every operation posts.
//
// Field names are wire format and go out byte for byte as the operation gives them, the
// joining "&" and the "=" included ("&prodcut_id=", "&asset_num =" and other odd spellings
// are what the service expects). Values are made safe: "%", "&", "=", "+", control bytes and
// DEL are percent-encoded, so a value can neither end its field early nor add fields of its
// own, and decodes back to the caller's bytes. Every other byte, the space included, is sent
// as it stands.
#pragma once

#include "vanta/cstring.h"

namespace vanta::internal {

class FormBody {
public:
    // Appends `prefix` (e.g. "user_id=" or "&PW=") and the encoded `value`.
    FormBody& Add(const char* prefix, const CString& value);
    // Appends `prefix` and `number` in decimal ("%d").
    FormBody& AddInt(const char* prefix, int number);
    // Appends `prefix` and `number` in decimal ("%u").
    FormBody& AddUnsigned(const char* prefix, unsigned int number);
    // Appends `prefix` and a 64-bit byte count in decimal.
    FormBody& AddSize(const char* prefix, unsigned long long number);
    // Appends text that is already wire format (a field name, or a value that holds no byte
    // needing encoding).
    FormBody& AddRaw(const char* text);

    const CString& Text() const { return m_text; }
    operator const CString&() const { return m_text; }

private:
    CString m_text;
};

// The encoding applied to values, on its own.
CString EncodeFormValue(const CString& value);

} // namespace vanta::internal
