#include "cli/cli_common.h"

#include "cli/terminal_text.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {
// The status's name in capitals, as the Internet status constants spell it: "RESOLVING_NAME".
std::string StatusName(const vanta::StatusNotification& status) {
    const std::string_view name = to_string(status.status());
    if (name.empty()) {
        return "UNKNOWN_STATUS";
    }
    std::string capitals(name);
    for (char& c : capitals) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return capitals;
}

std::optional<vanta::Client>& Client() {
    static std::optional<vanta::Client> client;
    return client;
}

// --parallel of the command being run, when given.
std::optional<unsigned int>& ParallelTransfers() {
    static std::optional<unsigned int> connections;
    return connections;
}
} // namespace

CliOptions& Options() {
    static CliOptions options;
    return options;
}

std::string& CurrentCommand() {
    static std::string command;
    return command;
}

std::function<int()>& SelectedAction() {
    static std::function<int()> action;
    return action;
}

void OnSelected(CLI::App& command, std::function<int()> action) {
    command.callback([action = std::move(action)] { SelectedAction() = action; });
}

const vanta::Client& Service() {
    if (!Client()) {
        Client().emplace(vanta::Config::from_environment());
    }
    return *Client();
}

void AddParallelOption(CLI::App& command) {
    command
        .add_option("--parallel", ParallelTransfers(),
                    "Send up to N files at once over N connections, each logged in once "
                    "(default " +
                        std::to_string(vanta::defaults::parallel_transfers) +
                        ", over VANTA_PARALLEL_TRANSFERS; 1: one after another)")
        ->check(CLI::Range(1U, vanta::defaults::max_parallel_transfers))
        ->type_name("N");
}

void UseConfig(vanta::Config config) {
    if (Options().verbose) {
        // Both run on the thread doing the network work, a job's worker too: one fprintf per
        // line keeps lines whole.
        config.on_status = [](const vanta::StatusNotification& status) {
            std::fprintf(stderr, "* %s (%lu)\n", StatusName(status).c_str(), status.code);
        };
        vanta::set_trace_handler([](std::string_view line) {
            std::fprintf(stderr, "%s\n", EscapeForTerminal(line).c_str());
        });
    }
    if (ParallelTransfers()) {
        config.parallel_transfers = *ParallelTransfers();
    }
    Client().emplace(std::move(config));
}

std::filesystem::path LocalPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::vector<std::filesystem::path> LocalPaths(const std::vector<std::string>& utf8) {
    std::vector<std::filesystem::path> paths;
    for (const std::string& name : utf8) {
        paths.push_back(LocalPath(name));
    }
    return paths;
}

std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

CLI::Validator ExistingLocalFile() {
    return CLI::Validator(
        [](const std::string& name) -> std::string {
            std::error_code error;
            const auto status = std::filesystem::status(LocalPath(name), error);
            if (!std::filesystem::exists(status)) {
                return "File does not exist: " + name;
            }
            if (std::filesystem::is_directory(status)) {
                return "File is actually a directory: " + name;
            }
            return {};
        },
        "FILE");
}
