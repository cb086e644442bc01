#include "platform/win/RemoteFrame.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace win {
namespace {

// The system messages whose wParam and lParam are plain values. Messages that
// carry a pointer (WM_CREATE, WM_GETMINMAXINFO, WM_SETTINGCHANGE, WM_GETDLGCODE,
// WM_TIMER's procedure ...) or a device context, brush or region of the sending
// process (WM_ERASEBKGND, WM_CTLCOLOR*, WM_NCPAINT) are left out, and so are the
// lifetime messages the layer sends itself (WM_DESTROY, WM_NCDESTROY, WM_QUIT).
constexpr UINT kPlainMessages[] = {
    WM_NULL,          WM_MOVE,          WM_SIZE,          WM_ACTIVATE,       WM_SETFOCUS,
    WM_KILLFOCUS,     WM_ENABLE,        WM_GETTEXTLENGTH, WM_CLOSE,          WM_SHOWWINDOW,
    WM_SETCURSOR,     WM_MOUSEACTIVATE, WM_CONTEXTMENU,   WM_NCACTIVATE,     WM_NCMOUSEMOVE,
    WM_KEYDOWN,       WM_KEYUP,         WM_CHAR,          WM_SYSKEYDOWN,     WM_SYSKEYUP,
    WM_SYSCHAR,       WM_COMMAND,       WM_SYSCOMMAND,    WM_HSCROLL,        WM_VSCROLL,
    WM_MOUSEMOVE,     WM_LBUTTONDOWN,   WM_LBUTTONUP,     WM_LBUTTONDBLCLK,  WM_RBUTTONDOWN,
    WM_RBUTTONUP,     WM_RBUTTONDBLCLK, WM_MBUTTONDOWN,   WM_MBUTTONUP,      WM_MOUSEWHEEL,
    WM_CAPTURECHANGED, WM_MOUSEHOVER,   WM_MOUSELEAVE,    WM_HOTKEY,
};

bool IsQuery(uint32_t code) { return code >= kQueryIsWindow && code <= kQueryForeground; }

// The header, when the bytes hold one of ours whose length says exactly what
// follows it.
bool TakeHeader(const void *bytes, size_t size, size_t maxData, RemoteFrame &frame)
{
    if (!bytes || size < sizeof frame)
        return false;
    std::memcpy(&frame, bytes, sizeof frame);
    return frame.magic == kRemoteMagic && frame.dataLen <= maxData && size == sizeof frame + frame.dataLen;
}

RequestCheck CheckSend(const RemoteFrame &f)
{
    switch (CrossingOf(f.message)) {
    case Crossing::kPlain:
        return f.dataLen == 0 ? RequestCheck::kAccepted : RequestCheck::kMalformed;
    case Crossing::kCopyData:
    case Crossing::kSetText:
        return f.lParam == 0 ? RequestCheck::kAccepted : RequestCheck::kMalformed;
    case Crossing::kGetText:
        return f.lParam == 0 && f.dataLen == 0 && f.wParam <= kMaxCopyDataBytes + 1 ? RequestCheck::kAccepted
                                                                                     : RequestCheck::kMalformed;
    case Crossing::kRefused:
        return f.dataLen == 0 ? RequestCheck::kRefused : RequestCheck::kMalformed;
    }
    return RequestCheck::kMalformed;
}

} // namespace

Crossing CrossingOf(UINT msg)
{
    if (msg >= WM_USER)
        return Crossing::kPlain;
    switch (msg) {
    case WM_COPYDATA:
        return Crossing::kCopyData;
    case WM_SETTEXT:
        return Crossing::kSetText;
    case WM_GETTEXT:
        return Crossing::kGetText;
    default:
        return std::find(std::begin(kPlainMessages), std::end(kPlainMessages), msg) != std::end(kPlainMessages)
                   ? Crossing::kPlain
                   : Crossing::kRefused;
    }
}

RequestCheck CheckRemoteRequest(const void *bytes, size_t size, RemoteFrame &frame)
{
    if (!TakeHeader(bytes, size, kMaxCopyDataBytes, frame))
        return RequestCheck::kMalformed;
    switch (frame.kind) {
    case kRemotePost:
        // Only a send carries data or has an answer to copy back.
        if (frame.dataLen != 0)
            return RequestCheck::kMalformed;
        return CrossingOf(frame.message) == Crossing::kPlain ? RequestCheck::kAccepted : RequestCheck::kRefused;
    case kRemoteSend:
        return CheckSend(frame);
    case kRemoteQuery:
        return frame.dataLen == 0 && IsQuery(frame.message) ? RequestCheck::kAccepted : RequestCheck::kMalformed;
    default:
        return RequestCheck::kMalformed;
    }
}

bool CheckRemoteAnswer(const void *bytes, size_t size, size_t maxData, RemoteFrame &frame)
{
    return TakeHeader(bytes, size, std::min<size_t>(maxData, kMaxCopyDataBytes), frame) &&
           frame.kind == kRemoteAnswer && frame.dwData <= kAnswerRefused;
}

} // namespace win
