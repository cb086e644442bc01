// The screen (the global Screen): its size in pixels, the cursor shown over
// every window of the program, the active form and the program's forms.
#pragma once

#include "platform/forms/TComponent.h"
#include "platform/gdi/Property.h"

namespace win {

class TForm;

// The cursors Screen->Cursor shows; crDefault lets each window show its own.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

class TScreen : public TComponent {
public:
    TScreen();
    AnsiString ClassName() const override { return "TScreen"; }

    // The primary screen's size; 0 without a display.
    int GetWidth() const;
    int GetHeight() const;
    TCursor GetCursor() const { return cursor_; }
    // Any cursor but crDefault shows over all the program's windows until
    // crDefault is set again.
    void SetCursor(TCursor cursor);
    // The top-level form whose window is active, or null.
    TForm *GetActiveForm() const;
    // The forms of the application (Application's and those owned by its forms).
    int GetFormCount() const;
    TForm *Forms(int index) const;

    ReadOnlyProperty<TScreen, int, &TScreen::GetWidth> Width{this};
    ReadOnlyProperty<TScreen, int, &TScreen::GetHeight> Height{this};
    Property<TScreen, TCursor, &TScreen::GetCursor, &TScreen::SetCursor> Cursor{this};
    ReadOnlyProperty<TScreen, TForm *, &TScreen::GetActiveForm> ActiveForm{this};
    ReadOnlyProperty<TScreen, int, &TScreen::GetFormCount> FormCount{this};

private:
    TCursor cursor_ = crDefault;
};

extern TScreen *Screen;

} // namespace win
