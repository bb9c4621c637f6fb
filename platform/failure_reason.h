// Why the last failure on the calling thread happened, in words a user can act on:
// "<what was being done>: <detail>", e.g. "cannot connect to publish.example.net port 80:
// Connection refused". The layer that detects a failure records it; every export clears it
// on entry, so after an export it describes that export's failure ("" when it succeeded).
#pragma once

#include <string>

void ClearFailureReason();
// Replaces the reason. Never throws: out of memory keeps the previous text.
void SetFailureReason(std::string text) noexcept;
const std::string& FailureReason();
