// Registration of a new asset, for the upload worker.
#pragma once

#include "vanta/collections.h"

namespace vanta::internal {
class Job;
}

// Registers the asset of `job` whose files the service is to know as `fileNames` (bare names,
// in transfer order; the job's total already holds their size). On success the asset number,
// asset id and password go into the job as far as the reply carries them, and the job is
// marked registered.
// 1: registered; 256: the service answered FAIL (nothing stored); 32: channel failure.
unsigned int CreateAsset(vanta::internal::Job& job, const CStringArray& fileNames);
