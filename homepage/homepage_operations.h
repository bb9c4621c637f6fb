// The homepage operations of the library's core: a user's homepage record read, written and
// deleted. Every failure carries the code 0, the one the homepage exports give for all of
// them; its category tells them apart.
#pragma once

#include "transport/call_context.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What each operation is doing, as its failures describe it.
inline constexpr std::string_view kReadingHomepage = "reading a homepage";
inline constexpr std::string_view kWritingHomepage = "writing a homepage";
inline constexpr std::string_view kRemovingHomepage = "removing a homepage";

// The record's texts, as the service writes them.
struct HomepageRecord {
    CString title; // holds FAIL or NOROWS when the service refused
    CString heading;
    CString body;
    CString theme;
    CString reply;
};

// Reads the record into `page`; a text the reply lacks keeps what the record held. Failures:
// unknown_user (FAIL), not_found (NOROWS, the user has no homepage), network; on a refusal
// `page.title` holds the service's marker and the rest is untouched.
vanta::Result<void> ReadHomepage(const CallContext& context, const CString& userId,
                                 HomepageRecord& page);

// Writes the record. Failures: refused (FAIL), network.
vanta::Result<void> WriteHomepage(const CallContext& context, const CString& userId,
                                  const HomepageRecord& page);

// Deletes the record. Failures: not_found (FAIL: there was none to remove), network.
vanta::Result<void> RemoveHomepage(const CallContext& context, const CString& userId);

} // namespace core
