#include "cli/help_formatter.h"

#include <sstream>

namespace {
// Option names and values take the left column; descriptions are wrapped to the rest of 80
// columns at the top level and stay within 100 at the deepest command.
constexpr std::size_t kNameColumn = 30;
constexpr std::size_t kDescriptionWidth = 46;
constexpr std::size_t kFooterWidth = 80;

// The parser appends each check's description to the type name after a colon ("PORT:INT in
// [1 - 65535]", "FILE:FILE"): the name is what comes before the first colon that is not
// inside brackets, so that "HOST[:PORT]" stays whole.
std::string WithoutCheckTexts(const std::string& typeName) {
    int depth = 0;
    for (std::size_t i = 0; i < typeName.size(); ++i) {
        if (typeName[i] == '[') {
            ++depth;
        } else if (typeName[i] == ']') {
            --depth;
        } else if (typeName[i] == ':' && depth == 0) {
            return typeName.substr(0, i);
        }
    }
    return typeName;
}

bool Repeatable(const CLI::Option& option) {
    return option.get_expected_max() >= CLI::detail::expected_max_vector_size;
}
} // namespace

std::string ValueName(const CLI::Option& option) {
    if (option.get_type_size() == 0) {
        return "";
    }
    const std::string repeat = Repeatable(option) ? " ..." : "";
    if (option.get_positional()) {
        return repeat;
    }
    return WithoutCheckTexts(option.get_type_name()) + repeat;
}

std::string WrapText(const std::string& text, std::size_t width) {
    std::string wrapped;
    std::istringstream lines(text);
    std::string line;
    bool firstLine = true;
    while (std::getline(lines, line)) {
        wrapped += firstLine ? "" : "\n";
        firstLine = false;
        std::istringstream words(line);
        std::string word;
        std::size_t used = 0;
        while (words >> word) {
            if (used > 0 && used + 1 + word.size() > width) {
                wrapped += '\n';
                used = 0;
            } else if (used > 0) {
                wrapped += ' ';
                ++used;
            }
            wrapped += word;
            used += word.size();
        }
    }
    return wrapped;
}

namespace {
// The blank at which `line` is best broken to fit `width` with " \\" after it: the last one
// outside quotes after the line's first word; npos when there is none.
std::size_t BreakPoint(const std::string& line, std::size_t width) {
    const std::size_t text = line.find_first_not_of(' ');
    std::size_t best = std::string::npos;
    char quote = 0;
    for (std::size_t i = text; i < line.size() && i + 2 <= width; ++i) {
        if (quote != 0) {
            quote = line[i] == quote ? 0 : quote;
        } else if (line[i] == '\'' || line[i] == '"') {
            quote = line[i];
        } else if (line[i] == ' ') {
            best = i;
        }
    }
    return best;
}
} // namespace

std::string WrapCommandLines(const std::string& footer, std::size_t width) {
    std::string wrapped;
    std::istringstream lines(footer);
    std::string line;
    bool firstLine = true;
    while (std::getline(lines, line)) {
        wrapped += firstLine ? "" : "\n";
        firstLine = false;
        // Only the examples, which are indented, are command lines; prose stays as written.
        const std::size_t indent = line.find_first_not_of(' ');
        while (indent != 0 && indent != std::string::npos && line.size() > width) {
            const std::size_t cut = BreakPoint(line, width);
            if (cut == std::string::npos) {
                break;
            }
            wrapped += line.substr(0, cut) + " \\\n";
            line = std::string(indent + 4, ' ') + line.substr(cut + 1);
        }
        wrapped += line;
    }
    return wrapped;
}

HelpFormatter::HelpFormatter() {
    column_width(kNameColumn);
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
    const std::string value = ValueName(*option);
    std::string opts = value.empty() || value.front() == ' ' ? value : " " + value;
    if (option->get_required() && !option->get_positional()) {
        opts += " (required)";
    }
    return opts;
}

std::string HelpFormatter::make_option_desc(const CLI::Option* option) const {
    return WrapText(option->get_description(), kDescriptionWidth);
}

std::string HelpFormatter::make_subcommand(const CLI::App* command) const {
    std::ostringstream out;
    CLI::detail::format_help(out, command->get_name(),
                             WrapText(command->get_description(), kDescriptionWidth),
                             column_width_);
    return out.str();
}

// As the parser's own, but a command group shows its commands expanded too, not only their
// names, so that --help-all holds every option of every command.
std::string HelpFormatter::make_expanded(const CLI::App* command) const {
    std::ostringstream out;
    out << command->get_display_name(true) << "\n";
    out << WrapText(command->get_description(), kNameColumn + kDescriptionWidth) << "\n";
    out << make_positionals(command);
    out << make_groups(command, CLI::AppFormatMode::Sub);
    out << make_subcommands(command, CLI::AppFormatMode::All);
    std::string text = CLI::detail::find_and_replace(out.str(), "\n\n", "\n");
    text.pop_back();
    return CLI::detail::find_and_replace(text, "\n", "\n  ") + "\n";
}

std::string HelpFormatter::make_footer(const CLI::App* command) const {
    const std::string footer = command->get_footer();
    return footer.empty() ? footer : WrapCommandLines(footer, kFooterWidth) + "\n";
}

std::string HelpFormatter::make_description(const CLI::App* command) const {
    const std::string description = CLI::Formatter::make_description(command);
    return description.empty() ? description
                               : WrapText(description, kNameColumn + kDescriptionWidth) + "\n";
}
