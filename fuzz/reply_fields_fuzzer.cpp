// The field readers every reply goes through. ReplyCursor remembers where the next "=" and "&"
// stand between fields; it must read exactly what NextReplyField, restarted on the rest of the
// reply for every field, reads, and both must follow the documented field rules: "=" and "&"
// are looked for independently, a field without "=" leaves the value as it was.
#include "fuzz_check.h"
#include "transport/reply_readers.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vanta::internal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CString reply(text);
    const size_t firstEquals = text.find('=');
    FUZZ_CHECK(ReplyValue(reply).view() ==
               (firstEquals == std::string_view::npos ? "" : text.substr(firstEquals + 1)));

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
        FUZZ_CHECK(fromCursor == fromRestart && cursor.Rest() == rest.view());

        // The value runs from the first "=" to the first "&" (to the end without one), and is
        // empty when the "&" comes first.
        const size_t equals = expectedRest.find('=');
        const size_t ampersand = expectedRest.find('&');
        FUZZ_CHECK(fromCursor.view() ==
                   (equals == std::string_view::npos
                        ? untouched.view()
                        : expectedRest.substr(equals + 1,
                                              ampersand > equals ? ampersand - equals - 1 : 0)));
        expectedRest = equals == std::string_view::npos || ampersand == std::string_view::npos
                           ? std::string_view()
                           : expectedRest.substr(ampersand + 1);
        FUZZ_CHECK(cursor.Rest() == expectedRest);
    }
    FUZZ_CHECK(expectedRest.empty());
    return 0;
}
