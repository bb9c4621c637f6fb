// Usage errors in the tool's words: which command, what is wrong, where the help is.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

// Command groups (user, asset, ...) take their command as the next word; one that names
// none, or an unknown one, is reported here rather than by the parser's generic messages.
void PrepareUsageChecks(CLI::App& app);

// The command chosen so far, as typed ("user get"); "" for the tool itself.
std::string CommandPath(const CLI::App& app);

// " (see 'vanta user get --help')"
std::string UsageHint(const std::string& command);

// The reason for a parse failure: an unknown command named as such, else the parser's text.
std::string UsageReason(const CLI::App& app, const CLI::ParseError& error);

// The reason when a command group was given without one of its commands.
std::string MissingCommandReason(const CLI::App& app);
