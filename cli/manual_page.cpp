#include "cli/manual_page.h"

#include "cli/help_formatter.h"

namespace {
// Text as roff shows it literally: backslashes and hyphens escaped, and a line that starts
// with a control character made plain text.
std::string Roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) {
            out += "\\&";
        }
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
        lineStart = c == '\n';
    }
    return out;
}

std::string Bold(const std::string& text) {
    return "\\fB" + Roff(text) + "\\fR";
}

std::string Italic(const std::string& text) {
    return "\\fI" + Roff(text) + "\\fR";
}

// "--verbose, -v" for an option; the name in italics for a positional argument.
std::string OptionTerm(const CLI::Option& option) {
    std::string term;
    if (option.get_positional()) {
        term = Italic(option.get_name(true, false));
    } else {
        for (const auto& name : option.get_lnames()) {
            term += (term.empty() ? "" : ", ") + Bold("--" + name);
        }
        for (const auto& name : option.get_snames()) {
            term += (term.empty() ? "" : ", ") + Bold("-" + name);
        }
    }
    const std::string value = ValueName(option);
    if (value == " ...") {
        term += " ...";
    } else if (!value.empty()) {
        term += " " + Italic(value);
    }
    return term;
}

// The options a command takes. Every command also takes the help flags that the parser adds
// to it: they are listed once, with the tool's own options.
std::vector<const CLI::Option*> OwnOptions(const CLI::App& command) {
    return command.get_options([&command](const CLI::Option* option) {
        return command.get_parent() == nullptr ||
               (option != command.get_help_ptr() && option != command.get_help_all_ptr());
    });
}

void AddOptionList(std::string& page, const std::vector<const CLI::Option*>& options) {
    for (const CLI::Option* option : options) {
        page += ".TP\n" + OptionTerm(*option);
        if (option->get_required() && !option->get_positional()) {
            page += " (required)";
        }
        page += "\n" + Roff(option->get_description()) + "\n";
    }
}

std::string FullName(const CLI::App& command) {
    const CLI::App* parent = command.get_parent();
    return parent == nullptr ? command.get_name() : FullName(*parent) + " " + command.get_name();
}

// "vanta user validate --user TEXT --product TEXT [--password-stdin]"
std::string Synopsis(const CLI::App& command) {
    std::string synopsis = Bold(FullName(command));
    for (const CLI::Option* option : OwnOptions(command)) {
        std::string term;
        if (option->get_positional()) {
            term = Italic(option->get_name(true, false));
        } else if (!option->get_lnames().empty()) {
            term = Bold("--" + option->get_lnames().front());
        } else {
            term = Bold("-" + option->get_snames().front()); // a named option has one or other
        }
        const std::string value = ValueName(*option);
        if (!option->get_positional() && !value.empty()) {
            term += " " + Italic(value);
        } else if (value == " ...") {
            term += " ...";
        }
        synopsis += " " + (option->get_required() ? term : "[" + term + "]");
    }
    return synopsis;
}

void AddCommand(std::string& page, const CLI::App& command) {
    const auto commands = command.get_subcommands({});
    page += ".SS \"" + FullName(command) + "\"\n";
    if (commands.empty()) {
        page += Synopsis(command) + "\n.PP\n";
    }
    page += Roff(command.get_description()) + "\n";
    if (commands.empty()) {
        AddOptionList(page, OwnOptions(command));
        if (!command.get_footer().empty()) {
            page += ".PP\n.nf\n" + Roff(WrapCommandLines(command.get_footer(), 72)) + "\n.fi\n";
        }
    }
    for (const CLI::App* sub : commands) {
        AddCommand(page, *sub);
    }
}
} // namespace

std::string ManualReference(const CLI::App& app) {
    std::string page = ".SH OPTIONS\nThese go before the command; --help and --help-all also "
                       "after it.\n";
    AddOptionList(page, OwnOptions(app));
    page += ".SH COMMANDS\n";
    for (const CLI::App* command : app.get_subcommands({})) {
        AddCommand(page, *command);
    }
    return page;
}
