#include "lumon/views/ZQNote.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/NewsIndex.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/ViewCommon.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TRichEdit.h"
#include "platform/forms/TSaveDialog.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

TZQNote *AsNotes(TMultiViewChild *pane) { return dynamic_cast<TZQNote *>(pane); }

TMultiViewChild *MakeNotes(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TZQNote(page, node, attr);
}

} // namespace

TZQNote::TZQNote(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
{
    if (!attr)
        InitViewAttr(VIEW_NOTES, &Attr);
    Attr.ViewType = VIEW_NOTES;
    Records.reserve(NoteListCapacity);

    Panel1 = new TPanel(this);
    Panel1->Parent = this;
    Panel1->Align = alTop;
    Panel1->Height = 22;
    RadioButton1 = new TRadioButton(this);
    RadioButton1->Parent = Panel1;
    RadioButton1->Caption = "上海信息";
    RadioButton1->Tag = 0;
    RadioButton1->SetBounds(8, 3, 80, 17);
    RadioButton2 = new TRadioButton(this);
    RadioButton2->Parent = Panel1;
    RadioButton2->Caption = "深圳信息";
    RadioButton2->Tag = 2;
    RadioButton2->SetBounds(96, 3, 80, 17);
    RadioButton1->OnClick = [this](TObject *s) { RadioClick(s); };
    RadioButton2->OnClick = [this](TObject *s) { RadioClick(s); };

    NoteList = new TListBox(this);
    NoteList->Parent = this;
    NoteList->Align = alClient;
    NoteList->Style = lbOwnerDrawFixed;
    NoteList->OnDrawItem = [this](TWinControl *, int i, const TRect &r, TOwnerDrawState st) {
        DrawListLine(NoteList, i, r, st);
    };
    NoteList->OnDblClick = [this](TObject *s) { NoteListDblClick(s); };
    NoteList->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { NoteListKeyDown(s, k, sh); };
    NoteList->OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { Activate(); };

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

    const TextViewMenus m = BuildTextViewMenus(this, RichEdit1, NoteList, [this] { BackToList(); }, &SaveDialog1);
    PopupMenu2 = m.Text;
    N8 = m.TextBack, N3 = m.Copy, N4 = m.SaveAs, N7 = m.TextPrint, NMSGS1 = m.TextLink;
    PopupMenu1 = m.List;
    NMSGS2 = m.ListLink, B1 = m.ListBack, P1 = m.ListPrint;
    SaveDialog1 = new TSaveDialog(this);
    PrintDialog1 = new TPrintDialog(this);

    NoteKind = Attr.BlockId >= 0 && Attr.BlockId < NoteKinds ? Attr.BlockId : 0;
    RadioButton1->Checked = NoteKind != 2;
    RadioButton2->Checked = NoteKind == 2;
    TForm::OnActivate = [this](TObject *s) { FormActivate(s); };
    OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { Activate(); };
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    if (CmdBox) {
        CmdBox->Background = GetSysColor(COLOR_BTNFACE);
        CmdBox->Normal = 0x840000;
        CmdBox->Hot = 0x0082FF;
        CmdBox->Refresh();
    }
    SetColors();
}

TZQNote::~TZQNote() = default;

void TZQNote::SetItemHeight(const char *sample)
{
    NoteList->Canvas->Font->Assign(*NoteList->Font);
    NoteList->ItemHeight = NoteList->Canvas->TextHeight(sample) + 8;
}

void TZQNote::SetColors()
{
    const TColor back = TColor(KeyColor(27)), text = TColor(KeyColor(46));
    for (TControl *c : {static_cast<TControl *>(RichEdit1), static_cast<TControl *>(NoteList)}) {
        c->Color = back;
        TFont *font = c == RichEdit1 ? RichEdit1->Font : NoteList->Font;
        font->Name = FontTable[1].Face;
        font->Size = FontTable[1].Size;
        font->Charset = DEFAULT_CHARSET;
        font->Color = text;
        c->FontChanged();
    }
    SetItemHeight("啊");
    NoteList->Invalidate();
}

bool TZQNote::TextShown() const { return RichEdit1->Visible; }

void TZQNote::ReloadView() { LoadNoteList(NoteKind); }

void TZQNote::FillLines()
{
    NoteList->Items->Clear();
    for (size_t i = Records.size(); i-- > 0;) {
        const NoteRecord &r = Records[i];
        std::string line = "  " + NewsLineText(r.DateTime, r.Title, sizeof r.Title);
        if (r.Unread == 0)
            line.replace(0, 2, "★");
        NoteList->Items->Add(line.c_str());
    }
}

void TZQNote::LoadNoteList(int kind)
{
    if (kind < 0 || kind >= NoteKinds)
        return;
    NoteList->Items->Clear();
    Records.clear();
    const std::string path = NoteListPath(kind);
    TNormalClnt *client = ConnectedRequestClient();
    const int read = ReadNoteListFile(path.c_str(), Records);
    if (read <= 0) {
        // A damaged list is dropped and asked for again as a whole.
        if (read < 0)
            DeleteFileA(path.c_str());
        if (client)
            client->RequestNotesList(kind, 0, 0);
        return;
    }
    int32_t newestDate = 0, newestNumber = -1;
    if (!Records.empty()) {
        newestDate = int32_t(Records.back().DateTime & 0xFFFFF);
        newestNumber = Records.back().Number;
    }
    FillLines();
    if (client)
        client->RequestNotesList(kind, newestDate, newestNumber + 1);
}

void TZQNote::ShowNote(const NoteRecord &record)
{
    RichEdit1->Clear();
    char name[17];
    const bool named = TakeRecordFileName(record.FileName, sizeof record.FileName, name, sizeof name);
    std::snprintf(NotePath, sizeof NotePath, "%sdata\\notes\\%s", DataRoot, named ? name : "");
    NoteList->Visible = false;
    RichEdit1->Visible = true;
    if (named) {
        TNormalClnt *client = ConnectedRequestClient();
        if (GetFileAttributesA(NotePath) == INVALID_FILE_ATTRIBUTES) {
            if (client) {
                PendingNote = record;
                client->RequestNote(record.RequestByte, record.FileName, record.RequestValue);
            }
        } else {
            RichEdit1->Lines->LoadFromFile(NotePath);
        }
    }
    if (RichEdit1->CanFocus())
        RichEdit1->SetFocus();
}

void TZQNote::NoteListDblClick(TObject *)
{
    const int selected = NoteList->ItemIndex;
    const int count = NoteList->Items->Count();
    if (selected < 0 || selected >= count || count != int(Records.size()))
        return;
    const int index = count - 1 - selected;
    Records[size_t(index)].Unread = 0;
    const NoteRecord opened = Records[size_t(index)];
    ShowNote(opened);
    // The file may have grown meanwhile: the list is read again, and every
    // record of the note's number is marked.
    const std::string path = NoteListPath(NoteKind);
    std::vector<NoteRecord> fresh;
    if (ReadNoteListFile(path.c_str(), fresh) > 0 && !fresh.empty()) {
        Records = std::move(fresh);
        for (NoteRecord &r : Records)
            if (r.Number == opened.Number)
                r.Unread = 0;
        FillLines();
    }
    WriteNoteListFile(path.c_str(), Records);
    if (selected < NoteList->Items->Count())
        NoteList->ItemIndex = selected;
}

void TZQNote::BackToList()
{
    RichEdit1->Visible = false;
    NoteList->Visible = true;
    if (NoteList->CanFocus())
        NoteList->SetFocus();
}

void TZQNote::RadioClick(TObject *Sender)
{
    if (Visible)
        Activate();
    BackToList();
    const int tag = static_cast<TComponent *>(Sender)->Tag;
    if (tag != NoteKind) {
        NoteList->Items->Clear();
        NoteKind = tag;
        Attr.BlockId = tag;
        LoadNoteList(NoteKind);
    }
}

void TZQNote::NoteListKeyDown(TObject *Sender, WORD &Key, TShiftState)
{
    if (Key == VK_RETURN)
        NoteListDblClick(Sender);
    else if (Key == VK_ESCAPE)
        PostToPage(WM_PANE_BACK);
}

void TZQNote::RichEdit1KeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_ESCAPE || Key == VK_RETURN)
        BackToList();
}

