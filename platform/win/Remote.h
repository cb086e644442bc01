// Inside the layer: windows of the user's other processes. Each process that
// exports a top-level window listens on one Unix-domain socket in the runtime
// folder ("p<pid>"); each exported window has an entry there ("w<handle>") with
// its process, thread, class and title. Requests (post, send, questions about a
// window) travel one per connection; only peers of the same user are served.
// A message from another process reaches its window marked as such
// (InMessageFromOtherProcess, MSG::fromOtherProcess); what may cross, and how, is
// CrossingOf's (RemoteFrame.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/RemoteFrame.h"

namespace win {

struct RemoteEntry {
    HWND hwnd = 0;
    DWORD pid = 0;
    DWORD tid = 0;
    std::string className;
    std::string title;
};

// Makes a top-level window of this process reachable; updates its title; takes
// it back.
void ExportWindow(HWND hwnd, DWORD tid, const std::string &className, const std::string &title);
void UnexportWindow(HWND hwnd);

// The entry of a live window of another process; a stale entry (its process gone,
// or not owning the window) is removed and false returned.
bool FindRemoteWindow(HWND hwnd, RemoteEntry &entry);
// Live windows of the other processes, by handle.
std::vector<RemoteEntry> RemoteWindows();

BOOL RemotePost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT RemoteSend(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT RemoteQueryWindow(HWND hwnd, UINT code, WPARAM arg);

// The socket path of a process.
std::string ProcessSocketPath(DWORD pid);

} // namespace win
