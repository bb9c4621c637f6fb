// Writes registry files in the registry's export format, as the library reads them from
// $VANTA_REGISTRY: the header line, a blank line, the key and its "Server" value.
#pragma once

#include <string>

namespace vanta::test {

enum class RegistryEncoding {
    Ascii,     // bytes as given, LF line ends
    Utf16LeBom // as regedit exports: byte-order mark FF FE, UTF-16LE, CR LF line ends
};

struct RegistryFileOptions {
    // The text between the quotes of "Server"="...", written as given (no escaping; for
    // Utf16LeBom every byte becomes one UTF-16 unit, which is right for ASCII).
    std::string server = "127.0.0.1";
    RegistryEncoding encoding = RegistryEncoding::Ascii;
    bool withKey = true;   // false: no [HKEY_LOCAL_MACHINE\...\Apps] line (nor the value)
    bool withValue = true; // false: the key without its "Server" value
};

// Writes the file to `path`, replacing it. Throws std::runtime_error.
void WriteRegistryFile(const std::string& path, const RegistryFileOptions& options = {});

} // namespace vanta::test
