// vanta update download DIR: fetch the library file that the service offers.
#include "cli/cli_common.h"
#include "cli/output.h"

void AddUpdateCommands(CLI::App& app) {
    auto* update = app.add_subcommand("update", "Self-update");
    auto* download =
        update->add_subcommand("download", "Fetch the service's VantaAPI.dll into DIR");
    static std::string dir;
    download
        ->add_option("DIR", dir,
                     "Local directory (an existing file there is replaced "
                     "only once the new one has arrived whole)")
        ->required();
    download->footer("Example:\n  vanta update download ~/Downloads");
    OnSelected(*download, [] {
        const auto file = Service().download_update(dir);
        return Finish("QDX_DownloadDll", file,
                      {{"file", file ? file->string() : dir + "/VantaAPI.dll"}});
    });
}
