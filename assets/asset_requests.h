// Creating an asset's record before its files are sent, and withdrawing a record.
#pragma once

#include "transport/call_context.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"
#include "vanta/results.hpp"

#include <cstdint>

namespace core {

// What the service is told about an asset when its record is created.
struct AssetDraft {
    CString userId;
    CString name;
    CString description;
    unsigned int productNum = 0;
    unsigned int assetType = 0;
    // The sum of the files' lengths, as measured before anything is sent.
    std::uint64_t totalBytes = 0;
    // The files' bare names, in transfer order.
    CStringArray fileNames;
    // The password the caller started with: the asset's, when the reply names none.
    CString password;
};

// The record the service made: the asset's number, and the login (id and password) of its
// page, each as far as the reply carries it (the id is empty, the password the draft's, where
// it does not).
struct NewAsset {
    CString number;
    CString id;
    CString password;
};

// Registers `draft` with the service. Fails refused with 256 when the service answers FAIL
// (nothing stored), network with 32 when the channel fails.
vanta::Result<NewAsset> CreateAsset(const CallContext& context, const AssetDraft& draft);

} // namespace core
