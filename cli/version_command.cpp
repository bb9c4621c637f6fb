// vanta version: the library's version, the service's, and whether they match.
#include "cli/cli_common.h"
#include "cli/output.h"

void AddVersionCommand(CLI::App& app) {
    auto* version = app.add_subcommand(
        "version", "Compare the library's version with the service's (exit 0 when they match)");
    version->footer("Example:\n  vanta version");
    OnSelected(*version, [] {
        const CString library = QDX_GetDllVersion();
        CString service;
        const unsigned int code = QDX_GetServerVersion(service, CliStatusCallback());
        Fields fields = {{"library", library.str()}};
        std::string reason;
        if (code == 1 || code == 0) {
            fields["service"] = service.str();
            fields["match"] = code == 1;
            reason = "the service offers version " + service.str() + ", this library is " +
                     library.str();
        }
        return Finish("QDX_GetServerVersion", code, fields, reason);
    });
}
