// The frame's pages: the two page menus (the submenu "导入页面(&I)" and the page
// box's pop-up menu) with the check mark on the current page, the commands that
// open, create, save and delete pages, the page label of status box 2, and the
// remembered page of LASTPAGE.DAT.
#include <cstdio>
#include <cstring>

#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/PageManager.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Stdio.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

const char kDefaultLabel[] = "▲ 默认页面";
const char kPageMark[] = "▲ ";

int FrameBox(TMFrame *frame, const char *text, const char *title, UINT type)
{
    return MessageBoxA(frame->HandleAllocated() ? frame->Handle : HWND(0), text, title, type | MB_TOPMOST);
}

AnsiString Field(const char *field, size_t size) { return AnsiString(std::string(field, strnlen(field, size)).c_str()); }

// A page file that can be read: it opens and is no folder.
bool Readable(const char *path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::FILE *f = win::fopen(path, "rb");
    if (!f)
        return false;
    std::fclose(f);
    return true;
}

bool IsDefaultPath(const AnsiString &path) { return path == "Default" || path.AnsiCompareIC(DefaultPagePath) == 0; }

// The page-table entry whose path is `path` (letter case aside), or -1.
int TableEntryOf(const char *path)
{
    if (!path || !*path)
        return -1;
    const AnsiString wanted(path);
    for (int i = 0; i < PageCount && i < MaxPages; ++i) {
        const AnsiString entry = Field(PageTable[i].Path, sizeof PageTable[i].Path);
        if (!entry.IsEmpty() && entry.AnsiCompareIC(wanted) == 0)
            return i;
    }
    return -1;
}

void DeleteItemsTagged(TMenuItem *menu, int tag)
{
    for (int i = menu->Count - 1; i >= 0; --i)
        if (TMenuItem *item = menu->Items[i]; item->Tag == tag && item->Caption != "-") {
            menu->Delete(i);
            delete item;
        }
}

} // namespace

