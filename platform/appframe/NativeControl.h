// Inside the framework: the window side of the standard controls ("Edit",
// "Button", "Static", "ComboBox", "ListBox", ...). Each control window has an
// object of its class that owns the widget showing it (a Qt widget, or an image
// painted through WM_PAINT), answers the control's messages and tells the parent
// what happened (WM_COMMAND notifications). Not for program code.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/appframe/AfxMessages.h"

namespace win {

class HostWidget;
class WidgetSurface;
class InputFilter;

class NativeControl {
public:
    virtual ~NativeControl();

    HWND hwnd = 0;
    DWORD Style() const;
    void SetStyleBits(DWORD style);
    WORD Id() const;
    HWND Parent() const;

    // Makes the widget (null: a HostWidget painted through WM_PAINT).
    virtual QWidget *CreateWidget(QWidget *parent, const CREATESTRUCTA &cs) = 0;
    // The messages every control answers (text, font, enabling, focus, input,
    // colours), then DefWindowProcA.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual std::string Text() const { return title_; }
    virtual void SetText(const std::string &text) { title_ = text; }
    virtual LRESULT DialogCode(WPARAM key) const { return 0; }
    // The WM_CTLCOLOR* message the control asks its parent for its colours.
    virtual UINT CtlColorMessage() const { return WM_CTLCOLORSTATIC; }
    // The font changed.
    virtual void FontChanged() {}
    virtual void FocusChanged(bool gained) {}
    virtual void Created() {}

    // WM_COMMAND with the notification code to the parent.
    void Notify(WORD code);
    // Asks the parent for the text colour and background (WM_CTLCOLOR*) and gives
    // them to a Qt widget.
    void ApplyColors();
    // The font of WM_SETFONT (0: the default GUI font).
    HFONT Font() const { return font_; }
    QWidget *Widget() const { return widget_; }
    HostWidget *Host() const { return host_; }
    void Repaint();

    // Inside the class procedures.
    void Attach(HWND h, const CREATESTRUCTA &cs);
    void Detach();

protected:
    std::string title_;
    HFONT font_ = 0;
    QPointer<QWidget> widget_;
    HostWidget *host_ = nullptr;
    WidgetSurface *surface_ = nullptr;
    InputFilter *filter_ = nullptr;
    QObject *painter_ = nullptr;
};

// The objects of the control windows.
std::unordered_map<HWND, std::unique_ptr<NativeControl>> &NativeControls();
NativeControl *NativeControlOf(HWND hwnd);

// The class procedure of controls of type T.
template <typename T>
LRESULT NativeControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto it = NativeControls().find(hwnd);
    if (it == NativeControls().end()) {
        if (msg != WM_NCCREATE || !lParam)
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        auto control = std::make_unique<T>();
        NativeControl *c = control.get();
        NativeControls()[hwnd] = std::move(control);
        c->Attach(hwnd, *reinterpret_cast<CREATESTRUCTA *>(lParam));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    NativeControl *c = it->second.get();
    LRESULT result = c->WndProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        c->Detach();
        NativeControls().erase(hwnd);
    }
    return result;
}

// A text's position in a GBK text (bytes) and in the widget's text (UTF-16
// units), both ways; positions are clamped to the text.
int QtPosition(const std::string &gbk, int byteOffset);
int GbkPosition(const QString &text, int qtPosition);

} // namespace win
