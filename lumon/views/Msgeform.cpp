#include "lumon/views/Msgeform.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/LMPageTab.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/ViewCommon.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TRichEdit.h"
#include "platform/forms/TSaveDialog.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Stdio.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

using namespace win;

int TMsgForm::TypeFilter = 0;
const NewsBranchTab *TMsgForm::SelectedBranch = nullptr;
int32_t TMsgForm::LastClick = -100;

namespace {

constexpr char kSeparator[] = "               --- ";
constexpr char kSettings[] = "..\\CFG\\SETTING.INI";
constexpr char kNoItem[] = "无此项资料";

// The program-wide branch in force, kept apart from the view that chose it.
NewsBranchTab selectedBranchCopy;

TMsgForm *AsNews(TMultiViewChild *pane) { return dynamic_cast<TMsgForm *>(pane); }

TMultiViewChild *MakeNews(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TMsgForm(page, node, attr);
}

std::string IndexPath()
{
    char path[600];
    MakeNewsIndexPath(path, sizeof path);
    return path;
}

// A list line of a record: "  " or "★" before the date, time and title.
std::string LineOf(const NewsRecord &r)
{
    std::string line = "  " + NewsLineText(r.DateTime, r.Title, sizeof r.Title);
    if (r.TypeRead & 1)
        line.replace(0, 2, "★");
    return line;
}

} // namespace

TMsgForm::TMsgForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
{
    if (!attr)
        InitViewAttr(VIEW_NEWS, &Attr);
    Attr.ViewType = VIEW_NEWS;
    if (CmdBox) {
        CmdBox->Background = GetSysColor(COLOR_BTNFACE);
        CmdBox->Normal = 0x840000;
        CmdBox->Hot = 0x0082FF;
        CmdBox->Refresh();
    }
    RecordBuffer.assign(size_t(NewsCapacity) * NewsListEntrySize, 0);
    BuildForm();
    BuildMenus();
    // One news view of a page asks for the titles that came since the last run.
    bool another = false;
    for (int i = Page->Panes->GetCount() - 1; i >= 0 && !another; --i) {
        TMultiViewChild *p = Page->Panes->GetAt(i);
        another = p != this && AsNews(p);
    }
    if (TNormalClnt *client = ConnectedRequestClient(); client && !another)
        client->RequestNewsSinceLast(0);
    BuildTypeTabs();
    SetColors();
    LoadHistory();
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    TForm::OnActivate = [this](TObject *s) { FormActivate(s); };
    OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { Activate(); };
}

TMsgForm::~TMsgForm() = default;

