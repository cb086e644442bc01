#include "platform/forms/TTimer.h"

#include "platform/win/Timers.h"
#include "platform/win/Window.h"

namespace win {

namespace {

constexpr char kTimerClass[] = "TTimerWindow";
constexpr UINT_PTR kTimerId = 1;

} // namespace

TTimer::TTimer(TComponent *Owner) : TComponent(Owner) { Update(); }

TTimer::~TTimer()
{
    if (window_) {
        KillTimer(window_, kTimerId);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(unsigned interval)
{
    if (interval == interval_)
        return;
    interval_ = interval;
    Update();
}

LRESULT TTimer::TimerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kTimerId) {
        auto *timer = reinterpret_cast<TTimer *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (timer && timer->enabled_ && timer->OnTimer)
            timer->OnTimer(timer);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void TTimer::Update()
{
    if (!enabled_ || interval_ == 0) {
        if (window_)
            KillTimer(window_, kTimerId);
        return;
    }
    if (!window_) {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = TimerWndProc;
            wc.lpszClassName = kTimerClass;
            return RegisterClassA(&wc) != 0;
        }();
        if (!registered)
            return;
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kTimerClass, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
        if (!window_)
            return;
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    SetTimer(window_, kTimerId, interval_, nullptr);
}

} // namespace win
