// The per-user runtime folder: the sockets of the running programs, the entries of
// their exported windows, the handle counter and the named mutexes live there.
#pragma once

#include <string>

namespace win {

// Where the runtime folder is looked for.
struct RuntimePlaces {
    std::string xdgRuntimeDir; // the environment's XDG_RUNTIME_DIR, empty when unset
    std::string sessionDir;    // the login session's folder, /run/user/<uid>
    std::string home;          // the home folder
};

// The places of this process: its environment, its user id and home.
RuntimePlaces RuntimePlacesOfProcess();

// Picks, makes (mode 0700) and checks the runtime folder: "$XDG_RUNTIME_DIR/lumo";
// without that variable "<session folder>/lumo" when the session folder is ours,
// else "<home>/.cache/lumo/run" (a variable naming that very folder, as
// ExportRuntimeFolder leaves it to child processes, means that folder). Never a
// folder under the shared temporary folder, which another user could create first.
// The path, or empty with the reason in `why` (a sentence naming the folder) when
// the folder cannot be made, is not a plain folder, belongs to another user, stays
// open to others, or leaves no room in a socket address for the processes' sockets.
std::string OpenRuntimeFolder(const RuntimePlaces &places, std::string &why);

// The runtime folder of this process, chosen once for its life; empty when it is
// refused, which is said once on standard error (the programs then cannot reach
// one another and named mutexes fail).
const std::string &RuntimeFolder();

// Where XDG_RUNTIME_DIR is unset, sets it to the folder the runtime folder was
// found in, so that the toolkit uses this user's own folder instead of warning
// and falling back to the shared temporary folder, and child processes find the
// same runtime folder. Called before the toolkit's application is made.
void ExportRuntimeFolder();

} // namespace win
