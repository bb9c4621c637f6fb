// The FTP limit: no progress on an FTP call's control or data connection for this long ends
// the call with its failure result. Read once, at load, from VANTA_FTP_TIMEOUT_MS (a positive
// number of milliseconds); 30 s when it is unset or unusable.
#pragma once

#include <chrono>

std::chrono::milliseconds FtpTimeout();
