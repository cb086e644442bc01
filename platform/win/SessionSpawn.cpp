#include "platform/win/SessionSpawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

namespace win {

int SpawnInSession(const SessionSpawn &spawn, pid_t &pid)
{
    std::vector<std::string> words{spawn.program};
    words.insert(words.end(), spawn.args.begin(), spawn.args.end());
    std::vector<char *> argv;
    for (auto &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!spawn.folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, spawn.folder.c_str());
    if (spawn.quiet)
        for (int fd : {0, 1, 2})
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int err = ::posix_spawn(&pid, spawn.program.c_str(), &actions, &attr, argv.data(), spawn.environment);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return err;
}

} // namespace win
