// The export that sets the key the self-update download is checked against.
#include "os/failure_reason.h"
#include "transport/export_guard.h"
#include "transport/service_config.h"
#include "update/update_signature.h"
#include "vanta/result_codes.h"
#include "vanta/self_update.h"

using namespace vanta::result;

unsigned int WINAPI QDX_SetUpdateKey(const char* pemPath) {
    return GuardExport("setting the update key", kZero, [&]() -> unsigned int {
        const char* keyFile = pemPath == nullptr ? "" : pemPath;
        // A key that cannot be used would make every download fail later; say so now.
        if (*keyFile != '\0') {
            if (const std::string problem = UpdateKeyProblem(keyFile); !problem.empty()) {
                SetFailureReason(FailureKind::LocalFile, "the update key " + problem);
                return kZero;
            }
        }
        ChangeProcessUpdateKey(keyFile);
        return kSuccess;
    });
}
