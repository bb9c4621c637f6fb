/// \file
/// The caller's status callback, the last argument of every export that talks to the service.
#pragma once

#include "vanta/export.h"

/// Receives the network layer's status notifications unchanged: the Internet status number
/// (INTERNET_STATUS_RESOLVING_NAME 10 ... INTERNET_STATUS_HANDLE_CLOSING 70), a pointer to the
/// notification's information block and the block's length in bytes. The library ignores the
/// return value. It runs on the thread that makes the network call, during that call.
typedef unsigned long(WINAPI* StatusCallback)(unsigned long status, void* info,
                                              unsigned long infoLength);
