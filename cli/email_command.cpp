// vanta email: share local files by mail through the service, in the background, with the
// upload's progress bar and Ctrl-C cancel.
#include "cli/cli_common.h"
#include "cli/job_progress.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
struct EmailArgs {
    std::string from;
    std::vector<std::string> to;
    std::string subject;
    std::string message;
    std::string messageFile;
    std::string sn;
    std::vector<std::string> files;
};

EmailArgs& Args() {
    static EmailArgs args;
    return args;
}

std::string ReadMessageFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CLI::ValidationError("--message-file", "cannot read " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int RunEmail() {
    const EmailArgs& args = Args();
    CStringArray addresses;
    addresses.Add(CString(args.from));
    for (const std::string& to : args.to) {
        addresses.Add(CString(to));
    }
    const std::string message =
        args.messageFile.empty() ? args.message : ReadMessageFile(args.messageFile);
    // The job reads this array until its thread ends; it lives until this function returns.
    CStringArray files;
    for (const std::string& file : args.files) {
        files.Add(CString(file));
    }
    const unsigned int started =
        QDX_Email(addresses, CString(args.subject), CString(message), files, CStringArray(),
                  CString(args.sn), CliStatusCallback());
    if (started != 1) {
        return Report("QDX_Email", started, 1, {});
    }

    // The list now ends with the info file, which travels with the shared files.
    std::vector<std::string> sent;
    for (INT_PTR i = 0; i < files.GetSize(); ++i) {
        sent.push_back(files.GetAt(i).str());
    }
    const JobOutcome outcome = FollowJob(TotalSize(sent), "requesting the mails", "email");
    nlohmann::ordered_json fields;
    if (outcome.cancelled) {
        // The worker removed from the service what it had sent.
        fields["rollback"] = "the files sent so far were removed from the service";
    }
    fields["recipients"] = args.to.size();
    fields["files"] = args.files.size();
    return Report("QDX_Email", outcome.code, 1, fields);
}
} // namespace

void AddEmailCommand(CLI::App& app) {
    auto* email = app.add_subcommand("email", "Share FILEs by mail through the service");
    email->add_option("--from", Args().from, "Sender's address")->required();
    email->add_option("--to", Args().to, "Recipient's address (repeatable)")
        ->required()
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    email->add_option("--subject", Args().subject, "Subject")->required();
    auto* text = email->add_option("--message", Args().message, "Message text");
    email->add_option("--message-file", Args().messageFile, "File holding the message text")
        ->check(CLI::ExistingFile)
        ->excludes(text);
    email->add_option("--sn", Args().sn, "Text of the info file's SN line");
    email->add_option("FILE", Args().files, "Local files to share")->required();
    email->callback([] { throw CLI::RuntimeError(RunEmail()); });
}
