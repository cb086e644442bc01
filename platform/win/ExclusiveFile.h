// Temporary files a program writes for itself in a folder other users may share:
// made under a fresh name, exclusively and for this user alone, so that no file
// or symbolic link planted under a name known in advance is ever written through.
#pragma once

#include <cstdio>
#include <string>

namespace win {

// This user's own folder for the programs' temporary files, "tmp" in the runtime
// folder, as a path in the programs' form ending in '/'; made with mode 0700 on
// first use. Empty when there is no runtime folder or the folder cannot be made.
std::string PrivateTempFolder();

// Creates a new file "<folder><prefix><six random letters or digits><suffix>",
// with mode 0600, exclusively: never an existing file and never through a
// symbolic link. `folder` is a path in the programs' form ending in a separator;
// empty means PrivateTempFolder(). The stream is open for binary reading and
// writing; `path` receives the file's name in the programs' form (for win::remove
// and the like). Null with errno set on failure.
std::FILE *CreateExclusiveFile(const std::string &folder, const char *prefix, const char *suffix,
                               std::string &path);

} // namespace win
