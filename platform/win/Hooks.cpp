#include "platform/win/Hooks.h"

#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/Handle.h"
#include "platform/win/Thread.h"

namespace win {

constexpr DWORD ERROR_GLOBAL_ONLY_HOOK = 1429;

namespace {

struct Hook {
    HHOOK handle;
    int type;
    HOOKPROC proc;
    DWORD thread; // 0: every thread
};

struct HookTable {
    std::mutex lock;
    // Newest first: a new procedure runs before the ones installed earlier.
    std::vector<Hook> hooks;
};

HookTable &Table()
{
    static auto *table = new HookTable;
    return *table;
}

// One running chain of the calling thread: the procedures it was made of and
// the one running now.
struct ChainCall {
    std::vector<Hook> chain;
    size_t at;
};

thread_local std::vector<ChainCall> calls;
thread_local MenuMode *currentMenu = nullptr;

bool Installed(HHOOK handle)
{
    HookTable &t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    return std::any_of(t.hooks.begin(), t.hooks.end(), [&](const Hook &h) { return h.handle == handle; });
}

bool ThreadOfThisProcess(DWORD thread)
{
    return thread == GetCurrentThreadId() || ::access(("/proc/self/task/" + std::to_string(thread)).c_str(), F_OK) == 0;
}

// Runs the chain of `type` for the calling thread from its head.
LRESULT RunChain(int type, int code, WPARAM wParam, LPARAM lParam)
{
    ChainCall call{{}, 0};
    {
        HookTable &t = Table();
        std::lock_guard<std::mutex> guard(t.lock);
        const DWORD self = GetCurrentThreadId();
        for (const Hook &h : t.hooks)
            if (h.type == type && (h.thread == 0 || h.thread == self))
                call.chain.push_back(h);
    }
    if (call.chain.empty())
        return 0;
    calls.push_back(std::move(call));
    const size_t depth = calls.size();
    LRESULT result = CallNextHookEx(0, code, wParam, lParam);
    calls.resize(depth - 1);
    return result;
}

} // namespace

HHOOK SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE hMod, DWORD threadId)
{
    if (idHook != WH_MSGFILTER && idHook != WH_SYSMSGFILTER) {
        SetLastError(ERROR_INVALID_HOOK_FILTER);
        return 0;
    }
    if (!proc) {
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return 0;
    }
    if (idHook == WH_SYSMSGFILTER && threadId != 0) {
        SetLastError(ERROR_GLOBAL_ONLY_HOOK);
        return 0;
    }
    if (threadId == 0 && hMod == 0) {
        SetLastError(ERROR_HOOK_NEEDS_HMOD);
        return 0;
    }
    if (threadId != 0 && !ThreadOfThisProcess(threadId)) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return 0;
    }
    const HHOOK handle = AllocateHandleNumber();
    HookTable &t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    t.hooks.insert(t.hooks.begin(), Hook{handle, idHook, proc, threadId});
    return handle;
}

LRESULT CallNextHookEx(HHOOK, int code, WPARAM wParam, LPARAM lParam)
{
    if (calls.empty())
        return 0;
    const size_t depth = calls.size();
    while (calls[depth - 1].at < calls[depth - 1].chain.size()) {
        const Hook next = calls[depth - 1].chain[calls[depth - 1].at++];
        // A procedure removed while the chain runs is passed over.
        if (Installed(next.handle))
            return next.proc(code, wParam, lParam);
    }
    return 0;
}

BOOL UnhookWindowsHookEx(HHOOK hhk)
{
    HookTable &t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = std::find_if(t.hooks.begin(), t.hooks.end(), [&](const Hook &h) { return h.handle == hhk; });
    if (hhk == 0 || it == t.hooks.end()) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    t.hooks.erase(it);
    return TRUE;
}

BOOL CallMsgFilterA(MSG *msg, int code)
{
    if (!msg)
        return FALSE;
    const LPARAM param = reinterpret_cast<LPARAM>(msg);
    if (RunChain(WH_SYSMSGFILTER, code, 0, param))
        return TRUE;
    return RunChain(WH_MSGFILTER, code, 0, param) ? TRUE : FALSE;
}

MenuMode::MenuMode(HWND owner, std::function<void()> end)
    : owner_(owner), end_(std::move(end)), outer_(currentMenu)
{
    currentMenu = this;
}

MenuMode::~MenuMode()
{
    if (currentMenu == this)
        currentMenu = outer_;
}

void MenuMode::End()
{
    if (ended_)
        return;
    ended_ = true;
    if (end_)
        end_();
}

MenuMode *MenuMode::Current()
{
    return currentMenu;
}

BOOL EndMenu()
{
    if (MenuMode *mode = MenuMode::Current())
        mode->End();
    return TRUE;
}

void CancelMenuModeOf(HWND hwnd)
{
    MenuMode *mode = MenuMode::Current();
    if (mode && hwnd && mode->Owner() == hwnd)
        mode->End();
}

} // namespace win
