// A control that holds other controls and takes the keyboard: its child
// controls laid out by their alignment, focus and tab order, and the key
// messages with their events, the dialog keys (Enter, Esc, arrows) and
// WM_GETDLGCODE.
#pragma once

#include <vector>

#include "platform/forms/TControl.h"

namespace win {

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent *Owner);
    ~TWinControl() override;
    AnsiString ClassName() const override { return "TWinControl"; }
    void WndProc(TMessage &Message) override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl *Controls(int index) const;
    bool Focused();
    virtual bool CanFocus();
    virtual void SetFocus();
    // Places the aligned child controls: top, bottom, left, right, then client.
    void AlignControls();
    // The form at the root of this control's parents (itself when it is one), or
    // null.
    TWinControl *RootForm();
    // Moves the focus to the next (or previous) focusable control of this one.
    void SelectNext(TWinControl *current, bool forward);

    bool TabStop = true;
    int TabOrder = 0;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void InsertControl(TControl *control);
    void RemoveControl(TControl *control);

protected:
    virtual void KeyDown(WORD &Key, TShiftState Shift);
    virtual void KeyUp(WORD &Key, TShiftState Shift);
    virtual void KeyPress(char &Key);
    // Forms: whether they see their controls' keys first, and the dialog keys
    // (Enter, Esc) for their default and cancel buttons.
    virtual bool IsForm() const { return false; }
    virtual bool PreviewKeys() const { return false; }
    virtual bool DialogKey(WORD key) { return false; }
    void CreateWnd() override;
    void Resize() override;

private:
    void KeyMessage(TMessage &m);
    void CollectFocusable(std::vector<TWinControl *> &out);

    std::vector<TControl *> controls_;
};

} // namespace win
