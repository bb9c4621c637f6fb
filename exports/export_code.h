// An operation's typed outcome as the result code of the export that ran it: its success code,
// or the code its Error carries.
#pragma once

#include "vanta/result_codes.h"
#include "vanta/results.hpp"

template <class T>
unsigned int ExportCode(const vanta::Result<T>& outcome,
                        unsigned int success = vanta::result::kSuccess) {
    return outcome ? success : outcome.error().code;
}
