#include "cli/output.h"

#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/outcome.h"
#include "cli/terminal_text.h"

#include <iostream>

namespace {
std::string TextValue(const Fields& value) {
    if (value.is_string()) {
        return EscapeForTerminal(value.get<std::string>());
    }
    if (value.is_null()) {
        return "-";
    }
    return value.dump();
}

void PrintText(const Fields& fields, const std::string& indent) {
    for (const auto& [key, value] : fields.items()) {
        if (value.is_object()) {
            std::cout << indent << key << ":\n";
            PrintText(value, indent + "  ");
        } else if (value.is_array()) {
            std::cout << indent << key << ": " << value.size() << '\n';
            size_t number = 0;
            for (const auto& entry : value) {
                if (entry.is_object()) {
                    std::cout << indent << "  [" << ++number << "]\n";
                    PrintText(entry, indent + "    ");
                } else {
                    std::cout << indent << "  - " << TextValue(entry) << '\n';
                }
            }
        } else {
            std::cout << indent << key << ": " << TextValue(value) << '\n';
        }
    }
}

void PrintJson(const Outcome& outcome, const std::string& exportName, const unsigned int* code,
               const Fields& fields) {
    Fields out;
    out["command"] = CurrentCommand();
    out["ok"] = outcome.ok();
    out["exit_status"] = outcome.exitStatus;
    out["reason"] = outcome.ok() ? Fields() : Fields(outcome.reason);
    out["export"] = exportName.empty() ? Fields() : Fields(exportName);
    out["result"] = code != nullptr ? Fields(*code) : Fields();
    out["result_name"] = outcome.name;
    for (const auto& [key, value] : fields.items()) {
        out[key] = value;
    }
    // Texts are 8-bit, not UTF-8: a byte JSON cannot carry shows as U+FFFD rather than
    // aborting the command.
    std::cout << out.dump(2, ' ', false, Fields::error_handler_t::replace) << '\n';
}
} // namespace

void PrintFailureLine(const std::string& reason) {
    const std::string& command = CurrentCommand();
    std::cerr << "vanta: " << (command.empty() ? "" : command + ": ") << EscapeForTerminal(reason)
              << '\n';
}

int Finish(const std::string& exportName, unsigned int code, const Fields& fields,
           const std::string& reason) {
    Outcome outcome = ClassifyResult(exportName, code);
    if (!outcome.ok() && !reason.empty()) {
        outcome.reason = reason;
    }
    if (Options().verbose) {
        std::cerr << "* " << exportName << ": " << outcome.name << " (" << code << ")\n";
    }
    if (Options().json) {
        PrintJson(outcome, exportName, &code, fields);
    } else if (!Options().quiet && outcome.ok()) {
        PrintText(fields, "");
    }
    std::cout.flush();
    if (!outcome.ok()) {
        PrintFailureLine(outcome.reason);
    }
    return outcome.exitStatus;
}

int Fail(int exitStatus, const std::string& reason) {
    if (Options().json) {
        const char* name = exitStatus == kExitUsage         ? "USAGE"
                           : exitStatus == kExitNetwork     ? "NETWORK_FAILURE"
                           : exitStatus == kExitInterrupted ? "INTERRUPTED"
                                                            : "FAILED";
        PrintJson({name, exitStatus, reason}, "", nullptr, Fields::object());
        std::cout.flush();
    }
    PrintFailureLine(reason);
    return exitStatus;
}
