#include "cli/output.h"

#include "cli/cli_common.h"
#include "cli/exit_status.h"
#include "cli/terminal_text.h"
#include "vanta/transport.h"

#include <cctype>
#include <iostream>

namespace {
// What the library recorded of the last failure on this thread: 2 when the service answered
// and refused, an HTTP error status included.
constexpr unsigned int kServiceAnswered = 2;

// What a script may rely on: the exit status of each kind of failure. The client counts an
// error page (HTTP 500, say) as a network failure, since a retry may well succeed; to a user the
// service was reached and failed the request, which is exit 1, not a broken network. Only the
// commands that run on this thread can tell: a job's failure was recorded on its worker.
int ExitStatusOf(vanta::ErrorCategory category) {
    switch (category) {
    case vanta::ErrorCategory::network:
        return QDX_GetLastFailureKind() == kServiceAnswered ? kExitFailed : kExitNetwork;
    case vanta::ErrorCategory::cancelled:
        return kExitInterrupted;
    case vanta::ErrorCategory::invalid_argument:
        return kExitUsage; // refused before anything was sent
    default:
        return kExitFailed;
    }
}

// The category's name in the capitals of the result names: "WRONG_PASSWORD".
std::string ResultName(vanta::ErrorCategory category) {
    std::string name(vanta::to_string(category));
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return name;
}

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

struct Envelope {
    int exitStatus = kExitSuccess;
    std::string reason; // "" on success
    Fields exportName;  // null when no operation ran
    Fields code;        // the export's code, null when no operation ran
    std::string resultName;
};

void PrintJson(const Envelope& envelope, const Fields& fields) {
    const bool ok = envelope.exitStatus == kExitSuccess;
    Fields out;
    out["command"] = CurrentCommand();
    out["ok"] = ok;
    out["exit_status"] = envelope.exitStatus;
    out["reason"] = ok ? Fields() : Fields(envelope.reason);
    out["export"] = envelope.exportName;
    out["result"] = envelope.code;
    out["result_name"] = envelope.resultName;
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

int Finish(const std::string& exportName, const vanta::Error* error, const Fields& fields,
           unsigned int successCode) {
    Envelope envelope{kExitSuccess, "", exportName, successCode, "SUCCESS"};
    if (error != nullptr) {
        const bool cancelled = error->category == vanta::ErrorCategory::cancelled;
        envelope = {ExitStatusOf(error->category),
                    (cancelled ? "interrupted: " : "") + error->reason, exportName, error->code,
                    ResultName(error->category)};
    }
    if (Options().verbose) {
        std::cerr << "* " << exportName << ": " << envelope.resultName << " ("
                  << envelope.code.dump() << ")\n";
    }
    if (Options().json) {
        PrintJson(envelope, fields);
    } else if (!Options().quiet && error == nullptr) {
        PrintText(fields, "");
    }
    std::cout.flush();
    if (error != nullptr) {
        PrintFailureLine(envelope.reason);
    }
    return envelope.exitStatus;
}

int Fail(int exitStatus, const std::string& reason) {
    if (Options().json) {
        const char* name = exitStatus == kExitUsage         ? "USAGE"
                           : exitStatus == kExitNetwork     ? "NETWORK_FAILURE"
                           : exitStatus == kExitInterrupted ? "INTERRUPTED"
                                                            : "FAILED";
        PrintJson({exitStatus, reason, Fields(), Fields(), name}, Fields::object());
        std::cout.flush();
    }
    PrintFailureLine(reason);
    return exitStatus;
}
