// The POSIX twin of vanta's environment changes.
#include "cli/environment.h"

#include <cstdlib>

void SetEnvironment(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}
