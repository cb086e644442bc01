// The owner-drawn buttons of the password keypad and the login dialog: a push
// button frame (pressed while held) with a picture AND-ed into it, the digit of
// the keypad slot the button is bound to, or the keypad picture of the login's
// two keypad buttons.
#pragma once

#include "platform/appframe/CButton.h"
#include "platform/gdi/GdiTypes.h"

// One keypad slot: the digit its button enters and that digit's picture.
struct PadKeySlot {
    char digit;
    win::HBITMAP bitmap;
};
// The slots, shared by every keypad: buttons 1163 to 1171 are slots 1 to 9,
// 1172 slot 0.
extern PadKeySlot PadKeySlots[10];
// The slot of a digit button, or -1.
int PadSlotOfButton(int id);

// Enters the keypad's pictures (the digits as bitmaps 170 to 180, the keypad
// picture 181) once.
void RegisterPadBitmaps();

class CPadButton : public win::CButton {
public:
    void DrawItem(win::LPDRAWITEMSTRUCT lpDrawItemStruct) override;
};
