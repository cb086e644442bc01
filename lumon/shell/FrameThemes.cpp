// The frame's themes, time-zone presets, web links and helper programs: a theme
// recolours the panes and the status bar and sets the shared fonts, a preset
// moves every market clock and is saved, a web link is opened through the
// shell, and the calculator, updater, hot-key help, help and settings programs
// are started, each failure with its own message.
#include <string>

#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/Cview.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

const char kSettings[] = "..\\CFG\\SETTING.INI";

int TagOf(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    return item ? item->Tag : -1;
}

bool ThemeExists(int n)
{
    TIniFile ini(kSettings);
    return ini.SectionExists(AnsiString("Color") + AnsiString(n));
}

} // namespace

void TMFrame::HelperFailed(const char *text)
{
    MessageBoxA(HandleAllocated() ? Handle : HWND(0), text, "提示", MB_ICONERROR | MB_TOPMOST);
}

bool TMFrame::StartHelper(const char *file, const char *failure)
{
    if (ShellExecuteA(0, "open", file, nullptr, nullptr, SW_SHOWDEFAULT) > 32)
        return true;
    HelperFailed(failure);
    return false;
}

void TMFrame::ApplyTheme(int n)
{
    LastTheme = n;
    if (Util) {
        Util->LoadColors(n);
        Util->LoadFonts(n);
    }
    TChildView::ConfigureFonts();
    if (!CurrentPage)
        return;
    std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (auto pane = panes.rbegin(); pane != panes.rend(); ++pane)
        if (CurrentPage && CurrentPage->HasPane(*pane))
            (*pane)->SetColors();
    if (CurrentPage)
        CurrentPage->Repaint();
}

void TMFrame::ColorClick(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    if (!item)
        return;
    item->Checked = true;
    if (item->Tag != LastTheme)
        ApplyTheme(item->Tag);
}

void TMFrame::ToolButton15Click(TObject *)
{
    // A current theme read from a hand-edited file may lie anywhere; past the
    // last theme (or before the first) the cycle starts again at 0.
    const bool next = LastTheme >= 0 && LastTheme < 1000 && ThemeExists(LastTheme + 1);
    ApplyTheme(next ? LastTheme + 1 : 0);
    // The ticker, the page label and its background read their colours from
    // the theme when they paint.
    if (StatusBar)
        StatusBar->Repaint();
}

void TMFrame::ReferZoneClick(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    if (!item)
        return;
    ApplySysTimePreset(item->Tag);
    item->Checked = true;
    SaveSysTimeTable();
    if (!CurrentPage)
        return;
    std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (auto pane = panes.rbegin(); pane != panes.rend(); ++pane)
        if (CurrentPage && CurrentPage->HasPane(*pane))
            (*pane)->ReloadView();
}

void TMFrame::WebClick(TObject *Sender)
{
    const int tag = TagOf(Sender);
    if (tag < 0)
        return;
    TIniFile ini(kSettings);
    const std::string value = ini.ReadString("WEB", AnsiString("Web") + AnsiString(tag + 1), "").c_str();
    const size_t colon = value.find(':');
    if (colon == std::string::npos)
        return;
    StartHelper(value.substr(colon + 1).c_str(), "无法启动浏览器.  ");
}

void TMFrame::N21Click(TObject *) { StartHelper("profcal.exe", "无法启动计算器.  "); }

void TMFrame::N24Click(TObject *)
{
    if (MessageBoxA(0, "自动更新需要关闭当前客户端程序, 是否继续?  ", "软件更新",
                    MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES)
        return;
    if (StartHelper(".\\update.exe", "无法启动更新程序, 升级失败.  "))
        PostQuitMessage(0);
}

void TMFrame::N47Click(TObject *) { StartHelper("..\\CFG\\LMHOTKEY.EXE", "无法启动帮助文件.  "); }

void TMFrame::ToolButton11Click(TObject *Sender) { N47Click(Sender); }

void TMFrame::MenuItem167Click(TObject *) { RunHelpProgram(); }

void TMFrame::N67Click(TObject *) { StartHelper(".\\toolpick.exe", "设置程序不存在! "); }
