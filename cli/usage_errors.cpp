#include "cli/usage_errors.h"

namespace {
// The deepest command chosen on the command line.
const CLI::App* Deepest(const CLI::App& app) {
    const CLI::App* current = &app;
    for (;;) {
        const auto chosen = current->get_subcommands();
        if (chosen.empty()) {
            return current;
        }
        current = chosen.front();
    }
}

std::string CommandNames(const CLI::App& group) {
    std::string names;
    for (const CLI::App* command : group.get_subcommands({})) {
        names += (names.empty() ? "" : ", ") + command->get_name();
    }
    return names;
}
} // namespace

void PrepareUsageChecks(CLI::App& app) {
    for (CLI::App* group : app.get_subcommands({})) {
        if (!group->get_subcommands({}).empty()) {
            group->require_subcommand(0, 1);
        }
    }
    app.require_subcommand(0, 1);
}

std::string CommandPath(const CLI::App& app) {
    std::string path;
    for (const CLI::App* current = &app;;) {
        const auto chosen = current->get_subcommands();
        if (chosen.empty()) {
            return path;
        }
        current = chosen.front();
        path += (path.empty() ? "" : " ") + current->get_name();
    }
}

std::string UsageHint(const std::string& command) {
    return " (see 'vanta " + (command.empty() ? std::string() : command + " ") + "--help')";
}

std::string UsageReason(const CLI::App& app, const CLI::ParseError& error) {
    const CLI::App* deepest = Deepest(app);
    const std::string command = CommandPath(app);
    const auto extras = app.remaining();
    const bool isGroup = !deepest->get_subcommands({}).empty();
    if (isGroup && !extras.empty() && !extras.front().empty() && extras.front()[0] != '-') {
        return "unknown command '" + extras.front() + "'; the commands are " +
               CommandNames(*deepest) + UsageHint(command);
    }
    if (!extras.empty() && extras.front().size() > 1 && extras.front()[0] == '-') {
        return "unknown option '" + extras.front() + "'" + UsageHint(command);
    }
    return error.what() + UsageHint(command);
}

std::string MissingCommandReason(const CLI::App& app) {
    const CLI::App* deepest = Deepest(app);
    const std::string command = CommandPath(app);
    const std::string usage = "vanta " + (command.empty() ? "" : command + " ") + "COMMAND ...";
    return "a command is needed (" + usage + "): " + CommandNames(*deepest) + UsageHint(command);
}
