// vanta version: the library's release, its update version and the service's, and whether
// the two update versions match.
#include "cli/cli_common.h"
#include "cli/output.h"

void AddVersionCommand(CLI::App& app) {
    auto* version = app.add_subcommand(
        "version", "Show the library's release and compare its update version with the "
                   "one the service offers (exit 0 when they match)");
    version->footer("Example:\n  vanta version");
    OnSelected(*version, [] {
        // The service is asked about the update version, a text of its own ("3.3") that only
        // changes when the service publishes a new library file; the release is what the
        // packages and `vanta --version` show.
        const std::string updateVersion = vanta::Client::library_version();
        const auto check = Service().check_version();
        Fields fields = {{"library", vanta::Client::release_version()},
                         {"update_version", updateVersion}};
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
                                   "the service offers update version " + check->service +
                                       ", this library has update version " + updateVersion};
        return Finish("QDX_GetServerVersion", &differs, fields);
    });
}
