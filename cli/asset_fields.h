// An asset record as the tool prints it: the reply's fields by what they mean.
#pragma once

#include "cli/output.h"
#include "vantaapi.h"

#include <string>
#include <vector>

// Every field of `info`, typed: numbers as numbers, the creation date as ISO 8601 (null when
// the reply carried none), the file names as a list.
Fields AssetFields(const QDX_CAssetInfo& info);

// The file names the service keeps for the asset, in order ("a.jpg|b.jpg" in the record).
std::vector<std::string> AssetFileNames(const QDX_CAssetInfo& info);
