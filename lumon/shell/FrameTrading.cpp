// The order programs of the menu "网上交易": up to four outside programs named in
// ..\CFG\TRADING.INI, started from the menu or by the hot key, and the buy and
// sell buttons that hand an order request for the active pane's instrument to
// the order bridge.
#include <string>

#include "lumon/shell/EditConsign.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/OrderBridge.h"
#include "lumon/shell/MVMain.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

const char kTrading[] = "..\\CFG\\TRADING.INI";

struct OrderProgram {
    std::string Name;
    std::string Program;
    std::string Folder; // empty: none given
};

// The folder part of a path, before its last separator; empty without one.
std::string FolderOf(const std::string &path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Entry n of [CONSIGN]: a program beginning with '.' lies in lumon's own folder.
OrderProgram ResolveProgram(int n)
{
    TIniFile ini(kTrading);
    OrderProgram entry;
    entry.Program = ini.ReadString("CONSIGN", AnsiString("Exe") + AnsiString(n), "").c_str();
    entry.Name = ini.ReadString("CONSIGN", AnsiString("Name") + AnsiString(n), "").c_str();
    if (!entry.Program.empty() && entry.Program[0] == '.') {
        char self[1024] = {};
        const DWORD length = GetModuleFileNameA(0, self, sizeof self);
        if (length > 0 && length < sizeof self) {
            const std::string own(self, length);
            const size_t cut = own.find_last_of("\\/");
            entry.Program = (cut == std::string::npos ? std::string() : own.substr(0, cut + 1)) + entry.Program;
        }
    }
    entry.Folder = FolderOf(entry.Program);
    return entry;
}

HINSTANCE Start(const OrderProgram &entry)
{
    return ShellExecuteA(0, "open", entry.Program.c_str(), nullptr,
                         entry.Folder.empty() ? nullptr : entry.Folder.c_str(), SW_SHOWDEFAULT);
}

} // namespace

void TMFrame::BuildTradingMenu()
{
    auto click = [this](TObject *s) { MenuItem142Click(s); };
    MenuItem142->Tag = 0;
    MenuItem142->OnClick = click;
    auto add = [&](const char *caption, int tag) {
        auto *item = new TMenuItem(this);
        item->Caption = caption;
        item->Tag = tag;
        item->OnClick = click;
        MenuItem142->Add(item);
    };
    TIniFile ini(kTrading);
    bool listed = false;
    for (int n = 0; n < 4; ++n) {
        const AnsiString name = ini.ReadString("CONSIGN", AnsiString("Name") + AnsiString(n), "");
        if (name.IsEmpty())
            continue;
        add(name.c_str(), n + 1);
        listed = true;
    }
    if (listed)
        add("-", -1);
    add("交易设置(&S)", 100);
}

void TMFrame::MenuItem142Click(TObject *Sender)
{
    if (!Sender) {
        // The hot key: the first program fully configured, its start unchecked.
        for (int n = 0; n < 4; ++n) {
            const OrderProgram entry = ResolveProgram(n);
            if (!entry.Program.empty() && !entry.Name.empty()) {
                Start(entry);
                return;
            }
        }
        N30Click(nullptr);
        return;
    }
    auto *item = dynamic_cast<TComponent *>(Sender);
    const int tag = item ? int(item->Tag) : 0;
    if (tag == 100) {
        N30Click(Sender);
        return;
    }
    if (tag < 1 || tag > 4)
        return;
    const OrderProgram entry = ResolveProgram(tag - 1);
    if (!entry.Program.empty() && Start(entry) > 32)
        return;
    const std::string text = "无法运行下单程序 " + entry.Name + " .  ";
    MessageBoxA(HandleAllocated() ? Handle : HWND(0), text.c_str(), "提示", MB_ICONERROR | MB_TOPMOST);
}

// The order-program list editor; each change it writes rebuilds the trading menu.
void TMFrame::N30Click(TObject *)
{
    TEditConsignDlg dialog(this);
    dialog.OnListChanged = [this] {
        MenuItem142->Clear();
        BuildTradingMenu();
    };
    const uint8_t busy = DialogBusy;
    DialogBusy = 1;
    dialog.ShowModal();
    DialogBusy = busy;
}

void TMFrame::ToolButton23Click(TObject *Sender)
{
    TMultiViewChild *active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (!active)
        return;
    const uint16_t type = active->Attr.ViewType;
    if (type != VIEW_TREND && type != VIEW_REPORT && type != VIEW_KLINE)
        return;
    auto *button = dynamic_cast<TComponent *>(Sender);
    const int tag = button ? int(button->Tag) : 0;
    PostMessageA(Handle, WM_PLACE_ORDER, WPARAM(active->Attr.Stock), tag == 0 ? 25 : 26);
}

void TMFrame::N61Click(TObject *)
{
    N61->Checked = !N61->Checked;
    ShowToolGroup(N61->Checked, 4);
}
