// vanta user validate|register|get|update|delete: the user's account on the service.
#include "cli/cli_common.h"
#include "cli/console.h"
#include "cli/exit_status.h"
#include "cli/field_values.h"
#include "cli/local_input.h"
#include "cli/output.h"
#include "cli/password_source.h"
#include "cli/terminal_text.h"
#include "cli/usage_errors.h"

#include <array>
#include <iostream>
#include <optional>
#include <string>

namespace {
using vanta::UserDetails;

constexpr size_t kMaxAnswerBytes = 64;

// The account details that registration, the record and the update share: option and JSON
// name, and the record's field.
struct Detail {
    const char* name;
    const char* help;
    std::string UserDetails::*field;
};
const std::array<Detail, 12> kDetails = {
    {{"first_name", "First name", &UserDetails::first_name},
     {"last_name", "Last name", &UserDetails::last_name},
     {"address", "Street address", &UserDetails::address},
     {"city", "City", &UserDetails::city},
     {"state", "State", &UserDetails::state},
     {"zip", "Postal code", &UserDetails::zip},
     {"email", "Mail address", &UserDetails::email},
     {"day_phone", "Daytime phone", &UserDetails::day_phone},
     {"extension", "Phone extension", &UserDetails::extension},
     {"fax", "Fax number", &UserDetails::fax},
     {"night_phone", "Evening phone", &UserDetails::night_phone},
     {"middle_initial", "Middle initial", &UserDetails::middle_initial}}};

struct UserArgs {
    std::string user;
    unsigned int product = 0;
    bool passwordStdin = false;
    bool yes = false; // delete without asking
    UserDetails details;
    // Options given on the command line, for the update (the others keep their values).
    std::array<CLI::Option*, kDetails.size()> detailOptions{};
    CLI::Option* codeOption = nullptr;
};

UserArgs& Args() {
    static UserArgs args;
    return args;
}

std::string OptionName(const char* name) {
    std::string option = std::string("--") + name;
    for (char& c : option) {
        c = c == '_' ? '-' : c;
    }
    return option;
}

void AddUserOption(CLI::App& command) {
    command.add_option("--user", Args().user, "User id of the account")->required();
}

void AddProductOption(CLI::App& command) {
    command.add_option("--product", Args().product, "Product number")->required();
}

void AddPasswordOption(CLI::App& command) {
    command.add_flag("--password-stdin", Args().passwordStdin,
                     "Read the password from the first line of stdin (else VANTA_PASSWORD, "
                     "else a prompt at a terminal); at most 4096 bytes");
}

void AddDetailOptions(CLI::App& command) {
    for (size_t i = 0; i < kDetails.size(); ++i) {
        Args().detailOptions[i] = command.add_option(
            OptionName(kDetails[i].name), Args().details.*kDetails[i].field, kDetails[i].help);
    }
    Args().codeOption =
        command.add_option("--code", Args().details.code, "The account's code (a customer code)");
}

// The password, or the exit status of the usage failure already reported.
std::optional<std::string> Password(int& failure) {
    std::string why;
    std::optional<std::string> password =
        ReadPassword(Args().passwordStdin, "Password for " + Args().user + ": ", why);
    if (!password) {
        failure = Fail(kExitUsage, why);
    }
    return password;
}

std::string Product() {
    return std::to_string(Args().product);
}

// The code the export gives for a valid login: its flags, or plain success without any.
unsigned int LoginCode(const vanta::Login& login) {
    using namespace vanta::result;
    const unsigned int flags = (login.has_published ? kValidPublished : 0U) |
                               (login.has_homepage ? kValidHasHomepage : 0U);
    return flags != 0 ? flags : kSuccess;
}

int RunValidate() {
    int failure = 0;
    const std::optional<std::string> password = Password(failure);
    if (!password) {
        return failure;
    }
    const auto login = Service().validate_user(Args().user, *password, Product());
    Fields fields = {
        {"user", Args().user}, {"product", Args().product}, {"valid", login.has_value()}};
    if (!login) {
        return Finish("QDX_ValidateUser", login, fields);
    }
    fields["published"] = login->has_published;
    fields["has_homepage"] = login->has_homepage;
    return Finish("QDX_ValidateUser", nullptr, fields, LoginCode(*login));
}

int RunRegister() {
    int failure = 0;
    std::optional<std::string> password = Password(failure);
    if (!password) {
        return failure;
    }
    const auto registered =
        Service().register_user({Args().user, std::move(*password), Product(), Args().details});
    Fields fields = {{"user", Args().user}, {"product", Args().product}};
    if (!registered) {
        return Finish("QDX_RegisterNewUser", registered, fields);
    }
    using Kind = vanta::Registration::Kind;
    using namespace vanta::result;
    const Kind kind = registered->kind;
    fields["registration"] = kind == Kind::new_account   ? "new"
                             : kind == Kind::new_product ? "new_product"
                                                         : "existing";
    fields["user_number"] = IntegerOrNull(registered->user_number);
    fields["message"] = registered->message;
    return Finish("QDX_RegisterNewUser", nullptr, fields,
                  kind == Kind::new_account   ? kRegisteredNew
                  : kind == Kind::new_product ? kRegisteredNewApp
                                              : kRegisteredOld);
}

int RunGet() {
    const auto user = Service().user_info(Args().user);
    Fields fields = {{"user", Args().user}};
    if (user) {
        fields["user"] = user->user_id;
        for (const Detail& detail : kDetails) {
            fields[detail.name] = user->details.*detail.field;
        }
        fields["code"] = user->details.code;
        fields["user_number"] = user->user_number;
        fields["asset_count"] = user->asset_count;
        fields["product_count"] = user->product_count;
    }
    return Finish("QDX_GetUserInfo", user, fields);
}

int RunUpdate() {
    int failure = 0;
    const std::optional<std::string> password = Password(failure);
    if (!password) {
        return failure;
    }
    // The service replaces every detail: start from the stored ones.
    const auto stored = Service().user_info(Args().user);
    if (!stored) {
        return Finish("QDX_GetUserInfo", stored, {{"user", Args().user}});
    }
    UserDetails details = stored->details;
    for (size_t i = 0; i < kDetails.size(); ++i) {
        if (Args().detailOptions[i]->count() > 0) {
            details.*kDetails[i].field = Args().details.*kDetails[i].field;
        }
    }
    if (Args().codeOption->count() > 0) {
        details.code = Args().details.code;
    }
    return Finish("QDX_UpdateUser", Service().update_user(Args().user, *password, details),
                  {{"user", Args().user}});
}

// Deleting an account cannot be undone: a person at a terminal confirms it, a script says
// --yes. Without either nothing is sent, as with any other incomplete command line.
int RunDelete() {
    if (!Args().yes) {
        if (!IsTerminal(ConsoleStream::kStdin) || !IsTerminal(ConsoleStream::kStderr)) {
            return Fail(kExitUsage, "deleting an account needs --yes when not run at a terminal" +
                                        UsageHint(CurrentCommand()));
        }
        std::cerr << "Delete the account " << EscapeForTerminal(Args().user)
                  << " on the service? Type yes to confirm: " << std::flush;
        std::string answer;
        if (ReadStdinLine(kMaxAnswerBytes, answer) != LineRead::kLine ||
            (answer != "yes" && answer != "y")) {
            return Fail(kExitUsage, "not confirmed; nothing was deleted");
        }
    }
    return Finish("QDX_DeleteUser", Service().delete_user(Args().user), {{"user", Args().user}});
}
} // namespace

