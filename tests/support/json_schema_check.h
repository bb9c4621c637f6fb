// Checks a JSON value against the small part of JSON Schema that the vanta output schema
// (docs/vanta-json.schema.json) uses: "$ref" into "$defs", "type" (one or a list), "required",
// "properties", "items", "enum" and "pattern". Enough to hold the tool to its written schema
// without a validator package.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace vanta::test {

// The problems found, each naming the path of the value ("$.assets[0].created: ..."); empty
// when `value` conforms. With `closed`, an object may hold no property that its schema does
// not name (so the written schema cannot fall behind the tool).
std::vector<std::string> SchemaProblems(const nlohmann::json& root, const nlohmann::json& schema,
                                        const nlohmann::json& value, bool closed,
                                        const std::string& path = "$");

} // namespace vanta::test
