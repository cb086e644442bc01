#include "platform/forms/FolderListing.h"

#include <algorithm>
#include <strings.h>
#include <sys/stat.h>

#include "platform/win/File.h"
#include "platform/win/Path.h"

namespace win {

std::string ResolveFolder(const std::string &path)
{
    std::string native = MapPath(path);
    if (native.empty())
        return {};
    struct stat st;
    if (::stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    return NativeToWinPath(native);
}

std::string JoinFolder(const std::string &folder, const std::string &name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::vector<FolderEntry> ListFolder(const std::string &folder, const std::string &mask)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(JoinFolder(folder, mask).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (data.cFileName[0] == '.')
            continue;
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry &a, const FolderEntry &b) {
        int c = ::strcasecmp(a.name.c_str(), b.name.c_str());
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return entries;
}

} // namespace win
