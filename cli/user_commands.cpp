// vanta user validate|register|get|update|delete: the user's account on the service.
#include "cli/cli_common.h"

#include <array>
#include <string>

namespace {
// The detail texts that registration and update share, by option name, in the order of the
// user record's texts 2 to 8, 10, 12 to 14 and 16.
constexpr std::array<const char*, 12> kDetails = {"first", "last", "addr", "city", "st",    "zip",
                                                  "email", "day",  "ex",   "fax",  "night", "mid"};

struct UserArgs {
    std::string user;
    std::string password;
    std::string product;
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

CString Text(const std::string& text) {
    return CString(text);
}

void AddDetailOptions(CLI::App& command, const char* codeName) {
    for (size_t i = 0; i < kDetails.size(); ++i) {
        Args().detailOptions[i] =
            command.add_option(std::string("--") + kDetails[i], Args().details[i]);
    }
    Args().codeOption = command.add_option(std::string("--") + codeName, Args().code,
                                           "The account's code (sent as Code / CC)");
}

void AddValidate(CLI::App& user) {
    auto* validate = user.add_subcommand(
        "validate", "Check a login for a product (exit 0 when valid, with or without flags)");
    validate->add_option("USER", Args().user)->required();
    validate->add_option("PASSWORD", Args().password)->required();
    validate->add_option("PRODUCT", Args().product)->required();
    validate->callback([] {
        const unsigned int code = QDX_ValidateUser(Text(Args().user), Text(Args().password),
                                                   Text(Args().product), CliStatusCallback());
        // 2, 4 and 6 are valid logins too: they only add the service's two flags.
        const bool valid = code == 1 || code == 2 || code == 4 || code == 6;
        nlohmann::ordered_json fields = {{"user", Args().user}, {"valid", valid}};
        if (valid) {
            fields["first_flag"] = (code & 4) != 0;
            fields["second_flag"] = (code & 2) != 0;
        }
        throw CLI::RuntimeError(Report("QDX_ValidateUser", code, valid ? code : 1, fields));
    });
}

void AddRegister(CLI::App& user) {
    auto* reg = user.add_subcommand(
        "register", "Register an account, or a further product for it (exit 0 when registered)");
    reg->add_option("USER", Args().user, "Customer id")->required();
    reg->add_option("PASSWORD", Args().password)->required();
    reg->add_option("PRODUCT", Args().product, "Product number")->required();
    AddDetailOptions(*reg, "code");
    reg->callback([] {
        const auto& d = Args().details;
        CString value1, value3, value4;
        CString password = Text(Args().password);
        CString product = Text(Args().product);
        const unsigned int code = QDX_RegisterNewUser(
            Text(Args().user), value3, Text(d[0]), Text(d[1]), Text(d[2]), Text(d[3]), Text(d[4]),
            Text(d[5]), Text(d[6]), Text(d[7]), value1, password, product, value4, Text(d[8]),
            Text(d[9]), Text(d[10]), Text(d[11]), Text(Args().code), CliStatusCallback());
        const bool registered = code == 65 || code == 4097 || code == 32769;
        nlohmann::ordered_json fields = nlohmann::ordered_json::object();
        if (code != 32) {
            fields = {{"status", value1.str()}, {"value3", value3.str()}, {"value4", value4.str()}};
        }
        throw CLI::RuntimeError(
            Report("QDX_RegisterNewUser", code, registered ? code : 65, fields));
    });
}

// The user's record as QDX_GetUserInfo hands it back.
struct UserRecord {
    std::array<CString, 18> text; // 1..17; 9, 11 and 15 are numbers
    long number9 = 0;
    unsigned int number11 = 0;
    unsigned int number15 = 0;

    unsigned int Read(const CString& user) {
        return QDX_GetUserInfo(user, text[1], text[2], text[3], text[4], text[5], text[6], text[7],
                               text[8], number9, text[10], number11, text[12], text[13], text[14],
                               number15, text[16], text[17], CliStatusCallback());
    }
};

// Where each detail sits among the record's texts.
constexpr std::array<int, kDetails.size()> kDetailText = {2, 3, 4, 5, 6, 7, 8, 10, 12, 13, 14, 16};

void AddGet(CLI::App& user) {
    auto* get = user.add_subcommand("get", "Read the account's record");
    get->add_option("USER", Args().user)->required();
    get->callback([] {
        UserRecord record;
        const unsigned int code = record.Read(Text(Args().user));
        nlohmann::ordered_json fields = nlohmann::ordered_json::object();
        if (code == 1) {
            fields["user"] = record.text[1].str();
            for (size_t i = 0; i < kDetails.size(); ++i) {
                fields[kDetails[i]] = record.text[static_cast<size_t>(kDetailText[i])].str();
            }
            fields["code"] = record.text[17].str();
            fields["number9"] = record.number9;
            fields["number11"] = record.number11;
            fields["number15"] = record.number15;
        }
        throw CLI::RuntimeError(Report("QDX_GetUserInfo", code, 1, fields));
    });
}

void AddUpdate(CLI::App& user) {
    auto* update = user.add_subcommand(
        "update", "Change the account's details; details not given keep their stored values");
    update->add_option("USER", Args().user)->required();
    update->add_option("PASSWORD", Args().password)->required();
    AddDetailOptions(*update, "cc");
    update->callback([] {
        UserRecord record;
        if (const unsigned int read = record.Read(Text(Args().user)); read != 1) {
            throw CLI::RuntimeError(
                Report("QDX_GetUserInfo", read, 1, {{"note", "the record could not be read"}}));
        }
        std::array<CString, kDetails.size()> d;
        for (size_t i = 0; i < kDetails.size(); ++i) {
            d[i] = Args().detailOptions[i]->count() > 0
                       ? Text(Args().details[i])
                       : record.text[static_cast<size_t>(kDetailText[i])];
        }
        const CString cc = Args().codeOption->count() > 0 ? Text(Args().code) : record.text[17];
        const unsigned int code =
            QDX_UpdateUser(Text(Args().user), Text(Args().password), d[0], d[1], d[2], d[3], d[4],
                           d[5], d[6], d[7], d[8], d[9], d[10], d[11], cc, CliStatusCallback());
        throw CLI::RuntimeError(Report("QDX_UpdateUser", code, 1, {{"user", Args().user}}));
    });
}

void AddDelete(CLI::App& user) {
    auto* del = user.add_subcommand("delete", "Delete the account");
    del->add_option("USER", Args().user)->required();
    del->callback([] {
        const unsigned int code = QDX_DeleteUser(Text(Args().user), CliStatusCallback());
        throw CLI::RuntimeError(Report("QDX_DeleteUser", code, 1, {{"user", Args().user}}));
    });
}
} // namespace

void AddUserCommands(CLI::App& app) {
    auto* user = app.add_subcommand("user", "User accounts on the service");
    user->require_subcommand(1);
    AddValidate(*user);
    AddRegister(*user);
    AddGet(*user);
    AddUpdate(*user);
    AddDelete(*user);
}
