// The base of the form library's visual controls: a window (HWND and window
// procedure, WndProc and Perform) on a widget, with its placement in the parent,
// visibility, colour, caption, font, hint, alignment and the mouse events. The
// window and widget are made when first needed, once the control is built.
#pragma once

#include "platform/forms/FormTypes.h"
#include "platform/forms/TComponent.h"
#include "platform/gdi/Property.h"
#include "platform/gdi/TFont.h"

class QWidget;

namespace win {

class HostWidget;
class TWinControl;
class TPopupMenu;
struct ControlPrivate;

class TControl : public TComponent {
public:
    explicit TControl(TComponent *Owner);
    ~TControl() override;
    AnsiString ClassName() const override { return "TControl"; }

    HWND GetHandle();
    bool HandleAllocated() const;
    // The control's message handling; derived controls override it and pass what
    // they do not handle to the inherited one.
    virtual void WndProc(TMessage &Message);
    // Sends a message straight to WndProc and returns its result.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);

    TWinControl *GetParent() const { return parent_; }
    virtual void SetParent(TWinControl *parent);
    int GetLeft() const { return left_; }
    int GetTop() const { return top_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    virtual int GetClientWidth() const { return width_; }
    virtual int GetClientHeight() const { return height_; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual void SetClientHeight(int v) { SetHeight(v); }
    TRect GetClientRect() const { return TRect(0, 0, GetClientWidth(), GetClientHeight()); }
    TRect GetBoundsRect() const { return TRect(left_, top_, left_ + width_, top_ + height_); }
    bool GetVisible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool GetEnabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    TColor GetColor() const { return color_; }
    virtual void SetColor(TColor color);
    virtual AnsiString GetCaption() const { return caption_; }
    virtual void SetCaption(AnsiString caption);
    TAlign GetAlign() const { return align_; }
    void SetAlign(TAlign align);
    // Applies a changed Font to the control.
    void FontChanged();

    Property<TControl, int, &TControl::GetLeft, &TControl::SetLeft> Left{this};
    Property<TControl, int, &TControl::GetTop, &TControl::SetTop> Top{this};
    Property<TControl, int, &TControl::GetWidth, &TControl::SetWidth> Width{this};
    Property<TControl, int, &TControl::GetHeight, &TControl::SetHeight> Height{this};
    Property<TControl, int, &TControl::GetClientWidth, &TControl::SetClientWidth> ClientWidth{this};
    Property<TControl, int, &TControl::GetClientHeight, &TControl::SetClientHeight> ClientHeight{this};
    Property<TControl, bool, &TControl::GetVisible, &TControl::SetVisible> Visible{this};
    Property<TControl, bool, &TControl::GetEnabled, &TControl::SetEnabled> Enabled{this};
    Property<TControl, TColor, &TControl::GetColor, &TControl::SetColor> Color{this};
    Property<TControl, AnsiString, &TControl::GetCaption, &TControl::SetCaption> Caption{this};
    Property<TControl, AnsiString, &TControl::GetCaption, &TControl::SetCaption> Text{this};
    Property<TControl, TAlign, &TControl::GetAlign, &TControl::SetAlign> Align{this};
    Property<TControl, TWinControl *, &TControl::GetParent, &TControl::SetParent> Parent{this};
    ReadOnlyProperty<TControl, HWND, &TControl::GetHandle> Handle{this};
    ObjectProperty<TFont> Font;
    AnsiString Hint;
    bool ShowHint = false;
    TPopupMenu *PopupMenu = nullptr;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;

    virtual void Click();
    virtual void DblClick();
    // Marks the whole control for repainting; Repaint and Refresh paint it now.
    void Invalidate();
    void Repaint();
    void Refresh() { Repaint(); }
    void Update();
    TPoint ClientToScreen(const TPoint &point);
    TPoint ScreenToClient(const TPoint &point);
    void BringToFront();
    void SendToBack();

    // Inside the library: the widget (made when needed) and its host when the
    // control paints itself.
    QWidget *Widget();
    HostWidget *Host();
    void HandleNeeded();
    // A default or cancel button takes Enter or Esc of its form by clicking
    // itself (true); other controls take none.
    virtual bool AcceptDialogKey(WORD key, bool focused) { return false; }

protected:
    // Makes the control's widget; the default is a widget with its own image that
    // the control paints through WM_PAINT.
    virtual QWidget *CreateWidget(QWidget *parent);
    // The window and widget exist.
    virtual void CreateWnd() {}
    // Passes a standard control's text, colour and font to its widget.
    virtual void ApplyCaption() {}
    // The window is being made (what is applied to it now is no change).
    bool CreatingWindow() const;
    virtual void ApplyColor();
    virtual void ApplyFont();
    // The painting of a control that paints itself, on the paint context.
    virtual void PaintWindow(HDC dc) {}
    // True when the program paints the control (its window then keeps an image of
    // its own); the library's own painting needs none.
    virtual bool PaintsItself() const { return false; }
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Resize();
    // Messages WndProc leaves: standard widgets act on input that did not come
    // from Qt; the rest goes to DefWindowProcA.
    virtual void DefaultHandler(TMessage &Message);
    // True for a standard (Qt) widget, false for one that paints itself.
    bool IsNative();
    // Marks that the input message being handled must not reach Qt's handling.
    static void ConsumeInput();

    AnsiString caption_;
    bool visible_ = true;

private:
    friend class TWinControl;
    void PaintHandler();
    void MouseMessage(TMessage &m);

    ControlPrivate *priv_;
    TWinControl *parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    TAlign align_ = alNone;
    bool pressed_ = false;
};

} // namespace win
