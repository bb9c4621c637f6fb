// What the request tests share: scripting the service's next reply to a program, making the
// request itself fail, and reading back the bodies that were posted.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_client.h"

namespace vanta::test {

// The next request to `path` is answered with `body` (status 200), after `delayMs`.
inline void ScriptReply(const std::string& path, const std::string& body, int delayMs = 0) {
    control::Script({.path = path, .body = body, .delay_ms = delayMs});
}

// The next request to `path` gets a reply that stops short of its announced length, which
// the request channel reports as a failure after part of a plausible reply has arrived.
inline void ScriptBrokenReply(const std::string& path) {
    control::Script({.path = path,
                     .body = "a=FAIL&b=1&c=1&d=1&e=1&f=1&g=1&h=1&i=1&j=1&k=1&l=1&m=1&n=1&o=1&p=1",
                     .close_after = 12});
}

// The bodies posted to `path` since the last reset, in order.
inline std::vector<std::string> BodiesPostedTo(const std::string& path) {
    std::vector<std::string> bodies;
    for (const LoggedRequest& request : control::RequestsTo(path)) {
        bodies.push_back(request.body);
    }
    return bodies;
}

inline bool Requested(const std::string& path) {
    return !control::RequestsTo(path).empty();
}

} // namespace vanta::test
