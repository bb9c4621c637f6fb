// vanta: the command-line tool over the library's exports.
#include "cli/cli_common.h"
#include "vanta/version.h"

#include <iostream>

namespace {
std::string VersionText() {
    const VantaVersionRecord& record = vantaModuleVersion;
    return std::string(record.ProductName) + " " + record.ProductVersion + " (" +
           record.InternalName + ", file version " + record.FileVersion + ")";
}
} // namespace

int main(int argc, char** argv) {
    CLI::App app{"vanta: work with the publishing service from the command line"};
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", VersionText());
    app.add_flag("--verbose,-v", Options().verbose, "Print each status notification");
    app.add_flag("--json", Options().json, "Print results as JSON");
    app.fallthrough();

    AddRequestCommand(app);
    AddUserCommands(app);
    AddAssetCommands(app);
    AddHomepageCommands(app);
    AddVersionCommand(app);
    AddFtpCommands(app);
    AddUpdateCommands(app);
    AddUploadCommands(app);
    AddEmailCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    }
    if (app.get_subcommands().empty()) {
        std::cout << app.help();
    }
    return 0;
}
