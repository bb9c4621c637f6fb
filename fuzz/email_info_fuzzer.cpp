// The email info file's text, built from hostile recipients, subject, message, file names and
// SN text. Read back as the service's mailer reads it (lines split at LF, a CR before it
// dropped), it must hold exactly the lines the caller asked for: no value may add a line of its
// own (an extra "TO: " recipient, a second "FR: ").
#include "email/info_file.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <ranges>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Byte 0 chooses how many addresses (1 to 6), byte 1 how many file names (0 to 5); the
    // rest, split at 0x1E, fills the addresses, the subject, the message, the file names and
    // the SN text in that order (missing ones empty).
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t addressCount = size > 0 ? 1 + data[0] % 6 : 1;
    const size_t fileCount = size > 1 ? data[1] % 6 : 0;
    input.remove_prefix(std::min<size_t>(size, 2));
    const auto next = [&input]() {
        const size_t cut = input.find('\x1E');
        const CString piece(input.substr(0, cut));
        input.remove_prefix(cut == std::string_view::npos ? input.size() : cut + 1);
        return piece;
    };
    CStringArray addresses;
    CStringArray fileNames;
    for (size_t i = 0; i < addressCount; ++i) {
        addresses.Add(next());
    }
    const CString subject = next();
    const CString message = next();
    for (size_t i = 0; i < fileCount; ++i) {
        fileNames.Add(next());
    }
    const CString built = BuildEmailInfo(addresses, subject, message, fileNames, next());

    std::map<std::string, size_t> tags;
    const std::string_view text = built.view();
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        FUZZ_CHECK(end != std::string_view::npos && end >= start + 5 && text[end - 1] == '\r');
        const std::string_view line = text.substr(start, end - start - 1);
        const std::string tag(line.substr(0, 2));
        // One of the six tags, each at an even offset of the list.
        FUZZ_CHECK(line.substr(2, 2) == ": " &&
                   std::string_view("TOFRSUMSFLSN").find(tag) % 2 == 0);
        if (tag == "TO") { // the caller's address with its line breaks blanked, in order
            FUZZ_CHECK(1 + tags[tag] < static_cast<size_t>(addresses.GetSize()));
            std::string address = addresses.GetAt(static_cast<INT_PTR>(1 + tags[tag])).str();
            std::replace_if(
                address.begin(), address.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            FUZZ_CHECK(line.substr(4) == address);
        }
        ++tags[tag];
        start = end + 1;
    }
    // One "MS: " line per non-empty piece of the message cut at LF.
    const auto pieces = static_cast<size_t>(std::ranges::count_if(
        std::views::split(message.view(), '\n'), [](const auto& piece) { return !piece.empty(); }));
    FUZZ_CHECK(tags["TO"] == addressCount - 1 && tags["FR"] == 1 && tags["SU"] == 1 &&
               tags["MS"] == pieces && tags["FL"] == fileCount && tags["SN"] == 1);
    return 0;
}
