// The request channel as the library's own exports use it: the raw export's behaviour, with a
// bound on how much of the reply is read.
#pragma once

#include "transport/call_context.h"
#include "vanta/cstring.h"
#include "vanta/retry.hpp"
#include "vanta/status_callback.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Exports that read a fixed number of fields need no more of a reply than this; a longer one
// is no reply of the service's and is not read to its end (an endless one would never end).
inline constexpr size_t kFixedReplyLimit = size_t{1} << 20;
// Lists and the raw channel read the whole reply, however long.
inline constexpr size_t kWholeReply = SIZE_MAX;

// Why `scriptPath` cannot be a program's path, or "": a NUL byte would cut it short and post
// to another program, and a path over kMaxPathBytes is no program's. Such a path is refused
// before anything is sent.
std::string ProgramPathProblem(const CString& scriptPath);

// Posts `body` plus a line feed to `scriptPath` and appends the response body to `reply`. A
// network failure repeats the POST under the context's retry policy when `when` allows it
// after that failure (vanta/retry.hpp); the reply then holds only the last attempt's.
// Returns 1 when a 2xx reply was read to its end; 32 when the path is refused (as above), the
// channel failed, the status was
// outside 200-299 (the page's text stays in `reply`), or the reply grew past `replyLimit`
// (reading stops there). Throws std::bad_alloc when the reply does not fit in memory.
unsigned int PostRequest(const CallContext& context, const CString& body, const CString& scriptPath,
                         CString& reply, size_t replyLimit, vanta::RepeatWhen when);

// Where a reply carries the service's verdict.
enum class VerdictIn {
    kFirstField, // the first field's value (the field reader's rules)
    kWholeValue, // everything after the reply's first "=", compared whole
};

// Posts `body` to `program` and reads the service's verdict from the reply, which is not kept.
// 1 (kSuccess): anything but FAIL, an empty reply included; 256 (kServiceFail): the verdict is
// FAIL; 32 (kChannelFailure): as PostRequest.
unsigned int PostForVerdict(const CallContext& context, const CString& body, const char* program,
                            vanta::RepeatWhen when, VerdictIn where,
                            size_t replyLimit = kFixedReplyLimit);
