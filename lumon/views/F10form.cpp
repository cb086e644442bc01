#include "lumon/views/F10form.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/ViewCommon.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TRichEdit.h"
#include "platform/forms/TSaveDialog.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

TTextForm *AsText(TMultiViewChild *pane) { return dynamic_cast<TTextForm *>(pane); }

TMultiViewChild *MakeText(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TTextForm(page, node, attr);
}

} // namespace

TTextForm::TTextForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
{
    if (!attr)
        InitViewAttr(VIEW_TEXT, &Attr);
    Attr.ViewType = VIEW_TEXT;
    // The page gave this view a reference to the attributes' browse list.
    BrowseList = FindBrowseList(BrowseListHandle(Attr)) ? BrowseListHandle(Attr) : 0;
    BrowseIndex = BrowseList ? ::BrowseIndex(Attr) : 0;

    Panel1 = new TPanel(this);
    Panel1->Parent = this;
    Panel1->Align = alClient;
    Panel1->BevelOuter = bvNone;
    RichEdit1 = new TRichEdit(this);
    RichEdit1->Parent = Panel1;
    RichEdit1->Align = alClient;
    RichEdit1->ReadOnly = true;
    RichEdit1->ScrollBars = ssVertical;
    RichEdit1->Font->Name = "Tahoma";
    RichEdit1->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { RichEdit1KeyDown(s, k, sh); };
    RichEdit1->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        RichEdit1MouseDown(s, b, sh, x, y);
    };

    PopupMenu1 = new TPopupMenu(this);
    auto item = [this](const char *caption, std::function<void(TObject *)> click) {
        auto *mi = new TMenuItem(this);
        mi->Caption = caption;
        mi->OnClick = std::move(click);
        PopupMenu1->Items->Add(mi);
        return mi;
    };
    NTXTS1 = item("联动(&S)", [this](TObject *s) { NTXTS1Click(s); });
    NTXTS1->Visible = false;
    B1 = item("后退(&B)", [this](TObject *s) { B1Click(s); });
    N1 = item("复制(&C)", [this](TObject *s) { N1Click(s); });
    N2 = item("另存为(&A)...", [this](TObject *s) { N2Click(s); });
    N5 = item("打印(&P)...", [this](TObject *s) { N5Click(s); });
    PopupMenu1->OnPopup = [this](TObject *s) { PopupMenu1Popup(s); };
    RichEdit1->PopupMenu = PopupMenu1;
    SaveDialog1 = new TSaveDialog(this);
    PrintDialog1 = new TPrintDialog(this);
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    SetColors();
}

TTextForm::~TTextForm() { ReleaseBrowse(); }

void TTextForm::ReleaseBrowse()
{
    if (BrowseList)
        ::ReleaseBrowseList(BrowseList);
    BrowseList = 0;
    BrowseIndex = 0;
    SetBrowseListHandle(Attr, 0);
    ::BrowseIndex(Attr) = 0;
}

void TTextForm::SetColors()
{
    const COLORREF back = KeyColor(27);
    RichEdit1->Color = TColor(back);
    RichEdit1->Font->Charset = DEFAULT_CHARSET;
    RichEdit1->Font->Name = FontTable[1].Face;
    RichEdit1->Font->Size = FontTable[1].Size;
    RichEdit1->Font->Color = TColor(KeyColor(46));
    RichEdit1->FontChanged();
    Panel1->Color = RichEdit1->Color;
    if (CmdBox) {
        CmdBox->Background = back & 0xFFFFFF;
        CmdBox->Refresh();
    }
}

std::string TTextForm::TextPath() const
{
    const StockStaticRecord *s = TDataIO::GetStock(Attr.Stock);
    const int m = StockMarket(Attr.Stock);
    if (!s || m >= MarketTable.Count || m >= MaxMarkets || !MarketTable.Markets[m])
        return std::string();
    char code[sizeof s->Code + 1] = {};
    std::memcpy(code, s->Code, strnlen(s->Code, sizeof s->Code));
    char path[260];
    std::snprintf(path, sizeof path, "%sData\\%s\\base\\%s.Txt", DataRoot, MarketTable.Markets[m]->Info.Dir, code);
    return path;
}

