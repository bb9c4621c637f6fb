// vanta homepage get|set|delete: the user's homepage record.
#include "cli/cli_common.h"
#include "cli/output.h"

#include <algorithm>
#include <array>
#include <string>

namespace {
struct Text {
    const char* name; // JSON name; the option is the same with "-" for "_"
    const char* help;
};
constexpr std::array<Text, 5> kTexts = {{{"title", "Page title"},
                                         {"heading", "Heading above the body"},
                                         {"body", "Body text"},
                                         {"theme", "Theme (the service's number of a design)"},
                                         {"reply_to", "Address that visitors' replies go to"}}};

struct HomepageArgs {
    std::string user;
    std::array<std::string, kTexts.size()> texts;
    std::array<CLI::Option*, kTexts.size()> textOptions{};
};

HomepageArgs& Args() {
    static HomepageArgs args;
    return args;
}

struct Page {
    std::array<CString, kTexts.size()> texts;

    unsigned int Read(const std::string& user) {
        return QDX_GetHomepageInfo(CString(user), texts[0], texts[1], texts[2], texts[3], texts[4],
                                   CliStatusCallback());
    }
};

int RunGet() {
    Page page;
    const unsigned int code = page.Read(Args().user);
    Fields fields = {{"user", Args().user}};
    std::string reason;
    if (code == 1) {
        for (size_t i = 0; i < kTexts.size(); ++i) {
            fields[kTexts[i].name] = page.texts[i].str();
        }
    } else if (page.texts[0] == "NOROWS") {
        reason = "the user has no homepage record";
    } else if (page.texts[0] == "FAIL") {
        reason = "the service refused (unknown user?)";
    }
    return Finish("QDX_GetHomepageInfo", code, fields, reason);
}

int RunSet() {
    // The service replaces the whole record: start from the stored texts, if any.
    // Only a missing record starts from empty texts: after any other failure the stored
    // texts are unknown, and writing would lose them.
    Page page;
    if (const unsigned int read = page.Read(Args().user); read != 1) {
        if (page.texts[0] != "NOROWS") {
            return Finish("QDX_GetHomepageInfo", read, {{"user", Args().user}},
                          page.texts[0] == "FAIL" ? "the service refused (unknown user?)" : "");
        }
        page = Page();
    }
    for (size_t i = 0; i < kTexts.size(); ++i) {
        if (Args().textOptions[i]->count() > 0) {
            page.texts[i] = CString(Args().texts[i]);
        }
    }
    const auto& t = page.texts;
    const unsigned int code = QDX_UpdateHomepageInfo(CString(Args().user), t[0], t[1], t[2], t[3],
                                                     t[4], CliStatusCallback());
    return Finish("QDX_UpdateHomepageInfo", code, {{"user", Args().user}});
}

int RunDelete() {
    const unsigned int code = QDX_DeleteHomepageInfo(CString(Args().user), CliStatusCallback());
    return Finish("QDX_DeleteHomepageInfo", code, {{"user", Args().user}});
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
        Args().textOptions[i] = set->add_option(option, Args().texts[i], kTexts[i].help);
    }
    set->footer("Example:\n  vanta homepage set --user ann --title \"Ann's pictures\" --theme 2");
    OnSelected(*set, RunSet);

    auto* del = homepage->add_subcommand("delete", "Delete the homepage record");
    del->add_option("--user", Args().user, "User id of the owner")->required();
    del->footer("Example:\n  vanta homepage delete --user ann");
    OnSelected(*del, RunDelete);
}
