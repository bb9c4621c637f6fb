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
#include <string>
#include <string_view>
#include <vector>

namespace {
// Cuts the input into the request's texts: byte 0 chooses how many addresses (1 to 6),
// byte 1 how many file names (0 to 5); the rest, split at 0x1E, fills the addresses, the
// subject, the message, the file names and the SN text in that order (missing ones empty).
struct Request {
    CStringArray addresses;
    CString subject;
    CString message;
    CStringArray fileNames;
    CString snText;
};

Request Split(std::string_view input) {
    const size_t addressCount = input.size() > 0 ? 1 + static_cast<uint8_t>(input[0]) % 6 : 1;
    const size_t fileCount = input.size() > 1 ? static_cast<uint8_t>(input[1]) % 6 : 0;
    input.remove_prefix(std::min<size_t>(input.size(), 2));
    auto next = [&input]() {
        const size_t cut = input.find('\x1E');
        const CString piece(input.substr(0, cut));
        input.remove_prefix(cut == std::string_view::npos ? input.size() : cut + 1);
        return piece;
    };
    Request request;
    for (size_t i = 0; i < addressCount; ++i) {
        request.addresses.Add(next());
    }
    request.subject = next();
    request.message = next();
    for (size_t i = 0; i < fileCount; ++i) {
        request.fileNames.Add(next());
    }
    request.snText = next();
    return request;
}

size_t MessagePieces(std::string_view message) {
    size_t pieces = 0;
    size_t start = 0;
    while (start <= message.size()) {
        size_t end = message.find('\n', start);
        end = end == std::string_view::npos ? message.size() : end;
        pieces += end > start ? 1 : 0;
        start = end + 1;
    }
    return pieces;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Request request = Split(std::string_view(reinterpret_cast<const char*>(data), size));
    const CString built = BuildEmailInfo(request.addresses, request.subject, request.message,
                                         request.fileNames, request.snText);
    const std::string_view text = built.view();
    FUZZ_CHECK(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n");

    std::map<std::string, size_t> tags;
    std::vector<std::string_view> recipients;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        FUZZ_CHECK(end != std::string_view::npos && end > start && text[end - 1] == '\r');
        const std::string_view line = text.substr(start, end - start);
        FUZZ_CHECK(line.size() >= 4 && line.substr(2, 2) == ": ");
        const std::string tag(line.substr(0, 2));
        ++tags[tag];
        if (tag == "TO") {
            recipients.push_back(line.substr(4, line.size() - 5));
        }
        start = end + 1;
    }
    const size_t expectedLines = request.addresses.GetSize() - 1 + 3 +
                                 MessagePieces(request.message.view()) +
                                 request.fileNames.GetSize();
    size_t lines = 0;
    for (const auto& [tag, count] : tags) {
        FUZZ_CHECK(tag == "TO" || tag == "FR" || tag == "SU" || tag == "MS" || tag == "FL" ||
                   tag == "SN");
        lines += count;
    }
    FUZZ_CHECK(lines == expectedLines);
    FUZZ_CHECK(tags["FR"] == 1 && tags["SU"] == 1 && tags["SN"] == 1);
    FUZZ_CHECK(tags["TO"] == static_cast<size_t>(request.addresses.GetSize() - 1));
    FUZZ_CHECK(tags["FL"] == static_cast<size_t>(request.fileNames.GetSize()));
    // Each recipient is the caller's address with its line breaks blanked, in order.
    for (size_t i = 0; i < recipients.size(); ++i) {
        std::string address = request.addresses.GetAt(static_cast<INT_PTR>(i + 1)).str();
        for (char& ch : address) {
            ch = (ch == '\r' || ch == '\n') ? ' ' : ch;
        }
        FUZZ_CHECK(recipients[i] == address);
    }
    return 0;
}
