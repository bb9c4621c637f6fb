// vanta asset delete [--purge]: withdraw an asset's record and, with --purge, remove its files
// from the service's FTP tree too (/assets/USER/PRODUCT/ASSET/).
#include "cli/asset_fields.h"
#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/field_values.h"
#include "cli/outcome.h"

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

// Removes the files the record named, then the asset's directory. The record is gone by now,
// so a failure here says so: the files that stay are no longer reachable through the service.
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
        const unsigned int code =
            QDX_FTPDeleteFile(CString(subDir), CString(name), CliStatusCallback());
        if (code == 1) {
            fields["removed_files"].push_back(name);
        } else if (code == 1024) {
            fields["absent_files"].push_back(name); // never arrived, or removed before
        } else {
            const Outcome outcome = ClassifyResult("QDX_FTPDeleteFile", code);
            return Finish("QDX_FTPDeleteFile", code, fields,
                          "record withdrawn, but " + name + " was not removed: " + outcome.reason);
        }
    }
    const unsigned int code = QDX_FTPRemoveDir(CString("/assets/" + subDir), CliStatusCallback());
    fields["purged"] = code == 1;
    const std::string reason =
        code == 1 ? ""
                  : "record withdrawn, but /assets/" + subDir +
                        " was not removed: " + ClassifyResult("QDX_FTPRemoveDir", code).reason;
    return Finish("QDX_FTPRemoveDir", code, fields, reason);
}

int RunDelete() {
    std::vector<std::string> names;
    if (Args().purge && (!IsPlainName(Args().user) || !IsPlainName(Args().asset))) {
        return Fail(kExitUsage, "--purge needs a user id and an asset number that are plain "
                                "names (no \"/\", not \".\" or \"..\")");
    }
    if (Args().purge) {
        // The record names the files; once it is withdrawn nothing does.
        QDX_CAssetInfo record{CString(Args().user), CString(Args().asset)};
        const unsigned int read = QDX_GetAssetInfo(record, CliStatusCallback());
        if (read != 1) {
            return Finish("QDX_GetAssetInfo", read, Identity());
        }
        names = AssetFileNames(record);
    }
    const unsigned int code =
        QDX_DeleteAsset(CString(Args().user), CString(std::to_string(Args().product)),
                        CString(Args().asset), CliStatusCallback());
    if (code != 1 || !Args().purge) {
        return Finish("QDX_DeleteAsset", code, Identity());
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
