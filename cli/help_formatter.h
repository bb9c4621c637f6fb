// Help text in the tool's own words: an option's value named as the tool names it (no parser
// type or check text), descriptions wrapped so that no line is wider than a terminal, and
// --help-all showing every command at every depth with its options.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

class HelpFormatter : public CLI::Formatter {
public:
    HelpFormatter();
    std::string make_option_opts(const CLI::Option* option) const override;
    std::string make_option_desc(const CLI::Option* option) const override;
    std::string make_subcommand(const CLI::App* command) const override;
    std::string make_expanded(const CLI::App* command) const override;
    std::string make_footer(const CLI::App* command) const override;
    std::string make_description(const CLI::App* command) const override;
};

// The value an option takes as the help names it ("PORT", "FILE", "TEXT ..."); "" for a flag
// and for a positional argument, whose name already names its value (" ..." when repeatable).
std::string ValueName(const CLI::Option& option);

// `text` with its words re-flowed into lines of at most `width` characters (a word longer
// than that stands alone); line feeds in `text` are kept.
std::string WrapText(const std::string& text, std::size_t width);

// `footer` (a command's examples) with each indented line, a command, that is longer than
// `width` continued on the next after a backslash, broken only at blanks outside quotes, so
// that it still pastes into a shell.
std::string WrapCommandLines(const std::string& footer, std::size_t width);
