// Private local directories that the library makes for a while and takes away again: the
// staging directory of the self-update, a share's directory for its info file.
#pragma once

#include <string>

// Makes a new directory named `prefix` and six characters nobody else used, that only this
// user may enter (mode 0700; on Windows, the parent's permissions, which in the user's own
// temporary directory are the user's). Its path, or "" when none could be made (errno says
// why).
std::string MakeUniqueDirectory(const std::string& prefix);

// Removes the files directly inside the directory `path` (nothing else is ever put there),
// then the directory itself. Best effort: what cannot be removed stays.
void RemoveDirectoryWithFiles(const std::string& path);

// Removes the directory `path` if it is empty. True when it was removed.
bool RemoveEmptyDirectory(const std::string& path);
