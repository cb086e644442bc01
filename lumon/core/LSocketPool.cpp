#include "lumon/core/LSocketPool.h"

#include "lumon/core/LSocket.h"

using namespace win;

namespace {

constexpr char kClassName[] = "Hidden Socket Window";

struct PoolState {
    bool initialised = false;
    bool windowSupplied = false;
    HWND window = 0;
};

PoolState &State()
{
    static PoolState state;
    return state;
}

} // namespace

LSocketPool::LSocketPool(HWND window) : m_Owner(false)
{
    PoolState &state = State();
    if (state.initialised)
        return;
    if (window) {
        state.window = window;
        state.windowSupplied = true;
    } else {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WndProc;
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
        state.window = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
        if (!state.window)
            return;
        state.windowSupplied = false;
    }
    state.initialised = true;
    m_Owner = true;
}

LSocketPool::~LSocketPool()
{
    PoolState &state = State();
    if (!m_Owner || !state.initialised)
        return;
    LDbCtrl<LSocket> &registry = Registry();
    for (int pos = registry.GetCount() - 1; pos >= 0; --pos)
        registry.GetAt(pos)->Close();
    registry.Clear();
    if (!state.windowSupplied)
        DestroyWindow(state.window);
    state = PoolState{};
}

int LSocketPool::IsInitialised()
{
    return State().initialised ? 1 : 0;
}

HWND LSocketPool::GetWindow()
{
    return State().window;
}

LDbCtrl<LSocket> &LSocketPool::Registry()
{
    static LDbCtrl<LSocket> registry;
    return registry;
}

LRESULT LSocketPool::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CREATE)
        return 0;
    if (msg != kSocketMessage)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    const SOCKET h = SOCKET(wParam);
    const int event = WSAGETSELECTEVENT(lParam);
    const int error = WSAGETSELECTERROR(lParam);
    LDbCtrl<LSocket> &registry = Registry();
    for (int pos = registry.GetCount() - 1; pos >= 0; --pos) {
        LSocket *socket = registry.GetAt(pos);
        if (socket->IsHandle(h)) {
            socket->OnSocketEvent(h, event, error);
            break;
        }
    }
    return 0;
}
