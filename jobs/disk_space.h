// The user's disk quota and the space already used, as the upload worker checks them.
#pragma once

#include "transport/call_context.h"
#include "vanta/cstring.h"

// Asks the service for the quota and the space used of `userId` under `productId`, as the
// service wrote them. 1: both read; 0: the reply lacks them; 32: channel failure.
unsigned int ReadDiskSpace(const CallContext& context, const CString& userId,
                           const CString& productId, CString& quota, CString& used);
