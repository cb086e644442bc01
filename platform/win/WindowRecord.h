// Inside the layer: the record of each window of this process and the calls the
// queue, timer and remote units make on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win/ThreadQueue.h"
#include "platform/win/Window.h"

namespace win {

class WindowSurface;

struct WindowRecord {
    HWND hwnd = 0;
    std::string className;
    UINT classStyle = 0;
    WNDPROC proc = nullptr;
    HINSTANCE instance = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    std::string title;
    std::shared_ptr<ThreadQueue> queue;
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    bool destroying = false;
    bool exported = false;
    WindowSurface *surface = nullptr;
};

// The record of a live window of this process, or null. Fields other than the
// handle and queue are read under WindowLock().
std::shared_ptr<WindowRecord> FindLocalWindow(HWND hwnd);
std::mutex &WindowLock();

// Calls the window's current procedure on the calling thread; false when the
// window no longer exists. `fromOtherProcess` is what InMessageFromOtherProcess
// says during the call.
bool CallLocalWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result,
                     bool fromOtherProcess = false);

// The same-thread send path. CachedOwnWindowProc answers, without the window
// table's lock, for the window of the calling thread that the thread last looked
// up through OwnWindowProc, as long as no window was created or destroyed and no
// procedure replaced since; false means "ask the table". OwnWindowProc reads the
// procedure of a window the caller knows to be its own thread's (false when it
// is gone) and remembers it for the calling thread.
bool CachedOwnWindowProc(HWND hwnd, WNDPROC &proc);
bool OwnWindowProc(HWND hwnd, WNDPROC &proc);

// Posts to a window of this process only (the remote unit delivers this way,
// marking the message as one from another process).
BOOL PostLocalMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool fromOtherProcess = false);

// Sets what InMessageFromOtherProcess says on the calling thread while it lives.
class MessageOrigin {
public:
    explicit MessageOrigin(bool fromOtherProcess);
    ~MessageOrigin();
    MessageOrigin(const MessageOrigin &) = delete;
    MessageOrigin &operator=(const MessageOrigin &) = delete;

private:
    bool saved_;
};

// Carries out a show, raise or state question on a window of this process, on
// its thread: the code is one of the RemoteQuery values.
LRESULT QueryLocalWindow(HWND hwnd, UINT code, WPARAM arg);

// Top-level windows of this process in creation order.
std::vector<std::shared_ptr<WindowRecord>> LocalTopLevelWindows();

} // namespace win
