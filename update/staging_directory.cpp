#include "update/staging_directory.h"

#include <cstdlib>
#include <dirent.h>
#include <string_view>
#include <unistd.h>

StagingDirectory::StagingDirectory(const std::string& targetDir, const std::string& name) {
    std::string pattern = targetDir + "/." + name + ".XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = std::move(pattern);
    }
}

StagingDirectory::~StagingDirectory() {
    if (m_path.empty()) {
        return;
    }
    // Only files are ever put here (the fetch's own temporary files included).
    if (DIR* dir = ::opendir(m_path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view entryName = entry->d_name;
            if (entryName != "." && entryName != "..") {
                ::unlinkat(dirfd(dir), entry->d_name, 0);
            }
        }
        ::closedir(dir);
    }
    ::rmdir(m_path.c_str());
}
