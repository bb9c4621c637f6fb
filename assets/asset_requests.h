// Registration of a new asset, for the upload worker.
#pragma once

#include "vanta/collections.h"

class UploadJob;

// Registers the asset of `job` whose files the service is to know as `fileNames` (bare names,
// in transfer order; the job's m_nTotalBytes already holds their total size). On success the
// asset number goes behind m_pAssetNum, the asset id into m_strAssetId and the password
// behind m_pPassword, as far as the reply carries them.
// 1: registered; 256: the service answered FAIL (nothing stored); 32: channel failure.
unsigned int CreateAsset(UploadJob* job, const CStringArray& fileNames);
