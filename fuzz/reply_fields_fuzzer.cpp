// The field readers every reply goes through. ReplyCursor remembers where the next "=" and "&"
// stand between fields; it must read exactly what NextReplyField, restarted on the rest of the
// reply for every field, reads, and both must follow the documented field rules.
#include "fuzz_check.h"
#include "transport/reply_readers.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vanta::internal;

namespace {
// The documented rules for one field of `rest`: "=" and "&" are looked for independently.
// Returns false when there is no "=" (the value stays as it was).
bool ExpectedField(std::string_view& rest, std::string_view& value) {
    const size_t equals = rest.find('=');
    if (equals == std::string_view::npos) {
        rest = {};
        return false;
    }
    const size_t ampersand = rest.find('&');
    if (ampersand == std::string_view::npos) {
        value = rest.substr(equals + 1);
        rest = {};
        return true;
    }
    value = ampersand > equals ? rest.substr(equals + 1, ampersand - equals - 1) : "";
    rest = rest.substr(ampersand + 1);
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CString reply(text);

    const size_t equals = text.find('=');
    FUZZ_CHECK(ReplyValue(reply).view() ==
               (equals == std::string_view::npos ? "" : text.substr(equals + 1)));

    ReplyCursor cursor(reply);
    CString rest = reply;
    std::string_view expectedRest = text;
    // A marker the reply cannot produce, to see whether a field left the value alone.
    const CString untouched("\x01untouched\x02");
    while (!cursor.AtEnd()) {
        CString fromCursor = untouched;
        CString fromRestart = untouched;
        cursor.Next(fromCursor);
        rest = NextReplyField(rest, fromRestart);
        std::string_view expected;
        const bool hasValue = ExpectedField(expectedRest, expected);

        FUZZ_CHECK(fromCursor == fromRestart);
        FUZZ_CHECK(hasValue ? fromCursor.view() == expected : fromCursor == untouched);
        FUZZ_CHECK(cursor.Rest() == rest.view());
        FUZZ_CHECK(cursor.Rest() == expectedRest);
    }
    FUZZ_CHECK(expectedRest.empty());
    return 0;
}
