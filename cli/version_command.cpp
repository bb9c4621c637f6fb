// vanta version: the library's version, the service's, and whether they match.
#include "cli/cli_common.h"
#include "cli/output.h"

void AddVersionCommand(CLI::App& app) {
    auto* version = app.add_subcommand(
        "version", "Compare the library's version with the service's (exit 0 when they match)");
    version->footer("Example:\n  vanta version");
    OnSelected(*version, [] {
        const std::string library = vanta::Client::library_version();
        const auto check = Service().check_version();
        Fields fields = {{"library", library}};
        if (!check) {
            return Finish("QDX_GetServerVersion", check, fields);
        }
        fields["service"] = check->service;
        fields["match"] = check->up_to_date;
        if (check->up_to_date) {
            return Finish("QDX_GetServerVersion", nullptr, fields);
        }
        // The export's 0: the service answered, with another version.
        const vanta::Error differs{vanta::ErrorCategory::refused, vanta::result::kZero,
                                   "the service offers version " + check->service +
                                       ", this library is " + library};
        return Finish("QDX_GetServerVersion", &differs, fields);
    });
}
