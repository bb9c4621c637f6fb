// vanta upload and vanta disk-space: background uploads from the command line.
#include "cli/cli_common.h"
#include "cli/field_values.h"
#include "cli/job_progress.h"
#include "cli/output.h"

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
};

UploadArgs& Args() {
    static UploadArgs args;
    return args;
}

// ADDRESS[:VIEW[:NAME]]; the name may itself hold colons.
std::unique_ptr<QDX_CRecipient> ParseRecipient(const std::string& text) {
    auto recipient = std::make_unique<QDX_CRecipient>();
    const size_t first = text.find(':');
    recipient->m_strEmail = CString(text.substr(0, first));
    if (first != std::string::npos) {
        const size_t second = text.find(':', first + 1);
        const std::string view = text.substr(first + 1, second - first - 1);
        if (view == "1" || view == "download") {
            recipient->m_nViewType = 1;
        } else if (view.empty() || view == "0" || view == "view") {
            recipient->m_nViewType = 0;
        } else {
            throw CLI::ValidationError("--to",
                                       "the view must be view (0) or download (1): " + text);
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
        recipients.list, assetNum, type, CString(), JobStatusCallback());
    Fields fields = {{"user", args.user}, {"product", args.product}};
    if (started != 1) {
        return Finish("QDX_UploadAsset", started, fields);
    }

    const JobOutcome outcome = FollowJob(JobKind::kUpload, TotalSize(args.files));
    fields["asset_number"] = IntegerOrNull(assetNum.str());
    fields["asset_password"] = password.str();
    fields["page_address"] = outcome.status;
    std::string reason;
    if (outcome.code == 16384) {
        // The worker withdrew what it had registered; the asset number tells how far it got.
        reason = assetNum.IsEmpty()
                     ? "interrupted: cancelled before the asset was registered"
                     : "interrupted: asset " + assetNum.str() + " withdrawn from the service";
    }
    return Finish("upload job", outcome.code, fields, reason);
}

int RunDiskSpace() {
    CString quota;
    CString used;
    const unsigned int code =
        QDX_GetDiskSpace(CString(Args().user), CString(std::to_string(Args().product)), quota, used,
                         CliStatusCallback());
    Fields fields = {{"user", Args().user}, {"product", Args().product}};
    if (code == 1) {
        fields["quota_bytes"] = IntegerOrNull(quota.str());
        fields["used_bytes"] = IntegerOrNull(used.str());
    }
    return Finish("QDX_GetDiskSpace", code, fields);
}
} // namespace

void AddUploadCommands(CLI::App& app) {
    auto* upload = app.add_subcommand("upload", "Upload FILEs as a new asset and notify people");
    upload->add_option("--user", Args().user, "User id of the owner")->required();
    upload->add_option("--product", Args().product, "Product number")->required();
    upload->add_option("--name", Args().name, "Asset name")->required();
    upload->add_option("--description", Args().description, "Asset description");
    upload->add_option("--type", Args().type, "Asset type (the service's number)");
    upload
        ->add_option("--to", Args().to,
                     "Tell ADDRESS[:VIEW[:NAME]] of the new asset; VIEW is view (0, the "
                     "default) or download (1); repeatable")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    upload->add_option("FILE", Args().files, "Local files of the asset")->required();
    upload->footer("Example:\n  vanta upload --user ann --product 3 --name Lisbon "
                   "--to 'bob@example.com:download:Bob Brown' harbour.jpg tower.jpg\n"
                   "Ctrl-C cancels and withdraws the asset; a second Ctrl-C quits at once.");
    OnSelected(*upload, RunUpload);

    auto* space = app.add_subcommand("disk-space", "Show the user's disk quota and the space used");
    space->add_option("--user", Args().user, "User id of the owner")->required();
    space->add_option("--product", Args().product, "Product number")->required();
    space->footer("Example:\n  vanta disk-space --user ann --product 3");
    OnSelected(*space, RunDiskSpace);
}
