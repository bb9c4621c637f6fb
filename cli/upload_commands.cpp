// vanta upload, vanta asset delete, vanta disk-space: background uploads from the command line.
#include "cli/cli_common.h"
#include "cli/job_progress.h"

#include <memory>
#include <string>
#include <vector>

namespace {
struct UploadArgs {
    std::string user;
    unsigned int product = 0;
    std::string name;
    std::string description;
    unsigned int type = 0;
    std::vector<std::string> to;
    std::vector<std::string> files;
    std::string asset;
};

UploadArgs& Args() {
    static UploadArgs args;
    return args;
}

// ADDRESS[:VIEWTYPE[:NAME]]; the name may itself hold colons.
std::unique_ptr<QDX_CRecipient> ParseRecipient(const std::string& text) {
    auto recipient = std::make_unique<QDX_CRecipient>();
    const size_t first = text.find(':');
    recipient->m_strEmail = CString(text.substr(0, first));
    if (first != std::string::npos) {
        const size_t second = text.find(':', first + 1);
        const std::string view = text.substr(first + 1, second - first - 1);
        try {
            recipient->m_nViewType = view.empty() ? 0 : std::stoi(view);
        } catch (const std::exception&) {
            throw CLI::ValidationError("--to", "view type must be a number: " + text);
        }
        if (second != std::string::npos) {
            recipient->m_strName = CString(text.substr(second + 1));
        }
    }
    return recipient;
}

int RunUpload() {
    const UploadArgs& args = Args();
    OwnedList recipients;
    for (const std::string& to : args.to) {
        recipients.list.AddTail(ParseRecipient(to).release());
    }
    CStringArray files;
    for (const std::string& file : args.files) {
        files.Add(CString(file));
    }
    CString password;
    CString assetNum;
    const unsigned int product = args.product;
    const unsigned int type = args.type;
    const unsigned int started = QDX_UploadAsset(
        CString(args.user), product, CString(args.description), CString(args.name), password, files,
        recipients.list, assetNum, type, CString(), CliStatusCallback());
    if (started != 1) {
        return Report("QDX_UploadAsset", started, 1, {});
    }

    const JobOutcome outcome = FollowJob(TotalSize(args.files), "notifying recipients", "upload");
    nlohmann::ordered_json fields;
    if (outcome.cancelled) {
        // The cancelled job was discarded, so its code is gone; the asset number tells how
        // far the worker had got.
        fields["rollback"] = assetNum.IsEmpty()
                                 ? "cancelled before the asset was registered"
                                 : "asset " + assetNum.str() + " withdrawn from the service";
    }
    fields["asset_number"] = assetNum.str();
    fields["password"] = password.str();
    fields["page_address"] = outcome.status;
    return Report("QDX_UploadAsset", outcome.code, 1, fields);
}

void AddUpload(CLI::App& app) {
    auto* upload = app.add_subcommand("upload", "Upload FILEs as a new asset in the background");
    upload->add_option("--user", Args().user, "User id")->required();
    upload->add_option("--product", Args().product, "Product number")->required();
    upload->add_option("--name", Args().name, "Asset name")->required();
    upload->add_option("--desc", Args().description, "Asset description");
    upload->add_option("--type", Args().type, "Asset type");
    upload
        ->add_option("--to", Args().to,
                     "Recipient ADDRESS[:VIEWTYPE[:NAME]] to notify (repeatable)")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    upload->add_option("FILE", Args().files, "Local files of the asset")->required();
    upload->callback([] { throw CLI::RuntimeError(RunUpload()); });
}

void AddDelete(CLI::App& asset) {
    auto* del = asset.add_subcommand("delete", "Withdraw an asset's record (its files stay)");
    del->add_option("--user", Args().user, "User id")->required();
    del->add_option("--product", Args().product, "Product number")->required();
    del->add_option("--asset", Args().asset, "Asset number")->required();
    del->callback([] {
        const unsigned int code =
            QDX_DeleteAsset(CString(Args().user), CString(std::to_string(Args().product)),
                            CString(Args().asset), CliStatusCallback());
        throw CLI::RuntimeError(Report("QDX_DeleteAsset", code, 1, {{"asset", Args().asset}}));
    });
}

void AddDiskSpace(CLI::App& app) {
    auto* space = app.add_subcommand("disk-space", "The user's disk quota and the space used");
    space->add_option("--user", Args().user, "User id")->required();
    space->add_option("--product", Args().product, "Product number")->required();
    space->callback([] {
        CString quota;
        CString used;
        const unsigned int code =
            QDX_GetDiskSpace(CString(Args().user), CString(std::to_string(Args().product)), quota,
                             used, CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_GetDiskSpace", code, 1, {{"quota", quota.str()}, {"used", used.str()}}));
    });
}
} // namespace

void AddUploadCommands(CLI::App& app) {
    AddUpload(app);
    AddDiskSpace(app);
    // `asset` may already hold the catalogue reads.
    CLI::App* asset = nullptr;
    try {
        asset = app.get_subcommand("asset");
    } catch (const CLI::OptionNotFound&) {
        asset = app.add_subcommand("asset", "The asset catalogue");
        asset->require_subcommand(1);
    }
    AddDelete(*asset);
}