void TZQNote::RichEdit1MouseDown(TObject *, TMouseButton Button, TShiftState, int, int)
{
    Activate();
    if (Button != mbLeft)
        return;
    if (IsSecondClick(LastClick))
        BackToList();
}

int TZQNote::Notify(int code, int a, int b, intptr_t c)
{
    switch (code) {
    case 8:
        if (b == 0 && TextShown())
            PostMessageA(RichEdit1->Handle, WM_KEYDOWN, VK_NEXT, 0);
        break;
    case 15: {
        int step = TextStep;
        TFont *fonts[3] = {RichEdit1->Font, NoteList->Font, nullptr};
        if (StepTextFont(step, b, fonts, 2)) {
            TextStep = step;
            RichEdit1->FontChanged();
            NoteList->FontChanged();
            SetItemHeight("证");
        }
        break;
    }
    case 1:
        if (b == 0 || b == 2) {
            NoteKind = b;
            Attr.BlockId = b;
            RadioButton1->Checked = b == 0;
            RadioButton2->Checked = b == 2;
            LoadNoteList(NoteKind);
        }
        break;
    }
    return 1;
}

void TZQNote::PrintView()
{
    if (!ConfirmPrint(PrintDialog1))
        return;
    if (TextShown())
        RichEdit1->Print(NotePath);
    else
        PrintLinesOnePage(*NoteList->Items, "");
}

void TZQNote::FormActivate(TObject *)
{
    TWinControl *target = NoteList->Visible ? static_cast<TWinControl *>(NoteList) : RichEdit1;
    if (target->CanFocus())
        target->SetFocus();
}

void TZQNote::FormClose(TObject *Sender, TCloseAction &Action)
{
    TChildView::FormClose(Sender, Action);
    Records.clear();
    Action = caFree;
}

void RegisterNotesView()
{
    RegisterViewMaker(VIEW_NOTES, MakeNotes);
    ViewHooks.ReloadNoteList = [](TMultiViewChild *pane, int kind) {
        if (TZQNote *n = AsNotes(pane); n && n->NoteKind == kind)
            n->LoadNoteList(kind);
    };
    ViewHooks.ShowPendingNote = [](TMultiViewChild *pane, const char *name) {
        TZQNote *n = AsNotes(pane);
        if (n && n->TextShown() && name &&
            std::strncmp(n->PendingNote.FileName, name, sizeof n->PendingNote.FileName) == 0)
            n->ShowNote(n->PendingNote);
    };
}
