// vanta update download DIR [--key FILE]: fetch the library file that the service offers.
#include "cli/cli_common.h"
#include "cli/output.h"
#include "vanta/self_update.h"

#include <string>

void AddUpdateCommands(CLI::App& app) {
    auto* update = app.add_subcommand("update", "Self-update");
    auto* download = update->add_subcommand("download", std::string("Fetch the service's ") +
                                                            kUpdateFileName + " into DIR");
    static std::string dir;
    static std::string key;
    download
        ->add_option("DIR", dir,
                     "Local directory (an existing file there is replaced "
                     "only once the new one has arrived whole)")
        ->required();
    download->add_option("--key", key,
                         "Accept only a file signed with this Ed25519 public key (PEM); one "
                         "that is not is removed (over VANTA_UPDATE_KEY)");
    download->footer("Example:\n  vanta update download --key vanta-update.pem ~/Downloads");
    OnSelected(*download, [] {
        vanta::Config config = Service().config();
        if (!key.empty()) {
            config.update_key = LocalPath(key);
        }
        const auto file = vanta::Client(std::move(config)).download_update(LocalPath(dir));
        return Finish("QDX_DownloadDll", file,
                      {{"file", file ? Utf8Text(*file) : dir + "/" + kUpdateFileName}});
    });
}
