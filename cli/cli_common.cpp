#include "cli/cli_common.h"

#include <cstdio>
#include <iostream>
#include <map>

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
        return "STATUS";
    }
}

unsigned long WINAPI PrintStatus(unsigned long status, void* /*info*/, unsigned long length) {
    std::fprintf(stderr, "  [status %lu %s, %lu bytes of info]\n", status, StatusName(status),
                 length);
    return 0;
}

// Names that hold for every export; exports with their own meanings add to them.
const std::map<unsigned int, std::string>& CommonNames() {
    static const std::map<unsigned int, std::string> names = {
        {0, "FAILED"},           {1, "SUCCESS"},
        {8, "LOCAL_FILE_ERROR"}, {16, "BUSY_OR_FTP_ERROR"},
        {32, "CHANNEL_FAILURE"}, {128, "NO_SPACE"},
        {256, "SERVICE_FAIL"},   {1024, "NOT_FOUND"},
        {2048, "NOROWS"},        {16384, "CANCELLED"}};
    return names;
}
} // namespace

CliOptions& Options() {
    static CliOptions options;
    return options;
}

StatusCallback CliStatusCallback() {
    return Options().verbose ? &PrintStatus : nullptr;
}

std::string ResultName(const std::string& exportName, unsigned int code) {
    static const std::map<std::string, std::map<unsigned int, std::string>> special = {
        {"QDX_ValidateUser",
         {{2, "FLAG_THIRD"},
          {4, "FLAG_SECOND"},
          {6, "FLAGS_BOTH"},
          {1024, "STATUS_2"},
          {8192, "STATUS_1"},
          {9216, "STATUS_3"}}},
        {"QDX_RegisterNewUser",
         {{0, "UNKNOWN_KIND"},
          {65, "NEW"},
          {256, "ERROR"},
          {4097, "OLD"},
          {8192, "WRONG_PASSWORD"},
          {32769, "NEWAPP"}}},
        {"QDX_GetUserInfo", {{256, "QDX_FAIL"}}},
        {"QDX_GetServerVersion", {{0, "VERSION_DIFFERS"}}},
        {"QDX_GetAssetUploadStatus", {{16384, "NO_JOB_OR_CANCELLED"}}},
    };
    std::string name = "UNKNOWN";
    if (const auto byExport = special.find(exportName); byExport != special.end()) {
        if (const auto found = byExport->second.find(code); found != byExport->second.end()) {
            name = found->second;
        }
    }
    if (name == "UNKNOWN") {
        if (const auto found = CommonNames().find(code); found != CommonNames().end()) {
            name = found->second;
        }
    }
    return name + " (" + std::to_string(code) + ")";
}

int Report(const std::string& exportName, unsigned int code, unsigned int success,
           const nlohmann::ordered_json& fields) {
    if (Options().json) {
        nlohmann::ordered_json out;
        out["export"] = exportName;
        out["result"] = code;
        out["result_name"] = ResultName(exportName, code);
        for (const auto& [key, value] : fields.items()) {
            out[key] = value;
        }
        // Texts are 8-bit, not UTF-8: a byte JSON cannot carry shows as U+FFFD rather than
        // aborting the command.
        std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << '\n';
    } else {
        std::cout << exportName << ": " << ResultName(exportName, code) << '\n';
        for (const auto& [key, value] : fields.items()) {
            std::cout << "  " << key << ": "
                      << (value.is_string() ? value.get<std::string>() : value.dump()) << '\n';
        }
    }
    return code == success ? 0 : 1;
}
