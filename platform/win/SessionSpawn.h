// Inside the layer: starting a program in a session of its own, with the signal
// state a fresh program expects, as the program launches and the sound player
// need it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace win {

struct SessionSpawn {
    std::string program;           // the file to run
    std::vector<std::string> args; // the words after the program's own name
    std::string folder;            // working folder; empty: this process's
    char *const *environment;      // the child's environment
    bool quiet = false;            // standard input, output and error on /dev/null
};

// Starts the program; 0 and its process id, or the errno.
int SpawnInSession(const SessionSpawn &spawn, pid_t &pid);

} // namespace win
