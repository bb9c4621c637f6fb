// vanta email: share local files by mail through the service, in the background, with the
// upload's progress bar and Ctrl-C cancel.
#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/job_progress.h"
#include "cli/local_input.h"
#include "cli/output.h"

#include <string>
#include <vector>

namespace {
// A mail's text, read whole before the job starts: far above any message a person writes.
constexpr size_t kMaxMessageBytes = 1024 * 1024;

struct EmailArgs {
    std::string from;
    std::vector<std::string> to;
    std::string subject;
    std::string message;
    std::string messageFile;
    std::string senderName;
    std::vector<std::string> files;
};

EmailArgs& Args() {
    static EmailArgs args;
    return args;
}

int RunEmail() {
    const EmailArgs& args = Args();
    std::string message = args.message;
    if (!args.messageFile.empty()) {
        std::string why;
        if (!ReadSmallFile(args.messageFile, kMaxMessageBytes, message, why)) {
            return Fail(kExitFailed, "the message file: " + why);
        }
    }
    vanta::ShareRequest request{args.from, args.to, args.subject, message, args.senderName, {}};
    request.files = LocalPaths(args.files);
    vanta::ShareJob job = Service().share_by_email(std::move(request));
    const auto outcome = FollowToEnd(JobKind::kEmail, job, args.files);
    return Finish("email job", outcome,
                  {{"from", args.from}, {"to", args.to}, {"files", args.files}});
}
} // namespace

void AddEmailCommand(CLI::App& app) {
    auto* email = app.add_subcommand("email", "Share FILEs by mail through the service");
    email->add_option("--from", Args().from, "Sender's address")->required();
    email->add_option("--to", Args().to, "Recipient's address; repeatable")
        ->required()
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    email->add_option("--subject", Args().subject, "Subject")->required();
    auto* text = email->add_option("--message", Args().message, "Message text");
    email
        ->add_option("--message-file", Args().messageFile,
                     "File holding the message text (at most 1 MiB)")
        ->type_name("FILE")
        ->check(ExistingLocalFile())
        ->excludes(text);
    email->add_option("--sender-name", Args().senderName,
                      "Sender's display name in the mails' From line");
    AddParallelOption(*email);
    email->add_option("FILE", Args().files, "Local files to share")->required();
    email->footer("Example:\n  vanta email --from ann@example.com --to bob@example.com "
                  "--subject Pictures --message-file note.txt --sender-name 'Ann Lee' a.jpg "
                  "b.jpg\nCtrl-C cancels and removes what was sent; a second Ctrl-C quits at "
                  "once.");
    OnSelected(*email, RunEmail);
}
