// vanta upload and vanta disk-space: background uploads from the command line.
#include "cli/cli_common.h"
#include "cli/field_values.h"
#include "cli/job_progress.h"
#include "cli/output.h"

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
vanta::Recipient ParseRecipient(const std::string& text) {
    vanta::Recipient recipient;
    const size_t first = text.find(':');
    recipient.email = text.substr(0, first);
    if (first != std::string::npos) {
        const size_t second = text.find(':', first + 1);
        const std::string view = text.substr(first + 1, second - first - 1);
        if (view == "1" || view == "download") {
            recipient.may_download = true;
        } else if (!view.empty() && view != "0" && view != "view") {
            throw CLI::ValidationError("--to",
                                       "the view must be view (0) or download (1): " + text);
        }
        if (second != std::string::npos) {
            recipient.name = text.substr(second + 1);
        }
    }
    return recipient;
}

int RunUpload() {
    const UploadArgs& args = Args();
    vanta::UploadRequest request{args.user, args.product, args.name, args.description,
                                 args.type, {},           {}};
    for (const std::string& to : args.to) {
        request.recipients.push_back(ParseRecipient(to));
    }
    request.files = LocalPaths(args.files);
    vanta::UploadJob job = Service().upload(std::move(request));
    const auto outcome = FollowToEnd(JobKind::kUpload, job, args.files);
    Fields fields = {{"user", args.user}, {"product", args.product}};
    if (outcome) {
        fields["asset_number"] = IntegerOrNull(outcome->asset_number);
        fields["asset_password"] = outcome->password;
        fields["page_address"] = outcome->page_address;
    } else if (!outcome.error().asset_number.empty()) {
        // A failed upload normally takes its asset back; one whose roll-back failed names
        // the asset that stayed (the failure line's reason says what of it).
        fields["asset_number"] = IntegerOrNull(outcome.error().asset_number);
    }
    return Finish("upload job", outcome, fields);
}

int RunDiskSpace() {
    const auto space = Service().disk_space(Args().user, std::to_string(Args().product));
    Fields fields = {{"user", Args().user}, {"product", Args().product}};
    if (space) {
        fields["quota_bytes"] = space->quota;
        fields["used_bytes"] = space->used;
    }
    return Finish("QDX_GetDiskSpace", space, fields);
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
    AddParallelOption(*upload);
    upload->add_option("FILE", Args().files, "Local files of the asset")->required();
    upload->footer(
        "Example:\n  vanta upload --user ann --product 3 --name Lisbon "
        "--to 'bob@example.com:download:Bob Brown' harbour.jpg tower.jpg\n"
        "A failed or cancelled upload takes back what it stored: the asset's record, its\n"
        "files and its directory; if that fails, the asset that stayed is named.\n"
        "Ctrl-C cancels; a second Ctrl-C quits at once, without the roll-back.");
    OnSelected(*upload, RunUpload);

    auto* space = app.add_subcommand("disk-space", "Show the user's disk quota and the space used");
    space->add_option("--user", Args().user, "User id of the owner")->required();
    space->add_option("--product", Args().product, "Product number")->required();
    space->footer("Example:\n  vanta disk-space --user ann --product 3");
    OnSelected(*space, RunDiskSpace);
}
