// What the library says about the last failure on this thread, behind one pair of functions
// so that the rest of the tool does not care how the library exposes it.
#pragma once

#include <string>

enum class FailureKind {
    kUnknown, // the library did not say
    kNetwork, // resolving, connecting, a time-out, a dropped connection
    kRefused, // the service answered, and refused
    kLocal    // a local file or directory
};

// The reason of the last failed export on the calling thread ("" when the library kept none).
// Read it right after the export: the next export on the thread replaces it.
std::string LastFailureReason();

FailureKind LastFailureKind();