void TMsgForm::BuildForm()
{
    ClientWidth = 447;
    ClientHeight = 318;
    Panel1 = new TPanel(this);
    Panel1->Parent = this;
    Panel1->Align = alTop;
    Panel1->Height = 49;
    Panel1->BevelOuter = bvNone;
    Panel3 = new TPanel(this);
    Panel3->Parent = Panel1;
    Panel3->Align = alTop;
    Panel3->Height = 22;
    Panel3->BevelOuter = bvNone;
    Panel4 = new TPanel(this);
    Panel4->Parent = Panel3;
    Panel4->Align = alRight;
    Panel4->Width = 190;
    Panel4->BevelOuter = bvNone;
    ComboBox1 = new TComboBox(this);
    ComboBox1->Parent = Panel4;
    ComboBox1->SetBounds(2, 0, 134, 22);
    ComboBox1->DropDownCount = 5;
    ComboBox1->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { ComboBox1KeyDown(s, k, sh); };
    ComboBox1->OnEnter = [](TObject *) { TextEntryActive = 1; };
    ComboBox1->OnClick = [](TObject *) { TextEntryActive = 1; };
    ComboBox1->OnExit = [](TObject *) { TextEntryActive = 0; };
    SpeedButton1 = new TSpeedButton(this);
    SpeedButton1->Parent = Panel4;
    SpeedButton1->SetBounds(138, 0, 50, 22);
    SpeedButton1->Caption = "查找";
    SpeedButton1->OnClick = [this](TObject *) { Search(); };
    SearchPageTab = new TLMPageTab(this);
    SearchPageTab->Parent = Panel3;
    SearchPageTab->Align = alClient;
    SearchPageTab->OnTitleChange = [this](TObject *s, int i) { SearchPageTabChange(s, i); };
    Panel2 = new TPanel(this);
    Panel2->Parent = Panel1;
    Panel2->Align = alClient;
    Panel2->BevelOuter = bvNone;
    BranchPageTab = new TLMPageTab(this);
    BranchPageTab->Parent = Panel2;
    BranchPageTab->Align = alClient;
    BranchPageTab->Slope = 0;
    BranchPageTab->OnTitleChange = [this](TObject *s, int i) { BranchPageTabTitleChange(s, i); };

    NewsList = new TListBox(this);
    NewsList->Parent = this;
    NewsList->Align = alClient;
    NewsList->Style = lbOwnerDrawFixed;
    NewsList->ItemHeight = 19;
    NewsList->OnDrawItem = [this](TWinControl *, int i, const TRect &r, TOwnerDrawState st) {
        DrawListLine(NewsList, i, r, st);
    };
    NewsList->OnDblClick = [this](TObject *) { OpenLine(NewsList->ItemIndex); };
    NewsList->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { NewsListKeyDown(s, k, sh); };
    NewsList->OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { Activate(); };
    RichEdit1 = new TRichEdit(this);
    RichEdit1->Parent = this;
    RichEdit1->Align = alClient;
    RichEdit1->ReadOnly = true;
    RichEdit1->ScrollBars = ssVertical;
    RichEdit1->Visible = false;
    RichEdit1->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { RichEdit1KeyDown(s, k, sh); };
    RichEdit1->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        RichEdit1MouseDown(s, b, sh, x, y);
    };
    PrintDialog1 = new TPrintDialog(this);
    SaveDialog1 = new TSaveDialog(this);
}

void TMsgForm::BuildMenus()
{
    const TextViewMenus m = BuildTextViewMenus(this, RichEdit1, NewsList, [this] { BackToList(); }, &SaveDialog1);
    PopupMenu2 = m.Text;
    N8 = m.TextBack, N3 = m.Copy, N4 = m.SaveAs, N7 = m.TextPrint, NMSGS1 = m.TextLink;
    PopupMenu1 = m.List;
    NMSGS2 = m.ListLink, B1 = m.ListBack, P1 = m.ListPrint;
    PopupMenu3 = new TPopupMenu(this);
    NSelTypes = new TMenuItem(this);
    NSelTypes->Caption = "选择新闻类型";
    NSelTypes->OnClick = [this](TObject *s) { NSelTypesClick(s); };
    PopupMenu3->Items->Add(NSelTypes);
    SearchPageTab->PopupMenu = PopupMenu3;
}

void TMsgForm::SetItemHeight(const char *sample)
{
    NewsList->Canvas->Font->Assign(*NewsList->Font);
    NewsList->ItemHeight = NewsList->Canvas->TextHeight(sample) + 12;
}

void TMsgForm::SetColors()
{
    const TColor back = TColor(KeyColor(27));
    RichEdit1->Color = back;
    RichEdit1->Font->Charset = DEFAULT_CHARSET;
    RichEdit1->Font->Name = FontTable[1].Face;
    RichEdit1->Font->Size = FontTable[1].Size;
    RichEdit1->Font->Color = TColor(KeyColor(46));
    RichEdit1->FontChanged();
    NewsList->Color = back;
    NewsList->Font->Charset = DEFAULT_CHARSET;
    NewsList->Font->Name = FontTable[1].Face;
    NewsList->Font->Size = FontTable[1].Size;
    NewsList->Font->Color = TColor(KeyColor(28));
    NewsList->FontChanged();
    SetItemHeight("啊");
    Panel2->Color = back;
    SearchPageTab->Color = back;
    SearchPageTab->ActiveButtonColor = TColor(KeyColor(57));
    SearchPageTab->ActiveFontColor = TColor(KeyColor(58));
    SearchPageTab->ArrowColor = TColor(KeyColor(57));
    SearchPageTab->ButtonColor = TColor(KeyColor(58));
    SearchPageTab->SetFontColor(TColor(KeyColor(57)));
    BranchPageTab->Color = back;
    BranchPageTab->ActiveButtonColor = back;
    BranchPageTab->ActiveFontColor = TColor(KeyColor(59));
    BranchPageTab->ArrowColor = TColor(KeyColor(60));
    BranchPageTab->BorderColor = back;
    BranchPageTab->ButtonColor = back;
    BranchPageTab->SetFontColor(TColor(KeyColor(60)));
    NewsList->Invalidate();
}

