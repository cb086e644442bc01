// What the text views share (news, company text, notes) and the ranking with
// them: the link item of their menus, the frame's window and request client,
// copying, saving and printing a rich edit, printing lines on one page, the
// font steps, and the names of server-written files taken safely.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/win/WinTypes.h"

namespace win {
class TControl;
class TMenuItem;
class TPopupMenu;
class TRichEdit;
class TSaveDialog;
class TPrintDialog;
class TControlItems;
class TFont;
class TListBox;
struct TRect;
class TOwnerDrawState;
} // namespace win

class TMultiViewChild;
class TNormalClnt;

// The frame's window, 0 while there is none.
win::HWND ViewFrameWindow();
// The request client when it exists and is connected, else null.
TNormalClnt *ConnectedRequestClient();

// Toggles the pane's link flag; switching it off unchecks the frame's "联动(&S)".
void ToggleViewLink(TMultiViewChild *view);

// A left click on a text view's article within three tenths of a second of the
// one before (tenths of the local day, `lastClick` the one before) is its
// double click; another is remembered as the one before.
bool IsSecondClick(int &lastClick);

// The two pop-up menus of the news and notes views, owned by the view: on the
// article (后退, 复制, 另存为, 打印 and a hidden 联动) and on the list (a hidden
// 联动, 后退 to the page, 打印). Each 联动 shows the pane's link flag when its
// menu opens; copying and saving write the article in black.
struct TextViewMenus {
    win::TPopupMenu *Text = nullptr;
    win::TMenuItem *TextBack = nullptr, *Copy = nullptr, *SaveAs = nullptr, *TextPrint = nullptr,
                   *TextLink = nullptr;
    win::TPopupMenu *List = nullptr;
    win::TMenuItem *ListLink = nullptr, *ListBack = nullptr, *ListPrint = nullptr;
};
// `backToList` is the article's 后退; `saveDialog` is where the view keeps its
// save dialog, read when 另存为 is chosen.
TextViewMenus BuildTextViewMenus(TMultiViewChild *view, win::TRichEdit *article, win::TControl *list,
                                 std::function<void()> backToList, win::TSaveDialog *const *saveDialog);

// Copies the selection, or the whole text when nothing is selected (the
// selection is then removed again). `black`: in black font colour.
void CopyRichText(win::TRichEdit *edit, bool black);
// The extension of a file name: the text after the last '.' that follows the
// last '\' or '/'; empty when there is none.
std::string FileNameExtension(const std::string &name);
// Save as: the save dialog, then plain CRLF lines for "txt" and "TXT", else rich
// text (".doc" added to a name without extension); `black`: the rich text is
// written in black. The working folder is kept.
void SaveRichTextAs(win::TRichEdit *edit, win::TSaveDialog *dialog, bool black);
// "是否打印当前画面?" answered Yes and the print dialog accepted.
bool ConfirmPrint(win::TPrintDialog *dialog);
// Prints the lines on one page from (200, 200), each advancing by its wrapped
// height, until the page's foot; false when the job did not run.
bool PrintLinesOnePage(const win::TControlItems &lines, const char *title);

// Paints a line of an owner-drawn title list in the list's colour and its
// canvas font colour, a selected line with the two exchanged.
void DrawListLine(win::TListBox *list, int index, const win::TRect &rect, win::TOwnerDrawState state);

// One font step of a text view: +1 (up to step 10) or -1 (down to 0); true when
// the step changed, the fonts given growing or shrinking by a point.
bool StepTextFont(int &step, int direction, win::TFont *const *fonts, int count);

// A name of `size` bytes from a server-written record as a file name of its
// folder: bounded, not empty, without '\', '/' or ".."; false when refused.
bool TakeRecordFileName(const char *field, size_t size, char *out, size_t outSize);
// A text field of `size` bytes from a record, cut at its NUL or its end.
std::string RecordText(const char *field, size_t size);
