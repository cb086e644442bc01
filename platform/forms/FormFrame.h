// Inside the form library: the top-level window of a form with a main menu,
// holding the menu bar above the form's own widget (the client area), and the
// window surface that gives showing, placing and window state to the frame
// while painting, coordinates and child windows stay with the client area.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "platform/forms/WindowHost.h"

class QMenuBar;

namespace win {

class FormFrame;
class TForm;
class TMenuItem;

class FrameSurface : public WindowSurface {
public:
    FrameSurface(FormFrame *frame, QWidget *client);
    void Show(int cmdShow) override { window_.Show(cmdShow); }
    bool IsVisible() const override { return window_.IsVisible(); }
    bool IsMinimized() const override { return window_.IsMinimized(); }
    bool IsMaximized() const override { return window_.IsMaximized(); }
    void BringToFront() override { window_.BringToFront(); }
    QWidget *Widget() override { return client_.Widget(); }
    // The frame's position with the client area's size.
    RECT Bounds() const override;
    void SetBounds(const RECT &bounds) override;
    POINT ClientOrigin() const override { return client_.ClientOrigin(); }
    void SetParentWindow(HWND parent) override;
    void Invalidate(const RECT *rect, bool erase) override { client_.Invalidate(rect, erase); }
    void UpdateNow() override { client_.UpdateNow(); }
    void Focus() override { client_.Focus(); }
    bool HasFocus() const override { return client_.HasFocus(); }

private:
    QPointer<FormFrame> frame_;
    WidgetSurface window_;
    WidgetSurface client_;
};

class FormFrame : public QWidget {
public:
    explicit FormFrame(TForm *form);
    ~FormFrame() override;

    // Takes the form's widget as the client area.
    void SetClient(QWidget *client);
    QWidget *Client() const { return client_; }
    WindowSurface *Surface() const { return surface_.get(); }
    int BarHeight() const { return barShown_ ? barHeight_ : 0; }
    // The client area at (left, top) with that size, the bar above it.
    void Place(int left, int top, int width, int height);
    void Layout();
    // Fills the bar from the form's menu (none hides it); the client area keeps
    // its size unless the window is maximised. While a drop-down is open the bar
    // is filled again once it closes.
    void Rebuild();
    // The form is going: the frame empties its bar and goes soon after.
    void Release();

protected:
    // Closing the window asks the form (WM_CLOSE), as its own window does.
    bool event(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void ClearBar();
    bool DropDownOpen() const;
    void AddEntry(TMenuItem *item);

    TForm *form_;
    QMenuBar *bar_;
    QPointer<QWidget> client_;
    std::unique_ptr<FrameSurface> surface_;
    int barHeight_ = 0;
    bool barShown_ = false;
    // A drop-down's opening handler runs; the bar is to be filled again.
    bool opening_ = false;
    bool dirty_ = false;
};

} // namespace win
