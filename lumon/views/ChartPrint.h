// Printing what a view shows: the window's picture in black and white (its
// background white, everything else black), scaled to the page within margins
// of a twentieth and turned by 90 degrees when page and window lie differently.
// The charts print through it, and so can any other view (the quote list).
#pragma once

#include "platform/win/WinTypes.h"

namespace win {
class TWinControl;
class TPrintDialog;
} // namespace win

// Where the picture of a W x H window goes on a page of the printer's size.
struct PrintPlacement {
    int MarginX = 0;
    int MarginY = 0;
    int Width = 0;   // print size of the picture
    int Height = 0;
    bool Rotate = false;
};
PrintPlacement PlacePrintPicture(int pageWidth, int pageHeight, int W, int H);

// The texts a view's print command shows: its question and the message of a
// failed print job (the charts' by default).
struct PrintTexts {
    const char *Ask = "是否打印当前画面?";
    const char *Failed = "打印出错.  ";
};

// The whole print command of a view: the question (titled "查询"), a repaint,
// the print dialog, then one page on the program's printer. Every outcome is
// shown to the user; nothing is printed when the user says no or cancels.
// `background` is the colour that prints white.
void PrintWindowPicture(win::TWinControl *view, win::TPrintDialog *dialog, win::COLORREF background,
                        const PrintTexts &texts = {});
