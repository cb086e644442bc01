// The form library's timer component: OnTimer every Interval milliseconds while
// Enabled, on the GUI thread's window timers (so a test clock drives it too).
#pragma once

#include "platform/forms/FormTypes.h"
#include "platform/forms/TComponent.h"
#include "platform/gdi/Property.h"

namespace win {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent *Owner);
    ~TTimer() override;
    AnsiString ClassName() const override { return "TTimer"; }

    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned GetInterval() const { return interval_; }
    // A new interval restarts the count; 0 stops the ticks.
    void SetInterval(unsigned interval);

    Property<TTimer, bool, &TTimer::GetEnabled, &TTimer::SetEnabled> Enabled{this};
    Property<TTimer, unsigned, &TTimer::GetInterval, &TTimer::SetInterval> Interval{this};
    TNotifyEvent OnTimer;

private:
    static LRESULT TimerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Update();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    HWND window_ = 0;
};

} // namespace win
