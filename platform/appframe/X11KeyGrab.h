// Inside the layer: the X11 side of the global hot keys. A connection of its own
// to the display grabs key combinations on the root window (with and without
// Caps Lock and Num Lock) and reads the presses they catch. Not for program code.
#pragma once

#include <utility>
#include <vector>

#include "platform/win/WinTypes.h"

struct _XDisplay;

namespace win {

class X11KeyGrab {
public:
    X11KeyGrab() = default;
    ~X11KeyGrab() { Close(); }
    X11KeyGrab(const X11KeyGrab &) = delete;
    X11KeyGrab &operator=(const X11KeyGrab &) = delete;

    // Connects to the display DISPLAY names; false when it cannot be opened.
    bool Open();
    void Close();
    bool IsOpen() const { return display_ != nullptr; }
    // The connection's socket, readable when events arrive.
    int Fd() const;

    enum class GrabResult { Grabbed, NoSuchKey, Refused };
    // Grabs virtual key `vk` with the MOD_... `modifiers`; Refused when another
    // client holds any variant of it (nothing stays grabbed then).
    GrabResult Grab(UINT vk, UINT modifiers);
    void Ungrab(UINT vk, UINT modifiers);

    // The grabbed combinations pressed since the last call, as (vk, modifiers),
    // in order.
    std::vector<std::pair<UINT, UINT>> TakePresses();

private:
    struct Grabbed {
        UINT vk;
        UINT modifiers;
        unsigned keycode;
        unsigned mask;
    };
    std::vector<unsigned> LockVariants() const;

    _XDisplay *display_ = nullptr;
    unsigned numLockMask_ = 0;
    std::vector<Grabbed> grabs_;
};

} // namespace win
