#include "registry_file.h"

#include <fstream>
#include <stdexcept>

namespace vanta::test {

void WriteRegistryFile(const std::string& path, const RegistryFileOptions& options) {
    const bool utf16 = options.encoding == RegistryEncoding::Utf16LeBom;
    const std::string eol = utf16 ? "\r\n" : "\n";
    std::string text = "Windows Registry Editor Version 5.00" + eol + eol;
    if (options.withKey) {
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vanta Inc\\Apps]" + eol;
        text += options.withValue ? "\"Server\"=\"" + options.server + "\"" + eol + eol : eol;
    }
    std::string bytes = utf16 ? std::string("\xFF\xFE", 2) : text;
    for (const char c : utf16 ? text : std::string()) {
        bytes += {c, '\0'};
    }
    if (!(std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes).flush()) {
        throw std::runtime_error("cannot write the registry file " + path);
    }
}

} // namespace vanta::test
