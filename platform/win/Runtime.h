// The per-user runtime folder: the sockets of the running programs, the entries of
// their exported windows, the handle counter and the named mutexes live there.
#pragma once

#include <string>

namespace win {

// "$XDG_RUNTIME_DIR/lumo", or "<temporary folder>/lumo-<uid>" when that variable
// is unset; created with mode 0700 on first use. Empty when the folder cannot be
// made or belongs to another user (or is not a plain folder), so that no other
// user can see or reach this user's programs. The answer is kept for the life of
// the process.
const std::string &RuntimeFolder();

// The same check for a folder "lumo" below `base`; the path or empty.
std::string OpenRuntimeFolderIn(const std::string &base);

} // namespace win
