// Readers of the asset programs' replies, kept apart from the requests so that the exports and
// the fuzzers run one and the same parsing code. Each returns the export's result code.
#pragma once

#include "vanta/assets.h"
#include "vanta/collections.h"
#include "vanta/cstring.h"

// get_asset.exe for one asset: 1 or 256, as QDX_GetAssetInfo.
unsigned int ReadAssetInfoReply(const CString& answer, QDX_CAssetInfo& info);

// get_asset.exe for a product's assets: 1, 256 or 2048, as QDX_GetAssetList. The records read
// before a FAIL or NOROWS stay appended to `assets` and are the caller's.
unsigned int ReadAssetListReply(const CString& answer, const CString& userNum, CObList& assets);

// get_stats.exe: 1, 256 or 2048, as QDX_GetAssetStats, with the same ownership as the list.
unsigned int ReadAssetStatsReply(const CString& answer, CObList& stats);
