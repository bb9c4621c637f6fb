// The setting of the key a self-update download is checked against.
#include "update/update_key.h"
#include "os/failure_reason.h"
#include "transport/operation_failure.h"
#include "transport/service_config.h"
#include "update/update_download.h"
#include "update/update_signature.h"
#include "vanta/result_codes.h"

bool UpdateKeyUsable(const std::string& keyFile) {
    if (const std::string problem = UpdateKeyProblem(keyFile); !problem.empty()) {
        SetFailureReason(FailureKind::LocalFile, "the update key " + problem);
        return false;
    }
    return true;
}

vanta::Result<void> core::SetUpdateKey(const char* keyFile) {
    // A key that cannot be used would make every download fail later; say so now.
    if (*keyFile != '\0' && !UpdateKeyUsable(keyFile)) {
        return FailedWith(vanta::ErrorCategory::local_file, vanta::result::kZero,
                          "setting the update key", "the key cannot be used");
    }
    ChangeProcessUpdateKey(keyFile);
    return {};
}
