#include "platform/appframe/X11KeyGrab.h"

#include <algorithm>

#include "platform/appframe/HotKey.h"
#include "platform/forms/FormTypes.h"

// Last: the X headers define macros (None, Bool, Status ...) that clash with
// names elsewhere.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace win {
namespace {

// The keysym of a virtual key, or NoSymbol for a key the table does not know.
KeySym KeysymOf(UINT vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return XK_0 + (vk - '0');
    if (vk >= VK_F1 && vk <= VK_F1 + 23)
        return XK_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return XK_KP_0 + (vk - VK_NUMPAD0);
    static const struct {
        UINT vk;
        KeySym sym;
    } table[] = {
        {0x03, XK_Cancel},        {VK_BACK, XK_BackSpace},    {VK_TAB, XK_Tab},
        {VK_CLEAR, XK_Clear},     {VK_RETURN, XK_Return},     {VK_SHIFT, XK_Shift_L},
        {VK_CONTROL, XK_Control_L}, {VK_MENU, XK_Alt_L},      {VK_PAUSE, XK_Pause},
        {VK_CAPITAL, XK_Caps_Lock}, {VK_ESCAPE, XK_Escape},   {VK_SPACE, XK_space},
        {VK_PRIOR, XK_Prior},     {VK_NEXT, XK_Next},         {VK_END, XK_End},
        {VK_HOME, XK_Home},       {VK_LEFT, XK_Left},         {VK_UP, XK_Up},
        {VK_RIGHT, XK_Right},     {VK_DOWN, XK_Down},         {VK_SNAPSHOT, XK_Print},
        {VK_INSERT, XK_Insert},   {VK_DELETE, XK_Delete},     {0x5B, XK_Super_L},
        {0x5C, XK_Super_R},       {0x5D, XK_Menu},            {VK_MULTIPLY, XK_KP_Multiply},
        {VK_ADD, XK_KP_Add},      {VK_SUBTRACT, XK_KP_Subtract}, {VK_DECIMAL, XK_KP_Decimal},
        {VK_DIVIDE, XK_KP_Divide}, {VK_NUMLOCK, XK_Num_Lock}, {VK_SCROLL, XK_Scroll_Lock},
        {VK_OEM_1, XK_semicolon}, {VK_OEM_PLUS, XK_equal},    {VK_OEM_COMMA, XK_comma},
        {VK_OEM_MINUS, XK_minus}, {VK_OEM_PERIOD, XK_period}, {VK_OEM_2, XK_slash},
        {VK_OEM_3, XK_grave},     {VK_OEM_4, XK_bracketleft}, {VK_OEM_5, XK_backslash},
        {VK_OEM_6, XK_bracketright}, {VK_OEM_7, XK_apostrophe},
    };
    for (const auto &entry : table)
        if (entry.vk == vk)
            return entry.sym;
    return NoSymbol;
}

unsigned MaskOf(UINT modifiers)
{
    unsigned mask = 0;
    if (modifiers & MOD_SHIFT)
        mask |= ShiftMask;
    if (modifiers & MOD_CONTROL)
        mask |= ControlMask;
    if (modifiers & MOD_ALT)
        mask |= Mod1Mask;
    if (modifiers & MOD_WIN)
        mask |= Mod4Mask;
    return mask;
}

constexpr unsigned kModifierMask = ShiftMask | ControlMask | Mod1Mask | Mod4Mask;

// Errors of the grabs in progress on `grabDisplay`; X reports them through one
// handler for the whole process, set only while the layer's grab waits for them.
Display *grabDisplay = nullptr;
bool grabRefused = false;

int NoteGrabError(Display *display, XErrorEvent *error)
{
    if (display == grabDisplay)
        grabRefused = true;
    return 0;
}

} // namespace

bool X11KeyGrab::Open()
{
    if (display_)
        return true;
    display_ = XOpenDisplay(nullptr);
    if (!display_)
        return false;
    // Num Lock sits on whichever modifier the keyboard map gives it.
    numLockMask_ = 0;
    KeyCode numLock = XKeysymToKeycode(display_, XK_Num_Lock);
    if (XModifierKeymap *map = XGetModifierMapping(display_)) {
        for (int m = 0; m < 8 && numLock; ++m)
            for (int k = 0; k < map->max_keypermod; ++k)
                if (map->modifiermap[m * map->max_keypermod + k] == numLock)
                    numLockMask_ = 1u << m;
        XFreeModifiermap(map);
    }
    return true;
}

void X11KeyGrab::Close()
{
    if (!display_)
        return;
    XCloseDisplay(display_);
    display_ = nullptr;
    grabs_.clear();
}

int X11KeyGrab::Fd() const { return display_ ? ConnectionNumber(display_) : -1; }

std::vector<unsigned> X11KeyGrab::LockVariants() const
{
    std::vector<unsigned> variants{0, LockMask};
    if (numLockMask_ && numLockMask_ != LockMask) {
        variants.push_back(numLockMask_);
        variants.push_back(numLockMask_ | LockMask);
    }
    return variants;
}

X11KeyGrab::GrabResult X11KeyGrab::Grab(UINT vk, UINT modifiers)
{
    KeySym sym = KeysymOf(vk);
    KeyCode keycode = sym == NoSymbol ? 0 : XKeysymToKeycode(display_, sym);
    if (keycode == 0)
        return GrabResult::NoSuchKey;
    const unsigned mask = MaskOf(modifiers);
    Window root = DefaultRootWindow(display_);

    XSync(display_, False);
    grabDisplay = display_;
    grabRefused = false;
    XErrorHandler previous = XSetErrorHandler(NoteGrabError);
    for (unsigned extra : LockVariants())
        XGrabKey(display_, keycode, mask | extra, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
    bool refused = grabRefused;
    if (refused) {
        for (unsigned extra : LockVariants())
            XUngrabKey(display_, keycode, mask | extra, root);
        XSync(display_, False);
    }
    XSetErrorHandler(previous);
    grabDisplay = nullptr;
    if (refused)
        return GrabResult::Refused;
    grabs_.push_back({vk, modifiers, keycode, mask});
    return GrabResult::Grabbed;
}

void X11KeyGrab::Ungrab(UINT vk, UINT modifiers)
{
    auto it = std::find_if(grabs_.begin(), grabs_.end(),
                           [&](const Grabbed &g) { return g.vk == vk && g.modifiers == modifiers; });
    if (it == grabs_.end())
        return;
    Window root = DefaultRootWindow(display_);
    for (unsigned extra : LockVariants())
        XUngrabKey(display_, it->keycode, it->mask | extra, root);
    XFlush(display_);
    grabs_.erase(it);
}

std::vector<std::pair<UINT, UINT>> X11KeyGrab::TakePresses()
{
    std::vector<std::pair<UINT, UINT>> presses;
    if (!display_)
        return presses;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != KeyPress)
            continue;
        for (const Grabbed &g : grabs_)
            if (g.keycode == event.xkey.keycode && g.mask == (event.xkey.state & kModifierMask & ~numLockMask_))
                presses.emplace_back(g.vk, g.modifiers);
    }
    return presses;
}

} // namespace win
