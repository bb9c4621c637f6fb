// vanta homepage get|set|delete: the user's homepage record.
#include "cli/cli_common.h"
#include "cli/output.h"

#include <algorithm>
#include <array>
#include <string>

namespace {
using vanta::Homepage;

struct Text {
    const char* name; // JSON name; the option is the same with "-" for "_"
    const char* help;
    std::string Homepage::*field;
};
const std::array<Text, 5> kTexts = {
    {{"title", "Page title", &Homepage::title},
     {"heading", "Heading above the body", &Homepage::heading},
     {"body", "Body text", &Homepage::body},
     {"theme", "Theme (the service's number of a design)", &Homepage::theme},
     {"reply_to", "Address that visitors' replies go to", &Homepage::reply}}};

struct HomepageArgs {
    std::string user;
    Homepage texts;
    std::array<CLI::Option*, kTexts.size()> textOptions{};
};

HomepageArgs& Args() {
    static HomepageArgs args;
    return args;
}

int RunGet() {
    const auto page = Service().homepage(Args().user);
    Fields fields = {{"user", Args().user}};
    for (const Text& text : kTexts) {
        if (page) {
            fields[text.name] = (*page).*text.field;
        }
    }
    return Finish("QDX_GetHomepageInfo", page, fields);
}

int RunSet() {
    // The service replaces the whole record: start from the stored texts, if any. Only a
    // missing record starts from empty texts: after any other failure the stored texts are
    // unknown, and writing would lose them.
    auto stored = Service().homepage(Args().user);
    if (!stored && stored.error().category != vanta::ErrorCategory::not_found) {
        return Finish("QDX_GetHomepageInfo", stored, {{"user", Args().user}});
    }
    Homepage page = stored ? *stored : Homepage();
    for (size_t i = 0; i < kTexts.size(); ++i) {
        if (Args().textOptions[i]->count() > 0) {
            page.*kTexts[i].field = Args().texts.*kTexts[i].field;
        }
    }
    return Finish("QDX_UpdateHomepageInfo", Service().update_homepage(Args().user, page),
                  {{"user", Args().user}});
}

int RunDelete() {
    return Finish("QDX_DeleteHomepageInfo", Service().delete_homepage(Args().user),
                  {{"user", Args().user}});
}
} // namespace

void AddHomepageCommands(CLI::App& app) {
    auto* homepage = app.add_subcommand("homepage", "The user's homepage record");

    auto* get = homepage->add_subcommand("get", "Show the homepage record");
    get->add_option("--user", Args().user, "User id of the owner")->required();
    get->footer("Example:\n  vanta homepage get --user ann");
    OnSelected(*get, RunGet);

    auto* set = homepage->add_subcommand(
        "set", "Write the homepage record; texts not given keep their stored values");
    set->add_option("--user", Args().user, "User id of the owner")->required();
    for (size_t i = 0; i < kTexts.size(); ++i) {
        std::string option = std::string("--") + kTexts[i].name;
        std::replace(option.begin(), option.end(), '_', '-');
        Args().textOptions[i] =
            set->add_option(option, Args().texts.*kTexts[i].field, kTexts[i].help);
    }
    set->footer("Example:\n  vanta homepage set --user ann --title \"Ann's pictures\" --theme 2");
    OnSelected(*set, RunSet);

    auto* del = homepage->add_subcommand("delete", "Delete the homepage record");
    del->add_option("--user", Args().user, "User id of the owner")->required();
    del->footer("Example:\n  vanta homepage delete --user ann");
    OnSelected(*del, RunDelete);
}