bool TMsgForm::ArticleShown() const { return RichEdit1->Visible; }

void TMsgForm::BackToList()
{
    RichEdit1->Visible = false;
    NewsList->Visible = true;
    if (NewsList->CanFocus())
        NewsList->SetFocus();
}

int TMsgForm::CopyRecords(int type)
{
    if (!NewsIndex)
        return 0;
    return NewsIndex->List(type, RecordBuffer.data(), NewsCapacity, 0);
}

template <typename Keep>
void TMsgForm::AddLines(int count, Keep keep)
{
    int previousDay = -1;
    for (int i = count - 1; i >= 0; --i) {
        NewsRecord r{};
        std::memcpy(&r, &RecordBuffer[size_t(i) * NewsListEntrySize], NewsListEntrySize);
        if (!keep(r))
            continue;
        const std::string line = LineOf(r);
        int month = 0, day = 0;
        std::sscanf(line.c_str() + 2, "%d/%d", &month, &day);
        if (previousDay != -1 && day != previousDay) {
            char separator[64];
            std::snprintf(separator, sizeof separator, "%s%d/%d ---", kSeparator, month, day);
            NewsList->Items->Add(separator);
        }
        NewsList->Items->Add(line.c_str());
        previousDay = day;
    }
}

void TMsgForm::RefreshList()
{
    NewsList->Items->Clear();
    RichEdit1->Visible = false;
    NewsList->Visible = true;
    const std::string path = IndexPath();
    if (NewsIndex && win::access(path.c_str(), 2) == 0)
        NewsIndex->Load();
    const int count = CopyRecords(TypeFilter);
    const NewsBranchTab *branch = SelectedBranch;
    AddLines(count, [branch](const NewsRecord &r) {
        if (!branch)
            return true;
        const std::string title = RecordText(r.Title, sizeof r.Title);
        for (const std::string &k : branch->Keywords)
            if (title.find(k) != std::string::npos)
                return true;
        return false;
    });
    if (NewsList->CanFocus())
        NewsList->SetFocus();
}

void TMsgForm::RefreshFromServer()
{
    if (!NewsIndex)
        NewsIndex = std::make_unique<TNewsIndex>(IndexPath().c_str(), 0);
    RefreshList();
}

void TMsgForm::ReloadView()
{
    if (!NewsIndex)
        NewsIndex = std::make_unique<TNewsIndex>(IndexPath().c_str(), 1);
    RefreshList();
    if (NewsList->CanFocus())
        NewsList->SetFocus();
    SearchPageTabChange(SearchPageTab, 0);
}

void TMsgForm::AddFlash(const NewsRecord &record)
{
    if (NewsIndex)
        NewsIndex->Add(record, 0);
    const int type = int(record.TypeRead >> 1);
    if (CurrentType == 0 || CurrentType == type) {
        NewsRecord unread = record;
        unread.TypeRead &= ~1u;
        NewsList->Items->Insert(0, LineOf(unread).c_str());
    }
}

void TMsgForm::LoadArticle()
{
    RichEdit1->Clear();
    char name[32];
    const bool named = TakeRecordFileName(ArticleName, sizeof ArticleName, name, sizeof name);
    std::snprintf(ArticlePath, sizeof ArticlePath, "%sdata\\info\\%s", DataRoot, named ? name : "");
    NewsList->Visible = false;
    RichEdit1->Visible = true;
    if (named && GetFileAttributesA(ArticlePath) != INVALID_FILE_ATTRIBUTES) {
        RichEdit1->PlainText = false;
        RichEdit1->Lines->LoadFromFile(ArticlePath);
    }
    if (RichEdit1->CanFocus())
        RichEdit1->SetFocus();
}

