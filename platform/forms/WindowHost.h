// Inside the form library: the widgets that host windows. A window that paints
// itself (raw windows, forms, custom controls, grids) lives on a HostWidget with
// its own image, painted through WM_PAINT; every hosted window's Qt input is
// turned into WM_* messages with their Win32 parameters, shown to the
// application's hook and handed to the window procedure before Qt's own handling.
#pragma once

#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "platform/forms/FormTypes.h"
#include "platform/win/WindowSurface.h"

class QImage;

namespace win {

// What the message being handled came from: Qt input (which Qt still handles
// unless a handler consumed it) or the queue and Perform (which standard widgets
// must then be made to act on).
struct InputState {
    bool fromQt = false;
    bool consumed = false;
    TShiftState shift;
};
InputState &CurrentInput();

// The held keys of the message being handled (Qt input), or the keyboard's.
TShiftState KeyboardShift();
TShiftState MouseShift(WPARAM keys);

// A window that paints itself or is drawn on outside paint keeps an image of
// its own, which a resize reuses while it is large enough; any other hosted
// window (the library's panels, forms without OnPaint) keeps none and paints
// each area Qt asks for through WM_PAINT on a shared scratch image.
class HostWidget : public QWidget {
public:
    HostWidget(QWidget *parent, HWND hwnd);
    ~HostWidget() override;

    void SetWindow(HWND hwnd);
    HWND Window() const { return hwnd_; }
    // The kept image, or null while the window keeps none.
    const std::shared_ptr<QImage> &Image() const { return image_; }
    // The image the window's contexts draw on: the scratch image while a window
    // without an image of its own paints; otherwise its own image, kept from now on.
    std::shared_ptr<QImage> Surface();
    // Keeps an image of the window's own (painted whole when the window is shown).
    void KeepImage();
    // Asked at each paint whether the window paints itself and so keeps an image.
    void SetPaintsItself(std::function<bool()> test) { paintsItself_ = std::move(test); }
    // Marks an area (null: all) to be painted through WM_PAINT.
    void Invalidate(const QRect *rect, bool erase);
    // Paints the marked area now.
    void PaintNow();
    // BeginPaint's part: takes the marked area.
    QRect TakeUpdate(bool &erase);
    // Gives the window the widget's size; a new size is painted whole (WM_PAINT)
    // after WM_SIZE.
    void SyncSize();
    // The colour new parts of the image start with.
    void SetFill(uint32_t rgb) { fill_ = rgb; }
    bool Painting() const { return painting_; }

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    QRect All() const { return QRect(QPoint(0, 0), size_); }
    // Gives the kept image the size, in the same buffer while it is large enough.
    void SizeImage();
    // Sends WM_PAINT for the marked area, drawn on the current surface.
    void SendPaint();
    // The paint of a window without an image of its own.
    void PaintOnScratch(const QRegion &area);

    HWND hwnd_;
    QSize size_{1, 1};
    std::shared_ptr<QImage> image_;
    // The pixels under the kept image, at least its size.
    QImage buffer_;
    // The scratch image while a window without its own paints.
    std::shared_ptr<QImage> scratch_;
    std::function<bool()> paintsItself_;
    QRegion invalid_;
    bool erase_ = false;
    bool painting_ = false;
    bool sized_ = false;
    uint32_t fill_ = 0xFFFFFF;
};

// Turns a Qt event on `widget`, the host of `hwnd`, into window messages; true
// when the event was consumed (by the hook or a handler) and Qt must not act on it.
bool TranslateQtInput(HWND hwnd, QWidget *widget, QEvent *e);

// Makes a standard widget act on an input message that did not come from Qt (a
// posted key, character or click); false for messages that are not input.
bool InjectInput(QWidget *widget, UINT msg, WPARAM wParam, LPARAM lParam);

// Watches a standard widget's input for its window.
class InputFilter : public QObject {
public:
    InputFilter(QObject *parent, HWND hwnd) : QObject(parent), hwnd_(hwnd) {}
    void SetWindow(HWND hwnd) { hwnd_ = hwnd; }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    HWND hwnd_;
};

// The surface a hosted window lends the windows layer.
class WidgetSurface : public WindowSurface {
public:
    // `host` is the widget itself when it is a HostWidget, else null.
    WidgetSurface(QWidget *widget, HostWidget *host, bool raw) : widget_(widget), host_(host), raw_(raw) {}

    void Show(int cmdShow) override;
    bool IsVisible() const override;
    bool IsMinimized() const override;
    bool IsMaximized() const override;
    void BringToFront() override;
    QWidget *Widget() override { return widget_; }
    RECT Bounds() const override;
    void SetBounds(const RECT &bounds) override;
    RECT NormalBounds() const override;
    POINT ClientOrigin() const override;
    void SetParentWindow(HWND parent) override;
    void Invalidate(const RECT *rect, bool erase) override;
    void UpdateNow() override;
    void Focus() override;
    bool HasFocus() const override;
    void Created() override;
    void Destroyed() override;

private:
    QPointer<QWidget> widget_;
    HostWidget *host_;
    bool raw_;
};

// GBK text to and from Qt.
QString QtText(const std::string &gbk);
std::string GbkText(const QString &text);

// Told when the mouse enters a hosted window (the application's hint).
void SetHoverHook(std::function<void(HWND)> hook);

// Installs the hosting of raw windows and the window contexts of the drawing
// layer; idempotent.
void InstallWindowHosting();

// The control of a window of the form library, or null.
class TControl;
TControl *ControlOfWindow(HWND hwnd);

// The host widget of a window, or null.
HostWidget *HostOf(HWND hwnd);

// The virtual-key code of a Qt key (0 for none) and back.
WORD VirtualKeyOf(int qtKey, bool keypad);
int QtKeyOf(WORD vk);

} // namespace win
