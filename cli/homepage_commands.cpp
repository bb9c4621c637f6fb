// vanta homepage get|set|delete: the user's homepage record.
#include "cli/cli_common.h"

#include <array>
#include <string>

namespace {
constexpr std::array<const char*, 5> kTexts = {"title", "heading", "body", "theme", "reply"};

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

void AddGet(CLI::App& homepage) {
    auto* get = homepage.add_subcommand("get", "Read the homepage record");
    get->add_option("USER", Args().user)->required();
    get->callback([] {
        Page page;
        const unsigned int code = page.Read(Args().user);
        nlohmann::ordered_json fields = nlohmann::ordered_json::object();
        if (code == 1) {
            for (size_t i = 0; i < kTexts.size(); ++i) {
                fields[kTexts[i]] = page.texts[i].str();
            }
        } else if (!page.texts[0].IsEmpty()) {
            // FAIL or NOROWS: the service's word on why.
            fields["marker"] = page.texts[0].str();
        }
        throw CLI::RuntimeError(Report("QDX_GetHomepageInfo", code, 1, fields));
    });
}

void AddSet(CLI::App& homepage) {
    auto* set = homepage.add_subcommand(
        "set", "Write the homepage record; texts not given keep their stored values");
    set->add_option("USER", Args().user)->required();
    for (size_t i = 0; i < kTexts.size(); ++i) {
        Args().textOptions[i] = set->add_option(std::string("--") + kTexts[i], Args().texts[i]);
    }
    set->callback([] {
        Page page;
        if (page.Read(Args().user) != 1) {
            page = Page(); // no record yet: start from empty texts
        }
        for (size_t i = 0; i < kTexts.size(); ++i) {
            if (Args().textOptions[i]->count() > 0) {
                page.texts[i] = CString(Args().texts[i]);
            }
        }
        const auto& t = page.texts;
        const unsigned int code = QDX_UpdateHomepageInfo(CString(Args().user), t[0], t[1], t[2],
                                                         t[3], t[4], CliStatusCallback());
        throw CLI::RuntimeError(Report("QDX_UpdateHomepageInfo", code, 1, {{"user", Args().user}}));
    });
}

void AddDelete(CLI::App& homepage) {
    auto* del = homepage.add_subcommand("delete", "Delete the homepage record");
    del->add_option("USER", Args().user)->required();
    del->callback([] {
        const unsigned int code = QDX_DeleteHomepageInfo(CString(Args().user), CliStatusCallback());
        throw CLI::RuntimeError(Report("QDX_DeleteHomepageInfo", code, 1, {{"user", Args().user}}));
    });
}
} // namespace

void AddHomepageCommands(CLI::App& app) {
    auto* homepage = app.add_subcommand("homepage", "The user's homepage record");
    homepage->require_subcommand(1);
    AddGet(*homepage);
    AddSet(*homepage);
    AddDelete(*homepage);
}
