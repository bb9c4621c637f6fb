#include "json_schema_check.h"

#include <regex>

namespace vanta::test {

namespace {
const nlohmann::json& Resolve(const nlohmann::json& root, const nlohmann::json& schema) {
    if (!schema.contains("$ref")) {
        return schema;
    }
    const std::string ref = schema["$ref"];
    const std::string prefix = "#/$defs/";
    if (ref.rfind(prefix, 0) != 0) {
        throw std::runtime_error("unsupported $ref " + ref);
    }
    return Resolve(root, root["$defs"].at(ref.substr(prefix.size())));
}

bool HasType(const nlohmann::json& value, const std::string& type) {
    if (type == "object")
        return value.is_object();
    if (type == "array")
        return value.is_array();
    if (type == "string")
        return value.is_string();
    if (type == "integer")
        return value.is_number_integer();
    if (type == "number")
        return value.is_number();
    if (type == "boolean")
        return value.is_boolean();
    if (type == "null")
        return value.is_null();
    throw std::runtime_error("unsupported type " + type);
}
} // namespace

std::vector<std::string> SchemaProblems(const nlohmann::json& root, const nlohmann::json& schemaRef,
                                        const nlohmann::json& value, bool closed,
                                        const std::string& path) {
    const nlohmann::json& schema = Resolve(root, schemaRef);
    std::vector<std::string> problems;
    if (schema.contains("type")) {
        const nlohmann::json types =
            schema["type"].is_array() ? schema["type"] : nlohmann::json::array({schema["type"]});
        bool any = false;
        for (const auto& type : types) {
            any = any || HasType(value, type);
        }
        if (!any) {
            return {path + ": " + value.dump() + " is not " + schema["type"].dump()};
        }
    }
    if (schema.contains("enum") &&
        std::find(schema["enum"].begin(), schema["enum"].end(), value) == schema["enum"].end()) {
        problems.push_back(path + ": " + value.dump() + " is not one of " + schema["enum"].dump());
    }
    if (schema.contains("pattern") && value.is_string() &&
        !std::regex_search(value.get<std::string>(),
                           std::regex(schema["pattern"].get<std::string>()))) {
        problems.push_back(path + ": " + value.dump() + " does not match " +
                           schema["pattern"].get<std::string>());
    }
    if (value.is_object()) {
        for (const auto& name : schema.value("required", nlohmann::json::array())) {
            if (!value.contains(name)) {
                problems.push_back(path + ": missing " + name.get<std::string>());
            }
        }
        const nlohmann::json properties = schema.value("properties", nlohmann::json::object());
        for (const auto& [name, member] : value.items()) {
            if (properties.contains(name)) {
                for (auto& problem :
                     SchemaProblems(root, properties[name], member, closed, path + "." + name)) {
                    problems.push_back(std::move(problem));
                }
            } else if (closed) {
                problems.push_back(path + ": " + name + " is not in the schema");
            }
        }
    }
    if (value.is_array() && schema.contains("items")) {
        for (size_t i = 0; i < value.size(); ++i) {
            for (auto& problem : SchemaProblems(root, schema["items"], value[i], closed,
                                                path + "[" + std::to_string(i) + "]")) {
                problems.push_back(std::move(problem));
            }
        }
    }
    return problems;
}

} // namespace vanta::test
