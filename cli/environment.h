// vanta's changes to its own environment, which the library reads as a program's settings
// (--server in place of VANTA_SERVER, ...). The POSIX twin uses setenv, the Win32 twin the C
// runtime's _putenv_s, whose environment getenv reads there.
#pragma once

#include <string>

// Sets $`name` to `value` for this process, replacing what was there.
void SetEnvironment(const char* name, const std::string& value);
