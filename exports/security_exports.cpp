// The export that turns transport security on or off after load (a program's own flag).
#include "os/local_files.h"
#include "transport/export_guard.h"
#include "transport/service_config.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

#include <string>

using namespace vanta::result;

unsigned int WINAPI QDX_SetTransportSecurity(int useTls, const char* caFile) {
    return GuardExport("setting transport security", kZero, [&]() -> unsigned int {
        // A CA file that cannot be read (or is no regular file, such as a FIFO that would make
        // every connection wait) would make every call fail later; say so now.
        if (caFile != nullptr && *caFile != '\0') {
            if (const std::string problem = LocalFileProblem(caFile); !problem.empty()) {
                SetFailureReason(FailureKind::LocalFile,
                                 std::string("cannot use the CA file ") + caFile + ": " + problem);
                return kZero;
            }
        }
        if (useTls < -1 || useTls > 1) {
            return kZero;
        }
        ChangeProcessSecurity(useTls, caFile);
        return kSuccess;
    });
}
