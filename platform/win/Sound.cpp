#include "platform/win/Sound.h"

#include <QApplication>
#include <QMetaObject>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/win/Path.h"
#include "platform/win/SessionSpawn.h"
#include "platform/win/Thread.h"

extern char **environ;

namespace win {
namespace {

std::mutex recordLock;
bool recording = false;
std::vector<RecordedBeep> beeps;
std::vector<RecordedPlaySound> plays;
std::vector<UINT> messageBeeps;

// The player of the sound playing now (0: none), guarded by playLock.
std::mutex playLock;
pid_t player = 0;

bool IsRegularFile(const std::string &native)
{
    struct stat st;
    return !native.empty() && ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The first program called `name` on the PATH, or empty.
std::string FindOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0 && IsRegularFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

// Whether the last player still runs; reaps it once it has ended.
bool PlayerRunning()
{
    if (player == 0)
        return false;
    int status = 0;
    pid_t r = ::waitpid(player, &status, WNOHANG);
    if (r == 0)
        return true;
    player = 0;
    return false;
}

void StopPlayer()
{
    if (!PlayerRunning())
        return;
    ::kill(player, SIGTERM);
    int status = 0;
    while (::waitpid(player, &status, 0) < 0 && errno == EINTR) {
    }
    player = 0;
}

// Starts the player on the file in a session of its own, its output discarded.
bool StartPlayer(const std::string &native)
{
    std::vector<std::string> words;
    std::string program = FindOnPath("aplay");
    if (!program.empty()) {
        words = {"-q", native};
    } else {
        program = FindOnPath("paplay");
        if (program.empty())
            return false;
        words = {native};
    }
    pid_t pid = 0;
    int err = SpawnInSession(SessionSpawn{program, words, "", environ, true}, pid);
    if (err != 0)
        return false;
    player = pid;
    return true;
}

// Rings the desktop's bell on the GUI thread, whichever thread asked; false when
// the program has no GUI.
bool RingDesktopBell()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app)
        return false;
    QMetaObject::invokeMethod(app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    return true;
}

} // namespace

BOOL Beep(DWORD frequency, DWORD durationMs)
{
    {
        std::lock_guard<std::mutex> guard(recordLock);
        if (recording) {
            beeps.push_back({frequency, durationMs});
            return TRUE;
        }
    }
    // The desktop has no tone generator for programs; its bell stands in.
    RingDesktopBell();
    Sleep(durationMs);
    return TRUE;
}

BOOL PlaySoundA(LPCSTR name, HMODULE module, DWORD flags)
{
    std::string native = name ? MapPath(name) : std::string();
    bool found = IsRegularFile(native);
    {
        std::lock_guard<std::mutex> guard(recordLock);
        if (recording) {
            if (name)
                plays.push_back({name, flags, found});
            return name ? found : TRUE;
        }
    }
    std::lock_guard<std::mutex> guard(playLock);
    if (!name) {
        StopPlayer();
        return TRUE;
    }
    if (!found)
        return FALSE;
    if (PlayerRunning()) {
        if (flags & (SND_NOSTOP | SND_NOWAIT))
            return FALSE;
        StopPlayer();
    }
    if (!StartPlayer(native))
        return FALSE;
    if (!(flags & SND_ASYNC)) {
        int status = 0;
        while (::waitpid(player, &status, 0) < 0 && errno == EINTR) {
        }
        player = 0;
    }
    return TRUE;
}

BOOL MessageBeep(UINT type)
{
    {
        std::lock_guard<std::mutex> guard(recordLock);
        if (recording) {
            messageBeeps.push_back(type);
            return TRUE;
        }
    }
    if (!RingDesktopBell() && ::isatty(STDERR_FILENO))
        (void)!::write(STDERR_FILENO, "\a", 1);
    return TRUE;
}

void RecordSounds(bool on)
{
    std::lock_guard<std::mutex> guard(recordLock);
    recording = on;
    beeps.clear();
    plays.clear();
    messageBeeps.clear();
}

std::vector<RecordedBeep> RecordedBeeps()
{
    std::lock_guard<std::mutex> guard(recordLock);
    return beeps;
}

std::vector<RecordedPlaySound> RecordedPlaySounds()
{
    std::lock_guard<std::mutex> guard(recordLock);
    return plays;
}

std::vector<UINT> RecordedMessageBeeps()
{
    std::lock_guard<std::mutex> guard(recordLock);
    return messageBeeps;
}

} // namespace win
