#include "platform/win/Runtime.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace win {
namespace {

// A folder this process may trust: a real folder (not a link), owned by us, open
// to nobody else. A folder of ours with looser modes is tightened.
bool TrustFolder(const std::string &path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return false;
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
}

std::string Ensure(const std::string &path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return TrustFolder(path) ? path : std::string();
}

} // namespace

std::string OpenRuntimeFolderIn(const std::string &base)
{
    if (base.empty())
        return {};
    std::string trimmed = base;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    return Ensure(trimmed + "/lumo");
}

const std::string &RuntimeFolder()
{
    static const std::string folder = [] {
        const char *xdg = std::getenv("XDG_RUNTIME_DIR");
        if (xdg && *xdg)
            return OpenRuntimeFolderIn(xdg);
        const char *tmp = std::getenv("TMPDIR");
        std::string base = tmp && *tmp ? tmp : "/tmp";
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        return Ensure(base + "/lumo-" + std::to_string(geteuid()));
    }();
    return folder;
}

} // namespace win
