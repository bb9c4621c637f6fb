// The registry, as the library reads it: a file in the registry editor's export format.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Vanta Inc\Apps]
//   "Server"="host"
//
// The file's path comes from $VANTA_REGISTRY (default /etc/vanta/registry.reg). Files as the
// editor writes them (UTF-16LE with a byte-order mark, CR LF) and plain 8-bit files with LF
// are both read. The three calls keep their contracts: no file or no key, the open fails; no
// value, the query fails; a value that does not fit the caller's buffer, the query fails.
//
// Opening never blocks and never throws: only a regular file under 1 MiB is read, so a FIFO,
// a directory or a device at the path is a file that cannot be read.
#pragma once

#include "framework/win_types.h"

#include <string>

struct RegistryKey;
typedef RegistryKey* HKEY;
typedef DWORD REGSAM;
typedef long LSTATUS;

extern const HKEY HKEY_LOCAL_MACHINE;

inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;

LSTATUS RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result);
// `data` may be null to ask for the size only. A string value's size counts its final NUL.
LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                         unsigned char* data, DWORD* dataSize);
LSTATUS RegCloseKey(HKEY key);

// Where the registry file is looked for, and whether $VANTA_REGISTRY named it.
std::string RegistryFilePath();
bool RegistryFileNamed();

// Why the last RegOpenKeyExA on the calling thread could not read the file ("No such file or
// directory", "not a regular file", ...); "" when it was read. RegistryFileAbsent tells that
// nothing at all was at the path.
const std::string& RegistryFileError();
bool RegistryFileAbsent();
