// The registry, as the library reads its configuration: one value of a key under
// HKEY_LOCAL_MACHINE. On Windows that is the system's registry (os/win32/registry.cpp); elsewhere
// it is a file in the registry editor's export format (os/posix/registry_file.cpp):
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Vanta Inc\Apps]
//   "Server"="host"
//
// The file's path comes from $VANTA_REGISTRY (default /etc/vanta/registry.reg). Files as the
// editor writes them (UTF-16LE with a byte-order mark, CR LF) and plain 8-bit files with LF
// are both read. The file's RegOpenKeyExA, RegQueryValueExA and RegCloseKey (os/windows_api.h)
// keep their contracts: no file or no key, the open fails; no value, the query fails; a value
// that does not fit the caller's buffer, the query fails.
//
// Opening never blocks and never throws: only a regular file under 1 MiB is read, so a FIFO,
// a directory or a device at the path is a file that cannot be read.
#pragma once

#include "framework/win_types.h"
#include "os/windows_api.h"

#include <string>

// Value `name` of HKEY_LOCAL_MACHINE\`subKey`, as RegQueryValueExA gives it: its type, and in
// `data` (`*dataSize` bytes; on return the value's size) a string with its final NUL or a
// DWORD's four bytes. Strings are UTF-8 (on Windows, converted from the registry's UTF-16).
// ERROR_FILE_NOT_FOUND when there is no such key or value (or no file), ERROR_MORE_DATA when
// the value does not fit `data`; `data` may be null to ask for the size only.
LSTATUS ReadRegistryValue(const char* subKey, const char* name, DWORD* type, unsigned char* data,
                          DWORD* dataSize);

// Where the registry file is looked for, and whether $VANTA_REGISTRY named it. On Windows
// there is no file: "" and false.
std::string RegistryFilePath();
bool RegistryFileNamed();

// Why the last read on the calling thread could not read the file ("No such file or
// directory", "not a regular file", ...); "" when it was read (always, on Windows).
// RegistryFileAbsent tells that nothing at all was at the path.
const std::string& RegistryFileError();
bool RegistryFileAbsent();
