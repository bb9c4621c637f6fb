// vanta user validate|register|get|update|delete: the user's account on the service.
#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/field_values.h"
#include "cli/output.h"
#include "cli/password_source.h"

#include <array>
#include <optional>
#include <string>

namespace {
// The account details that registration, the record and the update share: option and JSON
// name, and where the detail sits among the record's seventeen values.
struct Detail {
    const char* name;
    const char* help;
    size_t recordValue;
};
constexpr std::array<Detail, 12> kDetails = {{{"first_name", "First name", 2},
                                              {"last_name", "Last name", 3},
                                              {"address", "Street address", 4},
                                              {"city", "City", 5},
                                              {"state", "State", 6},
                                              {"zip", "Postal code", 7},
                                              {"email", "Mail address", 8},
                                              {"day_phone", "Daytime phone", 10},
                                              {"extension", "Phone extension", 12},
                                              {"fax", "Fax number", 13},
                                              {"night_phone", "Evening phone", 14},
                                              {"middle_initial", "Middle initial", 16}}};
constexpr size_t kCodeValue = 17;

struct UserArgs {
    std::string user;
    unsigned int product = 0;
    bool passwordStdin = false;
    std::array<std::string, kDetails.size()> details;
    std::string code;
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
                     "else a prompt at a terminal)");
}

void AddDetailOptions(CLI::App& command) {
    for (size_t i = 0; i < kDetails.size(); ++i) {
        Args().detailOptions[i] =
            command.add_option(OptionName(kDetails[i].name), Args().details[i], kDetails[i].help);
    }
    Args().codeOption =
        command.add_option("--code", Args().code, "The account's code (a customer code)");
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

int RunValidate() {
    int failure = 0;
    const std::optional<std::string> password = Password(failure);
    if (!password) {
        return failure;
    }
    const unsigned int code =
        QDX_ValidateUser(CString(Args().user), CString(*password),
                         CString(std::to_string(Args().product)), CliStatusCallback());
    const bool valid = code == 1 || code == 2 || code == 4 || code == 6;
    Fields fields = {{"user", Args().user}, {"product", Args().product}, {"valid", valid}};
    if (valid) {
        fields["published"] = (code & 4) != 0;
        fields["has_homepage"] = (code & 2) != 0;
    }
    return Finish("QDX_ValidateUser", code, fields);
}

int RunRegister() {
    int failure = 0;
    const std::optional<std::string> typed = Password(failure);
    if (!typed) {
        return failure;
    }
    const auto& d = Args().details;
    CString userOut, userNumber, message;
    CString password(*typed);
    CString product(std::to_string(Args().product));
    const unsigned int code = QDX_RegisterNewUser(
        CString(Args().user), userNumber, CString(d[0]), CString(d[1]), CString(d[2]),
        CString(d[3]), CString(d[4]), CString(d[5]), CString(d[6]), CString(d[7]), userOut,
        password, product, message, CString(d[8]), CString(d[9]), CString(d[10]), CString(d[11]),
        CString(Args().code), CliStatusCallback());
    const char* kind = code == 65      ? "new"
                       : code == 4097  ? "existing"
                       : code == 32769 ? "new_product"
                                       : nullptr;
    Fields fields = {{"user", Args().user}, {"product", Args().product}};
    if (kind != nullptr) {
        fields["registration"] = kind;
        fields["user_number"] = IntegerOrNull(userNumber.str());
        fields["message"] = message.str();
    }
    return Finish("QDX_RegisterNewUser", code, fields);
}

// The user's record as QDX_GetUserInfo hands it back: values 1 to 17, 9, 11 and 15 numbers.
struct UserRecord {
    std::array<CString, kCodeValue + 1> text;
    long userNumber = 0;
    unsigned int assetCount = 0;
    unsigned int productCount = 0;

    unsigned int Read(const std::string& user) {
        return QDX_GetUserInfo(CString(user), text[1], text[2], text[3], text[4], text[5], text[6],
                               text[7], text[8], userNumber, text[10], assetCount, text[12],
                               text[13], text[14], productCount, text[16], text[17],
                               CliStatusCallback());
    }
};

int RunGet() {
    UserRecord record;
    const unsigned int code = record.Read(Args().user);
    Fields fields = {{"user", Args().user}};
    if (code == 1) {
        fields["user"] = record.text[1].str();
        for (const Detail& detail : kDetails) {
            fields[detail.name] = record.text[detail.recordValue].str();
        }
        fields["code"] = record.text[kCodeValue].str();
        fields["user_number"] = record.userNumber;
        fields["asset_count"] = record.assetCount;
        fields["product_count"] = record.productCount;
    }
    return Finish("QDX_GetUserInfo", code, fields);
}

int RunUpdate() {
    int failure = 0;
    const std::optional<std::string> password = Password(failure);
    if (!password) {
        return failure;
    }
    // The service replaces every detail: start from the stored ones.
    UserRecord record;
    if (const unsigned int read = record.Read(Args().user); read != 1) {
        return Finish("QDX_GetUserInfo", read, {{"user", Args().user}});
    }
    std::array<CString, kDetails.size()> d;
    for (size_t i = 0; i < kDetails.size(); ++i) {
        d[i] = Args().detailOptions[i]->count() > 0 ? CString(Args().details[i])
                                                    : record.text[kDetails[i].recordValue];
    }
    const CString code =
        Args().codeOption->count() > 0 ? CString(Args().code) : record.text[kCodeValue];
    const unsigned int result =
        QDX_UpdateUser(CString(Args().user), CString(*password), d[0], d[1], d[2], d[3], d[4], d[5],
                       d[6], d[7], d[8], d[9], d[10], d[11], code, CliStatusCallback());
    return Finish("QDX_UpdateUser", result, {{"user", Args().user}});
}

int RunDelete() {
    const unsigned int code = QDX_DeleteUser(CString(Args().user), CliStatusCallback());
    return Finish("QDX_DeleteUser", code, {{"user", Args().user}});
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
    del->footer("Example:\n  vanta user delete --user ann");
    OnSelected(*del, RunDelete);
}
