// vanta update download DIR: fetch the library file that the service offers.
#include "cli/cli_common.h"

void AddUpdateCommands(CLI::App& app) {
    auto* update = app.add_subcommand("update", "Self-update");
    update->require_subcommand(1);
    auto* download = update->add_subcommand("download", "Fetch VantaAPI.dll into DIR");
    static std::string dir;
    download->add_option("DIR", dir, "Local directory")->required();
    download->callback([] {
        const unsigned int code = QDX_DownloadDll(CString(dir), CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_DownloadDll", code, 1, {{"file", dir + "/VantaAPI.dll"}}));
    });
}
