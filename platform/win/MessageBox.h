// Message boxes: MessageBoxA with the Windows types, icons and answers, shown on
// the GUI thread whoever calls it; for tests a recorder that answers from a
// script and keeps what was shown.
#pragma once

#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

namespace win {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_DEFMASK = 0xF00;
constexpr UINT MB_APPLMODAL = 0x0000;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_TOPMOST = 0x40000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal box owned by `owner` (0: none) with the GBK text and caption (a
// null caption reads "错误") and returns the button chosen. A call from a worker
// thread waits while the GUI thread shows the box. Without a GUI the text goes to
// the error output and the default button is the answer.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
inline int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

// What a box showed, as the recorder keeps it.
struct ShownMessageBox {
    HWND owner;
    std::string caption; // GBK
    std::string text;    // GBK
    UINT type;           // the whole type word
    UINT buttons;        // type & MB_TYPEMASK
    UINT icon;           // type & MB_ICONMASK
    int answer;
    bool onGuiThread;    // shown on the GUI thread (or where there is none)
};

// Switches the recorder on (boxes are no longer shown, the record starts empty)
// or off.
void RecordMessageBoxes(bool on);
// Answers for the next boxes, in order. A box past the script, or whose script
// answer is not one of its buttons, gets its default button.
void ScriptMessageBoxAnswers(std::vector<int> answers);
std::vector<ShownMessageBox> ShownMessageBoxes();

} // namespace win
