// Inside the layer: windows of the user's other processes. Each process that
// exports a top-level window listens on one Unix-domain socket in the runtime
// folder ("p<pid>"); each exported window has an entry there ("w<handle>") with
// its process, thread, class and title. Requests (post, send, questions about a
// window) travel one per connection; only peers of the same user are served.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/Messages.h"

namespace win {

// Questions and requests about a window, answered by its process on the
// window's thread.
enum RemoteQuery : UINT {
    kQueryIsWindow = 1,
    kQueryVisible = 2,
    kQueryIconic = 3,
    kQueryZoomed = 4,
    kQueryShow = 5,       // arg: the ShowWindow command; answer: was visible
    kQueryForeground = 6, // bring to the top and activate
};

// One request or answer on the socket: this header, then dataLen bytes.
#pragma pack(push, 1)
struct RemoteFrame {
    uint32_t magic;   // kRemoteMagic
    uint32_t kind;    // RemoteKind
    uint32_t hwnd;
    uint32_t message; // the message number, or the RemoteQuery code
    uint32_t wParam;
    uint32_t lParam;  // in an answer: the result
    uint32_t dwData;  // WM_COPYDATA's dwData; in an answer: 1 when handled
    uint32_t dataLen;
};
#pragma pack(pop)
static_assert(sizeof(RemoteFrame) == 32);
constexpr uint32_t kRemoteMagic = 0x574D554C; // "LUMW"
enum RemoteKind : uint32_t { kRemotePost = 1, kRemoteSend = 2, kRemoteQuery = 3, kRemoteAnswer = 4 };

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