bool TMFrame::WriteLastPage(const char *path)
{
    char block[260] = {};
    std::strncpy(block, path ? path : "", sizeof block - 1);
    std::FILE *f = win::fopen(LastPagePath, "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(block, 1, sizeof block, f) == sizeof block;
    return std::fclose(f) == 0 && ok;
}

void TMFrame::BuildPageMenus(int selection)
{
    if (!N3 || !PopupMenu2)
        return;
    N3->Clear();
    PopupMenu2->Items->Clear();
    if (selection == -1) {
        // Fewer than 260 bytes, or a text under 11 characters, selects no page.
        const AnsiString last = ReadLastPagePath();
        if (last.Length() >= 11) {
            const int entry = TableEntryOf(last.c_str());
            if (entry >= 0)
                selection = entry + 1;
        }
    }
    auto click = [this](TObject *s) { OpenPageClick(s); };
    for (TMenuItem *menu : {N3, PopupMenu2->Items}) {
        const bool submenu = menu == N3;
        auto *item = new TMenuItem(this);
        item->Caption = "默认页面(&D)";
        item->Tag = 0;
        item->Checked = selection == 0 || selection == -1;
        item->OnClick = click;
        menu->Add(item);
        if (submenu && item->Checked) {
            PageLabel = kDefaultLabel;
            if (StatusBox2)
                StatusBox2->Invalidate();
        }
        auto *separator = new TMenuItem(this);
        separator->Caption = "-";
        separator->Tag = -1;
        menu->Add(separator);
        for (int i = 0; i < PageCount && i < MaxPages; ++i) {
            if (!PageTable[i].Path[0])
                continue;
            const AnsiString name = Field(PageTable[i].Name, sizeof PageTable[i].Name);
            auto *page = new TMenuItem(this);
            page->Caption = name;
            page->Tag = i + 1;
            page->Checked = i + 1 == selection;
            page->OnClick = click;
            menu->Add(page);
            if (submenu && page->Checked) {
                PageLabel = AnsiString(kPageMark) + name;
                if (StatusBox2)
                    StatusBox2->Invalidate();
            }
        }
    }
}

bool TMFrame::PageHasEmptyPane() const
{
    if (!CurrentPage)
        return false;
    for (int i = CurrentPage->Panes->GetCount() - 1; i >= 0; --i)
        if (CurrentPage->Panes->GetAt(i)->Attr.ViewType == VIEW_EMPTY)
            return true;
    return false;
}

bool TMFrame::AskSaveNewPage()
{
    if (!CurrentPage || !CurrentPage->Path.IsEmpty())
        return true;
    if (FrameBox(this, "是否保存当前页面?  ", "保存页面", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return true;
    if (PageHasEmptyPane()) {
        FrameBox(this, "请指定空白窗口的内容.  ", "提示", MB_ICONEXCLAMATION);
        return false;
    }
    CurrentPage->SavePage(0);
    return true;
}

void TMFrame::ReplacePage(TMultiViewMain *page)
{
    TMultiViewMain *old = CurrentPage;
    page->Align = alClient;
    page->AfterConstruction();
    CurrentPage = page;
    page->Show();
    if (old) {
        old->Perform(WM_CLOSE, 0, 0);
        delete old;
    }
}

void TMFrame::OpenPageClick(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    OpenPage(item && item->ClassName() == "TMenuItem" ? item->Tag : ChosenPage);
}

void TMFrame::OpenPage(int index)
{
    if (index < 0 || index > MaxPages)
        return;
    if (!AskSaveNewPage())
        return;
    if (index == 0) {
        ReplacePage(new TMultiViewMain(this, PAGE_DEFAULT, ""));
        BuildPageMenus(0);
        if (!WriteLastPage("Default"))
            FrameBox(this, LastPagePath, "error", MB_ICONERROR);
        return;
    }
    char path[260] = {};
    if (index <= PageCount)
        std::memcpy(path, PageTable[index - 1].Path, sizeof path - 1);
    if (path[0] && Readable(path)) {
        ReplacePage(new TMultiViewMain(this, PAGE_FILE, path));
        BuildPageMenus(index);
        if (!WriteLastPage(CurrentPage->Path.c_str()))
            FrameBox(this, LastPagePath, "error", MB_ICONERROR);
        return;
    }
    // The file is gone: its item leaves both menus and the table is read again;
    // the other items keep naming their own pages.
    DeleteItemsTagged(N3, index);
    DeleteItemsTagged(PopupMenu2->Items, index);
    LoadPageList();
    RebuildPageMenus();
    FrameBox(this, "指定的页面不存在!  ", "提示", MB_ICONERROR);
}

void TMFrame::RebuildPageMenus()
{
    if (!CurrentPage) {
        BuildPageMenus(-2);
        return;
    }
    if (IsDefaultPath(CurrentPage->Path)) {
        BuildPageMenus(0);
        return;
    }
    const int entry = TableEntryOf(CurrentPage->Path.c_str());
    BuildPageMenus(entry >= 0 ? entry + 1 : -2);
}

void TMFrame::N10Click(TObject *)
{
    if (!AskSaveNewPage())
        return;
    ReplacePage(new TMultiViewMain(this, PAGE_NEW, ""));
    BuildPageMenus(-2);
}

void TMFrame::ToolButton4Click(TObject *)
{
    if (!AskSaveNewPage())
        return;
    ReplacePage(new TMultiViewMain(this, PAGE_FILE, ""));
    BuildPageMenus(-1);
}

void TMFrame::N12Click(TObject *)
{
    if (!CurrentPage)
        return;
    if (PageHasEmptyPane()) {
        FrameBox(this, "请指定空白窗口的内容.  ", "提示", MB_ICONEXCLAMATION);
        return;
    }
    CurrentPage->SavePage(0);
}

void TMFrame::N19Click(TObject *)
{
    if (!CurrentPage)
        return;
    if (PageHasEmptyPane()) {
        FrameBox(this, "请指定空白窗口的内容.  ", "提示", MB_ICONEXCLAMATION);
        return;
    }
    const AnsiString before = CurrentPage->Path;
    CurrentPage->SavePage(1);
    // A page saved under a new name is listed and checked.
    if (CurrentPage && CurrentPage->Path != before)
        RebuildPageMenus();
}

void TMFrame::N53Click(TObject *)
{
    auto *dialog = new TPageMngr(this);
    dialog->Caption = "删除页面";
    dialog->AfterConstruction();
    const uint8_t busy = DialogBusy;
    DialogBusy = 1;
    const int result = dialog->ShowModal();
    DialogBusy = busy;
    CPageData chosen = dialog->Chosen;
    delete dialog;
    if (result != mrOk)
        return;
    chosen.Path[sizeof chosen.Path - 1] = 0;
    const int entry = TableEntryOf(chosen.Path);
    if (entry < 0) {
        // Not a listed page file: nothing is deleted.
        RebuildPageMenus();
        return;
    }
    if (CurrentPage && CurrentPage->Path.AnsiCompareIC(chosen.Path) == 0) {
        FrameBox(this, "您不能删除当前的的页面！", "提示", MB_OK);
        return;
    }
    DeleteItemsTagged(N3, entry + 1);
    DeleteItemsTagged(PopupMenu2->Items, entry + 1);
    DeleteFileA(chosen.Path);
    LoadPageList();
    RebuildPageMenus();
}

void TMFrame::StatusBox2Paint(TObject *)
{
    TCanvas *canvas = StatusBox2->Canvas;
    canvas->Brush->Color = TColor(KeyColor(54));
    canvas->Brush->Style = bsSolid;
    canvas->FillRect(TRect(0, 0, StatusBox2->Width, StatusBox2->Height));
    canvas->Brush->Style = bsClear;
    canvas->Font->Color = TColor(KeyColor(52));
    canvas->TextOut(2, -1, PageLabel.c_str());
}

void TMFrame::StatusBox2Click(TObject *)
{
    POINT at{0, 0};
    win::ClientToScreen(StatusBar->Handle, &at);
    PopupMenu2->Popup(at.x + StatusBox2->Left, at.y + StatusBox2->Top);
}

void TMFrame::MenuItem103Click(TObject *)
{
    const bool shown = !MenuItem103->Checked;
    MenuItem103->Checked = shown;
    PopupStatusBar->Checked = shown;
    StatusBar->Visible = shown;
    if (shown)
        StatusBar->Align = alBottom;
    TIniFile ini("..\\CFG\\setting.ini");
    ini.WriteString("TableDef", "StatuBar", shown ? "1" : "0");
}
