#include "cli/cli_common.h"

#include "cli/terminal_text.h"

#include <cstdio>

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

void WINAPI PrintTraceLine(const char* line) {
    std::fprintf(stderr, "%s\n", EscapeForTerminal(line != nullptr ? line : "").c_str());
}

unsigned long WINAPI PrintStatus(unsigned long status, void* /*info*/, unsigned long /*length*/) {
    std::fprintf(stderr, "* %s (%lu)\n", StatusName(status), status);
    return 0;
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

void EnableWireTrace() {
    QDX_SetTraceCallback(&PrintTraceLine);
}

StatusCallback CliStatusCallback() {
    return Options().verbose ? &PrintStatus : nullptr;
}
