// The manual page's options and commands, in roff, written from the command tree itself, so
// that the page names every command and option the parser accepts and nothing else. The build
// puts it into cli/man/vanta.1.in.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

// The hidden argument that makes vanta print ManualReference(app) and exit; only the build
// uses it, so it is in no help text.
inline constexpr const char* kManualReferenceArgument = "--manual-reference";

// ".SH OPTIONS" with the tool's own options, then ".SH COMMANDS" with each command at every
// depth: its synopsis, description, options and example.
std::string ManualReference(const CLI::App& app);
