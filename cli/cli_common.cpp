#include "cli/cli_common.h"

#include "cli/terminal_text.h"

#include <cstdio>
#include <optional>

namespace {
const char* StatusName(unsigned long status) {
    switch (status) {
    case 10:
        return "RESOLVING_NAME";
    case 11:
        return "NAME_RESOLVED";
    case 20:
        return "CONNECTING_TO_SERVER";
    case 21:
        return "CONNECTED_TO_SERVER";
    case 30:
        return "SENDING_REQUEST";
    case 31:
        return "REQUEST_SENT";
    case 40:
        return "RECEIVING_RESPONSE";
    case 41:
        return "RESPONSE_RECEIVED";
    case 50:
        return "CLOSING_CONNECTION";
    case 51:
        return "CONNECTION_CLOSED";
    case 60:
        return "HANDLE_CREATED";
    case 70:
        return "HANDLE_CLOSING";
    default:
        return "UNKNOWN_STATUS";
    }
}

std::optional<vanta::Client>& Client() {
    static std::optional<vanta::Client> client;
    return client;
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

void UseConfig(vanta::Config config) {
    if (Options().verbose) {
        // Both run on the thread doing the network work, a job's worker too: one fprintf per
        // line keeps lines whole.
        config.on_status = [](const vanta::StatusNotification& status) {
            std::fprintf(stderr, "* %s (%lu)\n", StatusName(status.code), status.code);
        };
        vanta::set_trace_handler([](std::string_view line) {
            std::fprintf(stderr, "%s\n", EscapeForTerminal(line).c_str());
        });
    }
    Client().emplace(std::move(config));
}
