// vanta: the command-line tool over the library's C++ interface.
#include "cli/arguments.h"
#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/help_formatter.h"
#include "cli/manual_page.h"
#include "cli/output.h"
#include "cli/service_address.h"
#include "cli/usage_errors.h"

#include <iostream>
#include <string>
#include <string_view>

namespace {
// The tool's release and that of the library it loaded; the library's version record keeps
// its own fixed texts for callers that read it, and is no release number.
std::string VersionText() {
    return std::string("vanta ") + VANTA_RELEASE_VERSION + " (library " +
           vanta::Client::release_version() + ")";
}

// The main help's footer; the defaults it names are the library's own.
std::string Footer() {
    using namespace vanta::defaults;
    return R"(Run 'vanta COMMAND --help' for a command's options and an example,
'vanta --help-all' for every command at once.

Exit status:
  0    success (an empty list included)
  1    the service refused, or the operation failed
  2    the command line or a setting was wrong; nothing was sent
  3    network failure: the service could not be reached or the connection broke
  130  interrupted (Ctrl-C)
Every failure prints one line on stderr: vanta: COMMAND: REASON

Where the service is and how it is reached (the first that is set wins):
  host       --server, VANTA_SERVER, the registry file's "Server", )" +
           std::string(host) + R"(
  HTTP port  --server HOST:PORT, VANTA_HTTP_PORT, )" +
           std::to_string(http_port) + R"(
  FTP port   --ftp-port, VANTA_FTP_PORT, )" +
           std::to_string(ftp_port) + R"(
  TLS        --tls or --no-tls, VANTA_TLS, the registry file's "TLS", off
  CA file    --ca-file, VANTA_CA_FILE, the registry file's "CAFile", none
  login      --login, VANTA_LOGIN, the registry file's "Login", the documented one
  update key --key (update download), VANTA_UPDATE_KEY, the registry file's "UpdateKey", none
The registry file is VANTA_REGISTRY, default /etc/vanta/registry.reg.

Environment:
  VANTA_PASSWORD        password for the commands that need one, when
                        --password-stdin is not given (else a prompt at a terminal)
  VANTA_LOGIN_PASSWORD  password of the login (else the registry file's
                        "LoginPassword"); never taken from the command line
  VANTA_HTTPS_PORT      the service's HTTPS port when TLS is on ()" +
           std::to_string(https_port) + R"()
  VANTA_FTP_TIMEOUT_MS  how long an FTP connection may make no progress ()" +
           std::to_string(ftp_timeout.count()) + R"()
  VANTA_RETRIES         retries of a request that failed on the network (else
                        the registry file's "Retries", else )" +
           std::to_string(vanta::RetryPolicy{}.retries) + R"(); --retries wins
  VANTA_PARALLEL_TRANSFERS  files an upload or a share sends at once ()" +
           std::to_string(parallel_transfers) + R"(); --parallel wins)";
}

struct GlobalArgs {
    std::string server;
    unsigned int ftpPort = 0;
    bool tls = false;
    bool noTls = false;
    std::string caFile;
    std::string login;
    unsigned int retries = 0;
};

// The command line's settings go over the environment's and the registry file's; a source
// that cannot be used (a registry file that was named and cannot be read, a host value that
// cannot be a host, ...) ends the run as a usage error rather than being silently replaced.
int ApplyGlobalOptions(const GlobalArgs& args, const CLI::App& app) {
    ServiceFlags flags;
    if (app.count("--server") > 0) {
        std::string why;
        flags.address = ParseServerOption(args.server, why);
        if (!flags.address) {
            return Fail(kExitUsage, why);
        }
    }
    flags.ftpPort = args.ftpPort;
    if (args.tls || args.noTls) {
        flags.tls = args.tls;
    }
    if (app.count("--ca-file") > 0) {
        flags.caFile = args.caFile;
    }
    if (app.count("--login") > 0) {
        flags.login = args.login;
    }
    if (app.count("--retries") > 0) {
        flags.retries = args.retries;
    }
    PutInPlaceOfEnvironment(flags);
    vanta::Config config = vanta::Config::from_environment();
    // A setting that cannot be used is the user's to mend: nothing is sent with whatever
    // would stand in its place.
    if (!config.problems.empty()) {
        return Fail(kExitUsage, config.problems + "; nothing was sent");
    }
    UseConfig(std::move(config));
    return kExitSuccess;
}
} // namespace