void TTextForm::LoadText()
{
    RichEdit1->Clear();
    const std::string path = TextPath();
    if (!path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        RichEdit1->Lines->LoadFromFile(path.c_str());
}

void TTextForm::Reload()
{
    LoadText();
    const StockStaticRecord *s = TDataIO::GetStock(Attr.Stock);
    TNormalClnt *client = ConnectedRequestClient();
    if (!s || !client || (MFrame && !MFrame->HasMarketRight(s->Market, s->Class)))
        return;
    char code[sizeof s->Code + 1] = {};
    std::memcpy(code, s->Code, strnlen(s->Code, sizeof s->Code));
    client->RequestBaseText(s->Market, code);
}

void TTextForm::ReloadView()
{
    Reload();
    SetColors();
}

int TTextForm::Notify(int code, int a, int b, intptr_t c)
{
    switch (code) {
    case 1:
        ReleaseBrowse();
        if (c) {
            const VIEW_ATTR &source = *reinterpret_cast<const VIEW_ATTR *>(c);
            BrowseList = FindBrowseList(BrowseListHandle(source)) ? BrowseListHandle(source) : 0;
            BrowseIndex = BrowseList ? ::BrowseIndex(const_cast<VIEW_ATTR &>(source)) : 0;
            SetBrowseListHandle(Attr, BrowseList);
            ::BrowseIndex(Attr) = BrowseIndex;
        }
        Attr.Stock = uint32_t(a);
        Reload();
        Repaint();
        break;
    case 14: {
        const StockId id = uint32_t(a);
        if ((id & 0xFF) == (Attr.Stock & 0xFF) && (id >> 16) == (Attr.Stock >> 16)) {
            Reload();
            Repaint();
        }
        break;
    }
    case 8:
        if (b == 0)
            PostMessageA(RichEdit1->Handle, WM_KEYDOWN, VK_NEXT, 0);
        break;
    case 15: {
        int step = TextStep;
        TFont *fonts[1] = {RichEdit1->Font};
        if (StepTextFont(step, b, fonts, 1)) {
            TextStep = step;
            RichEdit1->FontChanged();
        }
        break;
    }
    }
    return 1;
}

void TTextForm::RichEdit1KeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_ESCAPE)
        PostToPage(WM_PANE_BACK);
}

void TTextForm::RichEdit1MouseDown(TObject *, TMouseButton, TShiftState, int, int) { Activate(); }

void TTextForm::PopupMenu1Popup(TObject *) { NTXTS1->Checked = Link != 0; }

void TTextForm::NTXTS1Click(TObject *) { ToggleViewLink(this); }

void TTextForm::B1Click(TObject *) { PostToPage(WM_PANE_BACK); }

void TTextForm::N1Click(TObject *) { CopyRichText(RichEdit1, false); }

void TTextForm::N2Click(TObject *) { SaveRichTextAs(RichEdit1, SaveDialog1, false); }

void TTextForm::N5Click(TObject *) { PrintView(); }

void TTextForm::PrintView()
{
    if (ConfirmPrint(PrintDialog1))
        RichEdit1->Print("打印");
}

void TTextForm::FormClose(TObject *Sender, TCloseAction &Action)
{
    TChildView::FormClose(Sender, Action);
    ReleaseBrowse();
    Action = caFree;
}

void RegisterCompanyText()
{
    RegisterViewMaker(VIEW_TEXT, MakeText);
    ViewHooks.ReloadCompanyText = [](TMultiViewChild *pane) {
        if (TTextForm *t = AsText(pane)) {
            t->LoadText();
            t->Repaint();
        }
    };
}
