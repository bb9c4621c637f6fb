// The POSIX twin of the private directories: mkdtemp, and a directory read for the removal.
#include "os/local_directories.h"

#include <cstdlib>
#include <dirent.h>
#include <string_view>
#include <unistd.h>

std::string MakeUniqueDirectory(const std::string& prefix) {
    std::string pattern = prefix + "XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void RemoveDirectoryWithFiles(const std::string& path) {
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view entryName = entry->d_name;
            if (entryName != "." && entryName != "..") {
                ::unlinkat(dirfd(dir), entry->d_name, 0);
            }
        }
        ::closedir(dir);
    }
    ::rmdir(path.c_str());
}

bool RemoveEmptyDirectory(const std::string& path) {
    return ::rmdir(path.c_str()) == 0;
}
