#include "email/mail_address.h"

#include "os/failure_reason.h"

#include <string>
#include <string_view>

bool IsPlausibleMailAddress(const CString& address) {
    std::string_view text = address.view();
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) {
            return false;
        }
    }
    const size_t at = text.find('@');
    return at != std::string_view::npos && at > 0 && at + 1 < text.size() &&
           text.find('@', at + 1) == std::string_view::npos;
}

bool AllPlausibleMailAddresses(const CStringArray& addresses) {
    for (INT_PTR i = 0; i < addresses.GetSize(); ++i) {
        if (!IsPlausibleMailAddress(addresses.GetAt(i))) {
            SetFailureReason("refused the malformed mail address \"" + addresses.GetAt(i).str() +
                             "\" before anything was sent");
            return false;
        }
    }
    return true;
}