int main(int argc, char** systemArgv) {
    const Utf8Console console;
    // In UTF-8 on every platform; CLI11 parses from these, which live for the whole run.
    std::vector<std::string> arguments = Utf8Arguments(argc, systemArgv);
    std::vector<char*> argvStore;
    for (std::string& argument : arguments) {
        argvStore.push_back(argument.data());
    }
    argvStore.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    char** const argv = argvStore.data();

    CLI::App app{"vanta: work with the publishing service from the command line", "vanta"};
    app.footer(Footer());
    app.set_version_flag("--version", VersionText(),
                         "Print the release of vanta and of the library");
    app.set_help_all_flag("--help-all", "Print the help of every command");
    app.formatter(std::make_shared<HelpFormatter>()); // before the commands, which take it

    GlobalArgs global;
    app.add_flag("--verbose,-v", Options().verbose,
                 "Name each status notification and each operation's result on stderr");
    app.add_flag("--quiet,-q", Options().quiet,
                 "Print no progress bar and no results, only failure lines (and --json)");
    app.add_flag("--json", Options().json, "Print the result as one JSON object");
    app.add_option("--server", global.server,
                   "Service host, HOST[:HTTP-PORT] or [IPv6]:PORT (over VANTA_SERVER and the "
                   "registry file)")
        ->type_name("HOST[:PORT]");
    app.add_option("--ftp-port", global.ftpPort, "Service FTP port (over VANTA_FTP_PORT)")
        ->check(CLI::Range(1, 65535))
        ->type_name("PORT");
    auto* tls = app.add_flag("--tls", global.tls,
                             "Reach the service over HTTPS and explicit FTPS, certificates "
                             "checked (over VANTA_TLS and the registry file)");
    app.add_flag("--no-tls", global.noTls, "Reach the service in clear (over VANTA_TLS)")
        ->excludes(tls);
    app.add_option("--ca-file", global.caFile,
                   "Trust this CA (PEM) beside the system's (over VANTA_CA_FILE)")
        ->check(ExistingLocalFile())
        ->type_name("FILE");
    app.add_option("--login", global.login,
                   "Login name for both channels (over VANTA_LOGIN); its password only "
                   "from VANTA_LOGIN_PASSWORD or the registry file")
        ->type_name("NAME");
    app.add_option("--retries", global.retries,
                   "Repeat a request that failed on the network up to N times (a write only "
                   "when it never reached the service); a file transfer that broke off goes "
                   "on where it stopped (over VANTA_RETRIES)")
        ->check(CLI::Range(0, 100))
        ->type_name("N");
    app.fallthrough();

    AddUserCommands(app);
    AddAssetCommands(app);
    AddUploadCommands(app);
    AddEmailCommand(app);
    AddHomepageCommands(app);
    AddFtpCommands(app);
    AddVersionCommand(app);
    AddUpdateCommands(app);
    AddRequestCommand(app);
    PrepareUsageChecks(app);
    if (argc == 2 && std::string_view(argv[1]) == kManualReferenceArgument) {
        std::cout << ManualReference(app);
        return kExitSuccess;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        return app.exit(done); // --help, --help-all, --version
    } catch (const CLI::ParseError& error) {
        CurrentCommand() = CommandPath(app);
        return Fail(kExitUsage, UsageReason(app, error));
    }
    CurrentCommand() = CommandPath(app);
    if (!SelectedAction()) {
        // `vanta` alone included: a command line that does nothing is a usage error.
        return Fail(kExitUsage, MissingCommandReason(app));
    }
    if (const int status = ApplyGlobalOptions(global, app); status != kExitSuccess) {
        return status;
    }
    try {
        return SelectedAction()();
    } catch (const CLI::ValidationError& error) {
        return Fail(kExitUsage, std::string(error.what()) + UsageHint(CurrentCommand()));
    }
}
