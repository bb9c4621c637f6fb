#include "update/staging_directory.h"

#include "os/local_directories.h"

StagingDirectory::StagingDirectory(const std::string& targetDir, const std::string& name)
    : m_path(MakeUniqueDirectory(targetDir + "/." + name + ".")) {}

StagingDirectory::~StagingDirectory() {
    if (!m_path.empty()) {
        // Only files are ever put here (the fetch's own temporary files included).
        RemoveDirectoryWithFiles(m_path);
    }
}
