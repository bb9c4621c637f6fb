// vanta asset delete [--purge]: withdraw an asset's record and, with --purge, remove its files
// from the service's FTP tree too (/assets/USER/PRODUCT/ASSET/).
#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/field_values.h"
#include "cli/output.h"

#include <string>
#include <vector>

namespace {
struct DeleteArgs {
    std::string user;
    unsigned int product = 0;
    std::string asset;
    bool purge = false;
};

DeleteArgs& Args() {
    static DeleteArgs args;
    return args;
}

// A name that stays one component of an FTP path: no "/", not "." or "..".
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

Fields Identity() {
    return {{"user", Args().user},
            {"product", Args().product},
            {"asset_number", IntegerOrNull(Args().asset)}};
}

// The error of a purge step after the record is gone: the files that stay are no longer
// reachable through the service, so the reason says so.
vanta::Error AfterWithdrawal(vanta::Error error, const std::string& what) {
    error.reason = "record withdrawn, but " + what + " was not removed: " + error.reason;
    return error;
}

// Removes the files the record named, then the asset's directory.
int PurgeFiles(const std::vector<std::string>& names) {
    const std::string subDir =
        Args().user + "/" + std::to_string(Args().product) + "/" + Args().asset;
    Fields fields = Identity();
    fields["purged"] = false;
    fields["removed_files"] = Fields::array();
    fields["absent_files"] = Fields::array();
    for (const std::string& name : names) {
        if (!IsPlainName(name)) {
            return Fail(kExitFailed, "record withdrawn, but the service names a file \"" + name +
                                         "\" that is not a plain file name; no file removed");
        }
    }
    for (const std::string& name : names) {
        const auto removed = Service().delete_file(subDir, name);
        if (removed) {
            fields["removed_files"].push_back(name);
        } else if (removed.error().category == vanta::ErrorCategory::not_found) {
            fields["absent_files"].push_back(name); // never arrived, or removed before
        } else {
            const vanta::Error error = AfterWithdrawal(removed.error(), name);
            return Finish("QDX_FTPDeleteFile", &error, fields);
        }
    }
    const std::string directory = "/assets/" + subDir;
    // A service that removes the files with the record leaves no directory to remove.
    const auto present =
        Service().file_exists(Args().user + "/" + std::to_string(Args().product), Args().asset);
    if (present && !*present) {
        fields["purged"] = true;
        return Finish("QDX_FTPRemoveDir", nullptr, fields);
    }
    const auto removed = Service().remove_directory(directory);
    fields["purged"] = removed.has_value();
    if (!removed) {
        const vanta::Error error = AfterWithdrawal(removed.error(), directory);
        return Finish("QDX_FTPRemoveDir", &error, fields);
    }
    return Finish("QDX_FTPRemoveDir", nullptr, fields);
}

int RunDelete() {
    std::vector<std::string> names;
    if (Args().purge && (!IsPlainName(Args().user) || !IsPlainName(Args().asset))) {
        return Fail(kExitUsage, "--purge needs a user id and an asset number that are plain "
                                "names (no \"/\", not \".\" or \"..\")");
    }
    if (Args().purge) {
        // The record names the files; once it is withdrawn nothing does.
        const auto record = Service().asset_info(Args().user, Args().asset);
        if (!record) {
            return Finish("QDX_GetAssetInfo", record, Identity());
        }
        names = record->file_names;
    }
    const auto deleted =
        Service().delete_asset(Args().user, std::to_string(Args().product), Args().asset);
    if (!deleted || !Args().purge) {
        return Finish("QDX_DeleteAsset", deleted, Identity());
    }
    return PurgeFiles(names);
}
} // namespace

void AddAssetDeleteCommand(CLI::App& asset) {
    auto* del = asset.add_subcommand(
        "delete", "Withdraw an asset's record; with --purge also remove its files");
    del->add_option("--user", Args().user, "User id of the owner")->required();
    del->add_option("--product", Args().product, "Product number")->required();
    del->add_option("--asset", Args().asset, "Asset number")->required();
    del->add_flag("--purge", Args().purge,
                  "Also remove the asset's files and directory from the service's FTP tree");
    del->footer("Example:\n  vanta asset delete --user ann --product 3 --asset 1 --purge");
    OnSelected(*del, RunDelete);
}
