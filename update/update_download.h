// Self-update: the library file the service offers, fetched into a local directory and, when
// an update key is set, checked against it; and the setting of that key.
#pragma once

#include "transport/call_context.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <string_view>

namespace core {

// What the operation is doing, as its failures describe it.
inline constexpr std::string_view kDownloadingUpdate = "downloading the library update";

// Fetches the service's library file into `localDir`, under the same name, replacing a file
// there once the whole file has arrived. With the context's update key, only a file signed
// with it is put in place. Any failure is an Error with code 16; after it an existing file is
// as it was and nothing of the download stays.
vanta::Result<void> DownloadUpdate(const CallContext& context, const CString& localDir);

// Makes `keyFile` ("" for none) the process's update key for every download that starts
// afterwards. A file that holds no usable key changes nothing: a local_file Error, code 0.
vanta::Result<void> SetUpdateKey(const char* keyFile);

} // namespace core
