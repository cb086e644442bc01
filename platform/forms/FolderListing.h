// Inside the library: what the folder and file lists read of a folder, through
// the file services (GBK names, either separator, any letter case).
#pragma once

#include <string>
#include <vector>

namespace win {

struct FolderEntry {
    std::string name; // GBK
    bool folder;
    bool readOnly;
};

// The folder a path names as a GBK Linux path ('/' separators, no trailing one
// but for the root), or empty when the path names no folder.
std::string ResolveFolder(const std::string &path);
// The entries of `folder` matching `mask` ("*.*" is every name), without "."
// and ".." and without the hidden names that start with '.', sorted by name
// without regard to ASCII letter case.
std::vector<FolderEntry> ListFolder(const std::string &folder, const std::string &mask);
// `name` inside `folder`.
std::string JoinFolder(const std::string &folder, const std::string &name);

} // namespace win
