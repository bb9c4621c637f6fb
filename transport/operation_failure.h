// The typed outcome of the library's operations: each feature's operations give a
// vanta::Result, whose Error holds the failure's category, the code the matching export gives
// for it and the reason. The front ends turn it into an export's code or hand it on.
#pragma once

#include "vanta/results.hpp"

#include <string_view>

// The Error of a step that just failed on this thread. The reason is the one the network or
// file layer recorded for the failure when there is one, else "<doing>: <detail>".
vanta::Error FailedWith(vanta::ErrorCategory category, unsigned int code, std::string_view doing,
                        std::string_view detail) noexcept;

// The Error of a request that gave `code`: the channel's failure (32) is a network error; any
// other code is `category`, described by `detail` unless the library recorded why.
vanta::Error RequestFailure(vanta::ErrorCategory category, unsigned int code,
                            std::string_view doing, std::string_view detail) noexcept;

// The outcome of a request that gives kSuccess or a failure code: nothing, or the failure as
// RequestFailure describes it.
vanta::Result<void> SucceededOr(unsigned int code, vanta::ErrorCategory category,
                                std::string_view doing, std::string_view detail);

// An FTP step that failed with `code`: a lost connection, a refused login or command and an
// unreadable local file share the code; the failure's recorded kind tells them apart.
vanta::Error FtpFailure(unsigned int code, std::string_view doing) noexcept;