void AddUserCommands(CLI::App& app) {
    auto* user = app.add_subcommand("user", "User accounts on the service");

    auto* validate =
        user->add_subcommand("validate", "Check a login for a product (exit 0 when valid)");
    AddUserOption(*validate);
    AddProductOption(*validate);
    AddPasswordOption(*validate);
    validate->footer("Example:\n  echo \"$PW\" | vanta user validate --user ann --product 3 "
                     "--password-stdin");
    OnSelected(*validate, RunValidate);

    auto* reg = user->add_subcommand("register",
                                     "Register an account, or a further product for an account");
    AddUserOption(*reg);
    AddProductOption(*reg);
    AddPasswordOption(*reg);
    AddDetailOptions(*reg);
    reg->footer("Example:\n  vanta user register --user ann --product 3 --first-name Ann "
                "--last-name Lee --email ann@example.com");
    OnSelected(*reg, RunRegister);

    auto* get = user->add_subcommand("get", "Show the account's record");
    AddUserOption(*get);
    get->footer("Example:\n  vanta user get --user ann");
    OnSelected(*get, RunGet);

    auto* update = user->add_subcommand(
        "update", "Change the account's details; details not given keep their stored values");
    AddUserOption(*update);
    AddPasswordOption(*update);
    AddDetailOptions(*update);
    update->footer("Example:\n  vanta user update --user ann --email ann@example.org");
    OnSelected(*update, RunUpdate);

    auto* del = user->add_subcommand("delete", "Delete the account");
    AddUserOption(*del);
    del->add_flag("--yes,-y", Args().yes, "Delete without asking (needed when not at a terminal)");
    del->footer("Example:\n  vanta user delete --user ann\n"
                "At a terminal it asks first; elsewhere it needs --yes, else exit 2 and nothing "
                "is sent.");
    OnSelected(*del, RunDelete);
}