void TMsgForm::OpenLine(int index)
{
    if (index < 0 || index >= NewsList->Items->Count())
        return;
    std::string line = (*NewsList->Items)[index].c_str();
    if (line.find(kSeparator) != std::string::npos || line.size() < 2)
        return;
    if (line.compare(0, 2, "★") != 0) {
        line.replace(0, 2, "★");
        NewsList->Items->Delete(index);
        NewsList->Items->Insert(index, line.c_str());
        NewsList->ItemIndex = index;
    }
    Attr.BlockId = index;
    NewsRecord record{};
    char name[32];
    if (NewsIndex && NewsIndex->MarkRead(0, line.c_str() + 2, record) &&
        TakeRecordFileName(record.FileName, sizeof record.FileName, name, sizeof name)) {
        std::snprintf(ArticlePath, sizeof ArticlePath, "%sdata\\info\\%s", DataRoot, name);
        if (GetFileAttributesA(ArticlePath) == INVALID_FILE_ATTRIBUTES)
            if (TNormalClnt *client = ConnectedRequestClient())
                client->RequestInfoText(int(record.TypeRead >> 1), record.Id);
        std::snprintf(ArticleName, sizeof ArticleName, "%s", name);
        LoadArticle();
        return;
    }
    RichEdit1->Clear();
    NewsList->Visible = false;
    RichEdit1->Visible = true;
    RichEdit1->Lines->Add(kNoItem);
    if (RichEdit1->CanFocus())
        RichEdit1->SetFocus();
}

void TMsgForm::OpenNewsItem(int type, int id)
{
    CurrentType = type;
    int tab = 0;
    for (int i = 1; i < TypeTabCount; ++i)
        if (TabTypes[i] == type) {
            tab = i;
            break;
        }
    SearchPageTabChange(SearchPageTab, tab);
    SearchPageTab->SetActiveTabItem(tab);
    const int count = CopyRecords(type);
    for (int i = count - 1; i >= 0; --i) {
        NewsRecord r{};
        std::memcpy(&r, &RecordBuffer[size_t(i) * NewsListEntrySize], NewsListEntrySize);
        if (r.Id != id)
            continue;
        const std::string text = NewsLineText(r.DateTime, r.Title, sizeof r.Title);
        for (int k = 0; k < NewsList->Items->Count(); ++k) {
            const AnsiString &line = (*NewsList->Items)[k];
            if (line.Length() >= 2 && text == line.c_str() + 2) {
                NewsList->ItemIndex = k;
                break;
            }
        }
        break;
    }
    LoadArticle();
}

void TMsgForm::SearchPageTabChange(TObject *, int TabIndex)
{
    if (TabIndex < 0 || TabIndex >= TypeTabCount)
        return;
    Activate();
    NewsList->Items->Clear();
    BackToList();
    CurrentType = TabTypes[TabIndex];
    TypeFilter = CurrentType;
    SelectedBranch = nullptr;
    RefreshList();
    FillBranchTabs(CurrentType);
    BranchPageTabTitleChange(BranchPageTab, 0);
}

void TMsgForm::BranchPageTabTitleChange(TObject *, int TabIndex)
{
    if (TabIndex < 0 || TabIndex >= int(BranchOfTab.size()) || TabIndex >= kMaxBranchTabs)
        return;
    Activate();
    if (TabIndex == 0) {
        SelectedBranch = nullptr;
    } else {
        selectedBranchCopy = BranchOfTab[size_t(TabIndex)];
        SelectedBranch = &selectedBranchCopy;
    }
    RefreshList();
}

void TMsgForm::Search()
{
    Activate();
    NewsList->Items->Clear();
    BackToList();
    const AnsiString typed = ComboBox1->Text;
    const std::string text = typed.c_str();
    int found = 4;
    for (int k = 0; k < 5; ++k)
        if (History[k] == text) {
            found = k;
            break;
        }
    for (int k = found; k > 0; --k)
        History[k] = History[k - 1];
    History[0] = text;
    SaveHistory();
    ComboBox1->Items->Clear();
    for (const std::string &h : History)
        if (!h.empty())
            ComboBox1->Items->Add(h.c_str());
    if (ComboBox1->Items->Count() > 0)
        ComboBox1->ItemIndex = 0;
    SelectedBranch = nullptr;
    const int count = CopyRecords(TypeFilter);
    AddLines(count, [&text](const NewsRecord &r) {
        return RecordText(r.Title, sizeof r.Title).find(text) != std::string::npos;
    });
    if (NewsList->CanFocus())
        NewsList->SetFocus();
    TextEntryActive = 0;
}

