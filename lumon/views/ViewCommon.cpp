#include "lumon/views/ViewCommon.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/FrameServices.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVChild.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TRichEdit.h"
#include "platform/forms/TSaveDialog.h"
#include "platform/gdi/TPrinter.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Stdio.h"
#include "platform/win/Time.h"

using namespace win;

HWND ViewFrameWindow() { return MFrame ? MFrame->GetFrameWindow() : 0; }

TNormalClnt *ConnectedRequestClient()
{
    return RequestClient && RequestClient->IsConnected() ? RequestClient : nullptr;
}

void ToggleViewLink(TMultiViewChild *view)
{
    view->Link = view->Link ? 0 : 1;
    if (view->Link || !MainFrame())
        return;
    for (int i = 0; i < MainFrame()->ComponentCount(); ++i) {
        auto *mi = dynamic_cast<TMenuItem *>(MainFrame()->Components(i));
        if (mi && mi->Caption == "联动(&S)")
            mi->Checked = false;
    }
}

bool IsSecondClick(int &lastClick)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    const int now = ((time.wHour * 60 + time.wMinute) * 60 + time.wSecond) * 10 + time.wMilliseconds / 100;
    if (now - lastClick >= 0 && now - lastClick <= 3)
        return true;
    lastClick = now;
    return false;
}

TextViewMenus BuildTextViewMenus(TMultiViewChild *view, TRichEdit *article, TControl *list,
                                 std::function<void()> backToList, TSaveDialog *const *saveDialog)
{
    auto item = [view](TPopupMenu *menu, const char *caption, std::function<void()> click) {
        auto *mi = new TMenuItem(view);
        mi->Caption = caption;
        mi->OnClick = [click](TObject *) { click(); };
        menu->Items->Add(mi);
        return mi;
    };
    TextViewMenus m;
    m.Text = new TPopupMenu(view);
    m.TextBack = item(m.Text, "后退(&B)", std::move(backToList));
    m.Copy = item(m.Text, "复制(&C)", [article] { CopyRichText(article, true); });
    m.SaveAs = item(m.Text, "另存为(&A)...", [article, saveDialog] { SaveRichTextAs(article, *saveDialog, true); });
    m.TextPrint = item(m.Text, "打印(&P)", [view] { view->PrintView(); });
    m.TextLink = item(m.Text, "联动(&S)", [view] { ToggleViewLink(view); });
    m.TextLink->Visible = false;
    m.Text->OnPopup = [view, link = m.TextLink](TObject *) { link->Checked = view->Link != 0; };
    article->PopupMenu = m.Text;
    m.List = new TPopupMenu(view);
    m.ListLink = item(m.List, "联动(&S)", [view] { ToggleViewLink(view); });
    m.ListLink->Visible = false;
    m.ListBack = item(m.List, "后退(&B)", [view] { view->PostToPage(WM_PANE_BACK); });
    m.ListPrint = item(m.List, "打印(&P)", [view] { view->PrintView(); });
    m.List->OnPopup = [view, link = m.ListLink](TObject *) { link->Checked = view->Link != 0; };
    list->PopupMenu = m.List;
    return m;
}

void CopyRichText(TRichEdit *edit, bool black)
{
    const TColor colour = edit->Font->Color;
    if (black)
        edit->Font->Color = clBlack;
    if (edit->SelLength == 0) {
        edit->SelectAll();
        edit->CopyToClipboard();
        edit->SelLength = 0;
    } else {
        edit->CopyToClipboard();
    }
    if (black)
        edit->Font->Color = colour;
}

std::string FileNameExtension(const std::string &name)
{
    const size_t slash = name.find_last_of("\\/");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return name.substr(dot + 1);
}

void SaveRichTextAs(TRichEdit *edit, TSaveDialog *dialog, bool black)
{
    char folder[260];
    const DWORD got = GetCurrentDirectoryA(sizeof folder, folder);
    if (got == 0 || got >= sizeof folder) {
        MessageBoxA(0, "路径太深!  ", "提示", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    const bool accepted = dialog->Execute();
    SetCurrentDirectoryA(folder);
    if (!accepted)
        return;
    std::string name = dialog->FileName.c_str();
    const std::string ext = FileNameExtension(name);
    if (ext == "txt" || ext == "TXT") {
        // Text mode: each line feed is written as CR LF.
        std::FILE *f = win::fopen(name.c_str(), "w");
        if (!f)
            return;
        for (int i = 0; i < edit->Lines->Count(); ++i) {
            std::fputs((*edit->Lines)[i].c_str(), f);
            std::fputc('\n', f);
        }
        std::fclose(f);
        return;
    }
    if (ext.empty())
        name += ".doc";
    const TColor colour = edit->Font->Color;
    if (black)
        edit->Font->Color = clBlack;
    const bool plain = edit->PlainText;
    edit->PlainText = false;
    edit->Lines->SaveToFile(name.c_str());
    edit->PlainText = plain;
    if (black)
        edit->Font->Color = colour;
}

bool ConfirmPrint(TPrintDialog *dialog)
{
    if (MessageBoxA(0, "是否打印当前画面?  ", "查询", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES)
        return false;
    return dialog->Execute();
}

bool PrintLinesOnePage(const TControlItems &lines, const char *title)
{
    TPrinter *printer = Printer();
    printer->Title = title;
    if (!printer->BeginDoc())
        return false;
    const int width = printer->PageWidth, height = printer->PageHeight;
    int y = 200;
    for (int i = 0; i < lines.Count() && y <= height - 200; ++i) {
        const AnsiString &line = lines[i];
        printer->Canvas->TextOut(200, y, line);
        const int textWidth = printer->Canvas->TextWidth(line);
        const int lineHeight = printer->Canvas->TextHeight(line.Length() ? line : AnsiString("啊"));
        y += (textWidth / (width > 200 ? width - 200 : 1) + 1) * lineHeight;
    }
    return printer->EndDoc();
}

void DrawListLine(TListBox *list, int index, const TRect &rect, TOwnerDrawState state)
{
    TCanvas *canvas = list->Canvas;
    const TColor back = list->Color, text = canvas->Font->Color;
    const bool selected = state.Contains(odSelected);
    canvas->Brush->Color = selected ? text : back;
    canvas->FillRect(rect);
    canvas->Font->Color = selected ? back : text;
    if (index >= 0 && index < list->Items->Count())
        canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, (*list->Items)[index]);
    canvas->Font->Color = text;
}

bool StepTextFont(int &step, int direction, TFont *const *fonts, int count)
{
    int delta = 0;
    if (direction >= 1 && step < 10)
        delta = 1;
    else if (direction < 0 && step > 0)
        delta = -1;
    if (delta == 0)
        return false;
    step += delta;
    for (int i = 0; i < count; ++i)
        if (fonts[i]) {
            fonts[i]->Charset = DEFAULT_CHARSET;
            fonts[i]->Size = fonts[i]->Size + delta;
        }
    return true;
}

bool TakeRecordFileName(const char *field, size_t size, char *out, size_t outSize)
{
    const size_t n = strnlen(field, size);
    if (n == 0 || n >= outSize)
        return false;
    std::memcpy(out, field, n);
    out[n] = 0;
    if (std::strchr(out, '\\') || std::strchr(out, '/') || std::strstr(out, ".."))
        return false;
    for (size_t i = 0; i < n; ++i)
        if (uint8_t(out[i]) < 0x20 || std::strchr(":*?\"<>|", out[i]))
            return false;
    return true;
}

std::string RecordText(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }
