// A private directory inside a target directory, where a download waits until it is checked.
// It is made with mode 0700 under a name nobody else uses, so nothing can be swapped in while
// the file is checked; the file leaves it by a rename within the same file system. The
// directory and whatever it still holds are removed when the object goes.
#pragma once

#include <string>

class StagingDirectory {
public:
    // Makes "<targetDir>/.<name>.XXXXXX"; Path() is empty when that failed (errno says why).
    StagingDirectory(const std::string& targetDir, const std::string& name);
    StagingDirectory(const StagingDirectory&) = delete;
    StagingDirectory& operator=(const StagingDirectory&) = delete;
    ~StagingDirectory();

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
