// The export that turns transport security on or off after load (a program's own flag).
#include "transport/export_guard.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

#include <unistd.h>

using namespace vanta::result;

unsigned int WINAPI QDX_SetTransportSecurity(int useTls, const char* caFile) {
    return GuardExport("setting transport security", kZero, [&]() -> unsigned int {
        // A CA file that cannot be read would make every call fail later; say so now.
        if ((caFile != nullptr && *caFile != '\0' && ::access(caFile, R_OK) != 0) || useTls < -1 ||
            useTls > 1) {
            return kZero;
        }
        ChangeProcessSecurity(useTls, caFile);
        return kSuccess;
    });
}
