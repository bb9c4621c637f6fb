// Writes a registry file in the registry's export format, as the library reads it from
// $VANTA_REGISTRY: the header line, a blank line, the key and its "Server" value.
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>

namespace vanta::test {

struct RegistryFileOptions {
    std::string server = "127.0.0.1"; // between the quotes of "Server"="...", as given
};

// Writes the file to `path`, replacing it. Throws std::runtime_error.
inline void WriteRegistryFile(const std::string& path, const RegistryFileOptions& options = {}) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "Windows Registry Editor Version 5.00\n\n"
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]\n"
        << "\"Server\"=\"" << options.server << "\"\n";
    if (!out.flush()) {
        throw std::runtime_error("cannot write the registry file " + path);
    }
}

} // namespace vanta::test
