#include "platform/win/Process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/win/Path.h"
#include "platform/win/SessionSpawn.h"
#include "platform/win/Text.h"
#include "platform/win/Thread.h"
#include "platform/win/Time.h"

extern char **environ;

namespace win {
namespace {

// The variable that carries a child's whole command line from CreateProcessA to
// the child's GetCommandLineA; the child takes it out of its environment at start.
constexpr const char *kCmdLineVar = "LUMO_CMDLINE";

std::string CaptureCommandLine()
{
    if (const char *given = std::getenv(kCmdLineVar)) {
        std::string text = given;
        ::unsetenv(kCmdLineVar);
        return text;
    }
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        std::string word = all.substr(start, end - start);
        if (!line.empty())
            line += ' ';
        line += word.find_first_of(" \t") == std::string::npos && !word.empty() ? word : "\"" + word + "\"";
        start = end + 1;
    }
    return line;
}

std::string &CommandLineText()
{
    static std::string text = CaptureCommandLine();
    return text;
}
// Taken at start, before any thread could start a child with our environment.
const bool commandLineCaptured = (CommandLineText(), true);

struct LaunchRecorder {
    std::mutex lock;
    bool on = false;
    std::vector<RecordedLaunch> launches;
};
LaunchRecorder &Recorder()
{
    static auto *recorder = new LaunchRecorder;
    return *recorder;
}

// Children nobody waits for are reaped whenever another one is started.
std::mutex orphanLock;
std::vector<pid_t> &Orphans()
{
    static auto *orphans = new std::vector<pid_t>;
    return *orphans;
}

void ReapOrphans()
{
    std::lock_guard<std::mutex> guard(orphanLock);
    auto &list = Orphans();
    for (auto it = list.begin(); it != list.end();) {
        int status = 0;
        pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = list.erase(it);
        else
            ++it;
    }
}

void Adopt(pid_t pid)
{
    std::lock_guard<std::mutex> guard(orphanLock);
    Orphans().push_back(pid);
}

class ProcessObject : public WaitableObject {
public:
    explicit ProcessObject(pid_t pid) : pid_(pid) {}
    ~ProcessObject() override
    {
        if (!Reap())
            Adopt(pid_);
    }

    DWORD Wait(DWORD timeoutMs) override
    {
        ULONGLONG start = MonotonicNowMs();
        for (;;) {
            if (Reap())
                return WAIT_OBJECT_0;
            if (timeoutMs != INFINITE && MonotonicNowMs() - start >= timeoutMs)
                return WAIT_TIMEOUT;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    DWORD ExitCode()
    {
        return Reap() ? code_ : STILL_ACTIVE;
    }

private:
    bool Reap()
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (ended_)
            return true;
        int status = 0;
        pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            ended_ = true;
            code_ = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status))
                                      : 128u + static_cast<DWORD>(WTERMSIG(status));
        } else if (r < 0 && errno == ECHILD) {
            ended_ = true;
        }
        return ended_;
    }

    std::mutex lock_;
    pid_t pid_;
    bool ended_ = false;
    DWORD code_ = 0;
};

// Windows quoting: blanks separate words, double quotes group them; backslashes
// are literal except before a quote (2n+1 of them make n and a literal quote).
std::vector<std::string> SplitCommandLine(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\') {
            size_t n = 0;
            while (i + n < line.size() && line[i + n] == '\\')
                ++n;
            if (i + n < line.size() && line[i + n] == '"') {
                word.append(n / 2, '\\');
                if (n % 2) {
                    word += '"';
                    i += n;
                } else {
                    i += n - 1;
                }
            } else {
                word.append(n, '\\');
                i += n - 1;
            }
            inWord = true;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

bool EndsWithExe(const std::string &name)
{
    return name.size() > 4 && GbkEqualNoCase(name.substr(name.size() - 4), ".exe");
}

std::string BaseNameNoExe(const std::string &path)
{
    size_t cut = path.find_last_of("/\\");
    std::string base = cut == std::string::npos ? path : path.substr(cut + 1);
    return EndsWithExe(base) ? base.substr(0, base.size() - 4) : base;
}

enum class Kind { kMissing, kProgram, kNotExecutable, kFolder };

struct Found {
    Kind kind = Kind::kMissing;
    std::string native;
    DWORD error = ERROR_FILE_NOT_FOUND;
};

Found Probe(const std::string &winPath)
{
    Found f;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string candidate = attempt == 0 ? winPath : winPath.substr(0, winPath.size() - 4);
        if (attempt == 1 && !EndsWithExe(winPath))
            break;
        std::string native = MapPath(candidate);
        struct stat st {};
        if (native.empty() || ::stat(native.c_str(), &st) != 0) {
            if (attempt == 0)
                f.error = native.empty() ? GetLastError() : ErrorFromErrno(errno, native);
            continue;
        }
        f.native = native;
        if (S_ISDIR(st.st_mode))
            f.kind = Kind::kFolder;
        else if (S_ISREG(st.st_mode) && ::access(native.c_str(), X_OK) == 0)
            f.kind = Kind::kProgram;
        else
            f.kind = Kind::kNotExecutable;
        return f;
    }
    return f;
}