void TMsgForm::LoadHistory()
{
    for (int k = 0; k < 5; ++k) {
        char key[16], value[256];
        std::snprintf(key, sizeof key, "NewsSearch%d", k + 1);
        GetPrivateProfileStringA("MRU", key, "", value, sizeof value, kSettings);
        History[k] = value;
        if (value[0])
            ComboBox1->Items->Add(value);
    }
    if (ComboBox1->Items->Count() > 0)
        ComboBox1->ItemIndex = 0;
}

void TMsgForm::SaveHistory()
{
    for (int k = 0; k < 5; ++k) {
        char key[16];
        std::snprintf(key, sizeof key, "NewsSearch%d", k + 1);
        WritePrivateProfileStringA("MRU", key, History[k].c_str(), kSettings);
    }
}

void TMsgForm::NewsListKeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_RETURN)
        OpenLine(NewsList->ItemIndex);
    else if (Key == VK_ESCAPE)
        PostToPage(WM_PANE_BACK);
}

void TMsgForm::RichEdit1KeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_ESCAPE || Key == VK_RETURN)
        BackToList();
}

void TMsgForm::RichEdit1MouseDown(TObject *, TMouseButton Button, TShiftState, int, int)
{
    Activate();
    if (Button != mbLeft)
        return;
    if (IsSecondClick(LastClick))
        BackToList();
}

void TMsgForm::ComboBox1KeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_RETURN)
        Search();
}

int TMsgForm::Notify(int code, int a, int b, intptr_t c)
{
    if (code == 8 && b == 0 && ArticleShown()) {
        PostMessageA(RichEdit1->Handle, WM_KEYDOWN, VK_NEXT, 0);
    } else if (code == 15) {
        int step = TextStep;
        TFont *fonts[3] = {RichEdit1->Font, NewsList->Font, nullptr};
        if (StepTextFont(step, b, fonts, 2)) {
            TextStep = step;
            RichEdit1->FontChanged();
            NewsList->FontChanged();
            SetItemHeight("证");
        }
    }
    return 0;
}

void TMsgForm::PrintView()
{
    if (!ConfirmPrint(PrintDialog1))
        return;
    if (ArticleShown())
        RichEdit1->Print(ArticlePath);
    else
        PrintLinesOnePage(*NewsList->Items, "");
}

void TMsgForm::WndProc(TMessage &Message)
{
    if (Message.Msg == WM_OPEN_NEWS) {
        OpenNewsItem(int(int32_t(Message.WParam)), int(int32_t(Message.LParam)));
        return;
    }
    TChildView::WndProc(Message);
}

void TMsgForm::FormActivate(TObject *)
{
    TWinControl *target = NewsList->Visible ? static_cast<TWinControl *>(NewsList) : RichEdit1;
    if (target->CanFocus())
        target->SetFocus();
}

void TMsgForm::FormClose(TObject *Sender, TCloseAction &Action)
{
    TChildView::FormClose(Sender, Action);
    RecordBuffer.clear();
    NewsIndex.reset();
    Action = caFree;
}

void RegisterNewsView()
{
    RegisterViewMaker(VIEW_NEWS, MakeNews);
    ViewHooks.RefreshNewsList = [](TMultiViewChild *pane) {
        if (TMsgForm *n = AsNews(pane))
            n->RefreshFromServer();
    };
    ViewHooks.ReloadNewsArticle = [](TMultiViewChild *pane, const char *name) {
        TMsgForm *n = AsNews(pane);
        if (n && n->ArticleShown() && name && strncasecmp(n->ArticleName, name, sizeof n->ArticleName) == 0)
            n->LoadArticle();
    };
    ViewHooks.AddNewsFlash = [](TMultiViewChild *pane, const NewsRecord &record) {
        if (TMsgForm *n = AsNews(pane))
            n->AddFlash(record);
    };
    ViewHooks.SetNewsArticleName = [](TMultiViewChild *pane, const char *name) {
        if (TMsgForm *n = AsNews(pane))
            std::snprintf(n->ArticleName, sizeof n->ArticleName, "%s", name ? name : "");
    };
}
