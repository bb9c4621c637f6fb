#include "cli/library_diagnostics.h"

#include "vantaapi.h"

std::string LastFailureReason() {
    return {};
}

FailureKind LastFailureKind() {
    return FailureKind::kUnknown;
}