std::string OwnFolder()
{
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return {};
    std::string path(exe, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

// Finds a program or document by a Windows-form name: a name with a folder part
// from the working folder (then from `folder`); a bare name in `folder`, the
// working folder, the program's folder and, when asked, the PATH.
Found Locate(const std::string &name, const std::string &folder, bool searchPath)
{
    if (name.empty())
        return Found{};
    bool hasFolder = name.find_first_of("/\\") != std::string::npos;
    std::vector<std::string> candidates;
    if (hasFolder) {
        candidates.push_back(name);
        if (!folder.empty() && name[0] != '/' && name[0] != '\\')
            candidates.push_back(folder + "\\" + name);
    } else {
        if (!folder.empty())
            candidates.push_back(folder + "\\" + name);
        candidates.push_back(name);
        std::string own = OwnFolder();
        if (!own.empty())
            candidates.push_back(NativeToWinPath(own) + "/" + name);
        if (searchPath) {
            const char *path = std::getenv("PATH");
            std::string list = path ? path : "";
            size_t start = 0;
            while (start <= list.size()) {
                size_t end = list.find(':', start);
                if (end == std::string::npos)
                    end = list.size();
                if (end > start)
                    candidates.push_back(list.substr(start, end - start) + "/" + name);
                start = end + 1;
            }
        }
    }
    Found first;
    for (size_t i = 0; i < candidates.size(); ++i) {
        Found f = Probe(candidates[i]);
        if (f.kind != Kind::kMissing)
            return f;
        if (i == 0)
            first = f;
    }
    return first;
}

std::vector<std::string> ChildEnvironment(const std::optional<std::string> &commandLine)
{
    std::vector<std::string> env;
    size_t prefix = std::strlen(kCmdLineVar) + 1;
    for (char **e = environ; e && *e; ++e)
        if (std::strncmp(*e, kCmdLineVar, prefix - 1) != 0 || (*e)[prefix - 1] != '=')
            env.emplace_back(*e);
    if (commandLine)
        env.push_back(std::string(kCmdLineVar) + "=" + *commandLine);
    return env;
}

bool Recording(RecordedLaunch launch)
{
    std::lock_guard<std::mutex> guard(Recorder().lock);
    if (!Recorder().on)
        return false;
    Recorder().launches.push_back(std::move(launch));
    return true;
}

// Starts the program in its own session, so that it lives on as a program
// started on Windows does. Returns 0 and the process id, or the errno.
int Spawn(const std::string &program, const std::vector<std::string> &args, const std::string &folder,
          const std::optional<std::string> &commandLine, pid_t &pid)
{
    ReapOrphans();
    std::vector<std::string> envText = ChildEnvironment(commandLine);
    std::vector<char *> envp;
    for (auto &e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    return SpawnInSession(SessionSpawn{program, args, folder, envp.data()}, pid);
}

DWORD SpawnError(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case ENOEXEC:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

std::string NativeFolder(LPCSTR directory, DWORD &error)
{
    if (!directory || !*directory)
        return {};
    std::string native = MapPath(directory);
    struct stat st {};
    if (native.empty() || ::stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = ERROR_DIRECTORY;
        return {};
    }
    return native;
}

bool IsWebAddress(const std::string &file)
{
    auto starts = [&](const char *prefix) {
        size_t n = std::strlen(prefix);
        return file.size() >= n && GbkEqualNoCase(file.substr(0, n), prefix);
    };
    return file.find("://") != std::string::npos || starts("www.") || starts("mailto:");
}

// Hands a document, folder or address to xdg-open; a ShellExecuteA result.
UINT OpenWithDesktop(const std::string &target, const std::string &call)
{
    Found opener = Locate("xdg-open", "", true);
    if (opener.kind != Kind::kProgram)
        return SE_ERR_NOASSOC;
    if (Recording({call, opener.native, {target}, "", ""}))
        return 42;
    pid_t pid = 0;
    if (Spawn(opener.native, {target}, "", std::nullopt, pid) != 0)
        return SE_ERR_NOASSOC;
    Adopt(pid);
    return 42;
}

std::string Quoted(const std::string &s) { return "\"" + s + "\""; }

} // namespace

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID, LPCSTR currentDirectory, LPSTARTUPINFOA,
                    LPPROCESS_INFORMATION processInformation)
{
    bool haveApp = applicationName && *applicationName;
    std::string line = commandLine ? commandLine : "";
    std::vector<std::string> words = SplitCommandLine(line);
    if (!haveApp && words.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string program = haveApp ? applicationName : words.front();
    if (!commandLine)
        line = program.find(' ') == std::string::npos ? program : Quoted(program);
    bool hasFolder = program.find_first_of("/\\") != std::string::npos;
    Found found = Locate(program, "", !haveApp && !hasFolder);
    if (found.kind == Kind::kMissing) {
        SetLastError(found.error);
        return FALSE;
    }
    if (found.kind != Kind::kProgram) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD folderError = 0;
    std::string folder = NativeFolder(currentDirectory, folderError);
    if (folderError) {
        SetLastError(folderError);
        return FALSE;
    }
    // The program's own name is not one of its arguments.
    std::vector<std::string> args = words;
    if (!args.empty() && (!haveApp || GbkEqualNoCase(BaseNameNoExe(args.front()), BaseNameNoExe(found.native))))
        args.erase(args.begin());
    if (processInformation)
        *processInformation = PROCESS_INFORMATION{0, 0, 0, 0};
    if (Recording({"CreateProcessA", found.native, args, line, folder}))
        return TRUE;
    pid_t pid = 0;
    int err = Spawn(found.native, args, folder, line, pid);
    if (err != 0) {
        SetLastError(SpawnError(err));
        return FALSE;
    }
    auto object = std::make_shared<ProcessObject>(pid);
    if (processInformation) {
        processInformation->hProcess = AddKernelObject(object);
        processInformation->hThread = AddKernelObject(object);
        processInformation->dwProcessId = static_cast<DWORD>(pid);
        processInformation->dwThreadId = static_cast<DWORD>(pid);
    }
    return TRUE;
}

std::string FindProgramFile(LPCSTR applicationName)
{
    if (!applicationName || !*applicationName)
        return {};
    Found found = Locate(applicationName, "", false);
    return found.kind == Kind::kProgram ? found.native : std::string();
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    auto object = FindKernelObjectAs<ProcessObject>(process);
    if (!object || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = object->ExitCode();
    return TRUE;
}

LPSTR GetCommandLineA() { return CommandLineText().data(); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT)
{
    std::string verb = operation ? operation : "open";
    bool open = verb.empty() || GbkEqualNoCase(verb, "open");
    bool explore = GbkEqualNoCase(verb, "explore");
    if (!file || !*file)
        return SE_ERR_FNF;
    std::string target = file;
    if (!open && !explore)
        return SE_ERR_NOASSOC;
    if (IsWebAddress(target))
        return OpenWithDesktop(target, "ShellExecuteA");
    std::string dir = directory ? directory : "";
    Found found = Locate(target, dir, true);
    if (found.kind == Kind::kMissing)
        return found.error == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF;
    if (found.kind == Kind::kFolder || explore)
        return OpenWithDesktop(found.native, "ShellExecuteA");
    if (found.kind == Kind::kNotExecutable) {
        // A program file that may not run is refused; any other file is a document.
        return EndsWithExe(target) ? SE_ERR_ACCESSDENIED : OpenWithDesktop(found.native, "ShellExecuteA");
    }
    DWORD folderError = 0;
    std::string folder = NativeFolder(directory, folderError);
    if (folderError)
        return SE_ERR_PNF;
    std::string params = parameters ? parameters : "";
    std::string line = Quoted(NativeToWinPath(found.native)) + (params.empty() ? "" : " " + params);
    std::vector<std::string> args = SplitCommandLine(params);
    if (Recording({"ShellExecuteA", found.native, args, line, folder}))
        return 42;
    pid_t pid = 0;
    int err = Spawn(found.native, args, folder, line, pid);
    if (err != 0) {
        DWORD e = SpawnError(err);
        return e == ERROR_ACCESS_DENIED ? SE_ERR_ACCESSDENIED : e == ERROR_FILE_NOT_FOUND ? SE_ERR_FNF : SE_ERR_OOM;
    }
    Adopt(pid);
    return 42;
}

UINT WinExec(LPCSTR commandLine, UINT)
{
    std::string line = commandLine ? commandLine : "";
    std::vector<std::string> words = SplitCommandLine(line);
    if (words.empty())
        return ERROR_FILE_NOT_FOUND;
    Found found = Locate(words.front(), "", true);
    if (found.kind == Kind::kMissing)
        return found.error == ERROR_PATH_NOT_FOUND ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    if (found.kind != Kind::kProgram)
        return ERROR_ACCESS_DENIED;
    std::vector<std::string> args(words.begin() + 1, words.end());
    if (Recording({"WinExec", found.native, args, line, ""}))
        return 33;
    pid_t pid = 0;
    int err = Spawn(found.native, args, "", line, pid);
    if (err != 0)
        return SpawnError(err) == ERROR_NOT_ENOUGH_MEMORY ? 0 : SpawnError(err);
    Adopt(pid);
    return 33;
}

void RecordLaunches(bool on)
{
    std::lock_guard<std::mutex> guard(Recorder().lock);
    Recorder().on = on;
    Recorder().launches.clear();
}

std::vector<RecordedLaunch> RecordedLaunches()
{
    std::lock_guard<std::mutex> guard(Recorder().lock);
    return Recorder().launches;
}

} // namespace win
