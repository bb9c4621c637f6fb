// What the tests of the vanta command share: running the real binary, its --json output held
// to the written schema, and its failure line.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "json_schema_check.h"

namespace vanta::test {

inline ChildResult Vanta(std::vector<std::string> args, ChildOptions options = {}) {
    args.insert(args.begin(), CliPath());
    options.unsetEnv.push_back("VANTA_PASSWORD");
    if (options.timeout == std::chrono::milliseconds(60000)) {
        options.timeout = std::chrono::seconds(30);
    }
    return RunChild(args, options);
}

inline const nlohmann::json& OutputSchema() {
    static const nlohmann::json schema = [] {
        std::ifstream in(std::string(VANTA_SOURCE_DIR) + "/docs/vanta-json.schema.json");
        return nlohmann::json::parse(in);
    }();
    return schema;
}

// The problems of one --json output against the envelope and its command's part of the
// schema, closed: a field the schema does not name is a problem too.
inline std::vector<std::string> OutputSchemaProblems(const nlohmann::json& out) {
    const nlohmann::json& root = OutputSchema();
    if (!out.is_object() || !out.contains("command")) {
        return {"not an object with a command: " + out.dump()};
    }
    nlohmann::json merged = root["$defs"]["envelope"];
    const std::string command = out["command"];
    if (!command.empty()) {
        nlohmann::json own = root["$defs"].value(command, nlohmann::json());
        if (own.is_null()) {
            // A command group named without its command fails before any command runs.
            if (out.value("ok", true)) {
                return {"the schema has no part for " + command};
            }
            own = nlohmann::json::object();
        }
        while (own.contains("$ref")) {
            own = root["$defs"][own["$ref"].get<std::string>().substr(8)];
        }
        const nlohmann::json properties = own.value("properties", nlohmann::json::object());
        for (const auto& property : properties.items()) {
            merged["properties"][property.key()] = property.value();
        }
        if (out.value("ok", false)) {
            for (const auto& name : own.value("required", nlohmann::json::array())) {
                merged["required"].push_back(name);
            }
        }
    }
    return SchemaProblems(root, merged, out, true);
}

// The lines a run wrote on stderr.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

} // namespace vanta::test
