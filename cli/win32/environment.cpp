// The Win32 twin of vanta's environment changes: the C runtime's copy, which getenv reads.
#include "cli/environment.h"

#include <cstdlib>

void SetEnvironment(const char* name, const std::string& value) {
    _putenv_s(name, value.c_str());
}
