#include "platform/win/Runtime.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace win {
namespace {

// The longest name a process's socket takes in the folder ("/p" and a 32-bit
// process id): the folder's path must leave room for it in sun_path.
constexpr char kLongestSocketName[] = "/p4294967295";
constexpr size_t kLongestFolder = sizeof(sockaddr_un::sun_path) - sizeof kLongestSocketName;

std::string Trimmed(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string HomeCacheFolder(const std::string &home) { return Trimmed(home) + "/.cache/lumo/run"; }

bool OwnFolder(const std::string &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

// A folder this process may trust: a real folder (not a link), owned by us, open
// to nobody else. A folder of ours with looser modes is tightened.
bool TrustFolder(const std::string &path, std::string &why)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        why = path + " cannot be read (" + std::strerror(errno) + ")";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        why = path + (S_ISLNK(st.st_mode) ? " is a symbolic link, not a folder" : " is not a folder");
        return false;
    }
    if (st.st_uid != geteuid()) {
        why = path + " belongs to another user (uid " + std::to_string(st.st_uid) + ", this user is uid " +
              std::to_string(geteuid()) + ")";
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        why = path + " has mode " + mode + ", which lets other users in, and cannot be set to 0700";
        return false;
    }
    return true;
}

// Makes `path` (and, with parents, the folders above it, each 0700) and checks it.
std::string Ensure(const std::string &path, bool parents, std::string &why)
{
    if (path.size() > kLongestFolder) {
        why = path + " is " + std::to_string(path.size()) + " bytes long; a socket address leaves room for a folder of " +
              std::to_string(kLongestFolder);
        return {};
    }
    if (parents) {
        for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
            if (mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
                break; // the folder's own mkdir below says why
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        why = path + " cannot be made (" + std::strerror(errno) + ")";
        return {};
    }
    return TrustFolder(path, why) ? path : std::string();
}

} // namespace

RuntimePlaces RuntimePlacesOfProcess()
{
    RuntimePlaces places;
    if (const char *xdg = std::getenv("XDG_RUNTIME_DIR"))
        places.xdgRuntimeDir = xdg;
    places.sessionDir = "/run/user/" + std::to_string(geteuid());
    if (const char *home = std::getenv("HOME"); home && *home)
        places.home = home;
    else if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_dir)
        places.home = pw->pw_dir;
    return places;
}

std::string OpenRuntimeFolder(const RuntimePlaces &places, std::string &why)
{
    why.clear();
    if (!places.xdgRuntimeDir.empty()) {
        const std::string xdg = Trimmed(places.xdgRuntimeDir);
        if (!places.home.empty() && xdg == HomeCacheFolder(places.home))
            return Ensure(xdg, true, why);
        return Ensure(xdg + "/lumo", false, why);
    }
    if (!places.sessionDir.empty() && OwnFolder(Trimmed(places.sessionDir)))
        return Ensure(Trimmed(places.sessionDir) + "/lumo", false, why);
    if (places.home.empty()) {
        why = "neither XDG_RUNTIME_DIR nor a home folder is known";
        return {};
    }
    return Ensure(HomeCacheFolder(places.home), true, why);
}

const std::string &RuntimeFolder()
{
    static const std::string folder = [] {
        std::string why;
        std::string path = OpenRuntimeFolder(RuntimePlacesOfProcess(), why);
        if (path.empty())
            std::fprintf(stderr,
                         "lumo: runtime folder refused: %s. The programs cannot reach one another and named mutexes "
                         "fail until it is mended or XDG_RUNTIME_DIR names a folder of this user's own.\n",
                         why.c_str());
        return path;
    }();
    return folder;
}

void ExportRuntimeFolder()
{
    const char *xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg)
        return;
    const std::string &folder = RuntimeFolder();
    if (folder.empty())
        return;
    // The session folder for "<session folder>/lumo"; the folder itself for the
    // one under the home folder, which OpenRuntimeFolder takes as it is.
    const RuntimePlaces places = RuntimePlacesOfProcess();
    const std::string base = Trimmed(places.sessionDir) + "/lumo" == folder ? Trimmed(places.sessionDir) : folder;
    setenv("XDG_RUNTIME_DIR", base.c_str(), 1);
}

} // namespace win
