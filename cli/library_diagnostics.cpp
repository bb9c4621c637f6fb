#include "cli/library_diagnostics.h"

#include "vantaapi.h"

std::string LastFailureReason() {
    const char* reason = QDX_GetLastFailureReason();
    return reason != nullptr ? reason : "";
}

FailureKind LastFailureKind() {
    switch (QDX_GetLastFailureKind()) {
    case 1:
        return FailureKind::kNetwork;
    case 2:
        return FailureKind::kRefused;
    case 3:
        return FailureKind::kLocal;
    default:
        return FailureKind::kUnknown;
    }
}
