// vanta version: the library's version, the service's, and whether they match.
#include "cli/cli_common.h"

void AddVersionCommand(CLI::App& app) {
    auto* version = app.add_subcommand(
        "version", "Compare the library's version with the service's (exit 0 when they match)");
    version->callback([] {
        const CString library = QDX_GetDllVersion();
        CString service;
        const unsigned int code = QDX_GetServerVersion(service, CliStatusCallback());
        nlohmann::ordered_json fields = {{"library", library.str()}};
        if (code != 32) {
            fields["service"] = service.str();
            fields["match"] = code == 1;
        }
        throw CLI::RuntimeError(Report("QDX_GetServerVersion", code, 1, fields));
    });
}
