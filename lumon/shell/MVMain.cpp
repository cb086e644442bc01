#include "lumon/shell/MVMain.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/FrameServices.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/PageManager.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Stdio.h"

using namespace win;

const char DefaultPagePath[] = "..\\CFG\\Default.ppg";
const char LastPagePath[] = "..\\CFG\\LASTPAGE.DAT";

TTranspWnd *TMultiViewMain::Overlay = nullptr;

namespace {

constexpr int kMaxHistory = 20;

bool Horizontal(int edge) { return edge == 1 || edge == 2; }

int Extent(const MVCS *node, bool horizontal) { return horizontal ? node->Width : node->Height; }

bool FileExists(const char *path) { return win::access(path, 0) == 0; }

// The number of panes the part holds along the direction.
int PanesAlong(const MVCS *node, bool horizontal)
{
    if (!node->First && !node->Second)
        return 1;
    if (!node->First || !node->Second)
        return PanesAlong(node->First ? node->First : node->Second, horizontal);
    int a = PanesAlong(node->First, horizontal);
    int b = PanesAlong(node->Second, horizontal);
    bool sideBySide = node->First->Kind == 1 || node->First->Kind == 2;
    if (sideBySide == horizontal)
        return a + b;
    return a > b ? a : b;
}

void FrameTwice(HDC dc, int left, int top, int width, int height, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT outer{left, top, left + width, top + height};
    RECT inner{left + 1, top + 1, left + width - 1, top + height - 1};
    FrameRect(dc, &outer, brush);
    FrameRect(dc, &inner, brush);
    DeleteObject(brush);
}

} // namespace

AnsiString ReadLastPagePath()
{
    char buffer[260] = {};
    std::FILE *f = win::fopen(LastPagePath, "rb");
    if (!f)
        return AnsiString();
    size_t n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    if (n < sizeof buffer)
        return AnsiString();
    // The path is NUL-padded; a file without a NUL still ends at byte 259.
    buffer[259] = 0;
    return AnsiString(buffer);
}

TMultiViewMain::TMultiViewMain(TComponent *Owner, int mode, const char *path) : TForm(Owner), Mode(mode)
{
    assert(Owner != nullptr && "Owner != NULL");
    Panes = new EArray<TMultiViewChild *>(20);
    Root = new MVCS;
    Root->Width = 1;
    Root->Height = 1;
    Path = mode == PAGE_DEFAULT ? AnsiString("Default") : AnsiString(path ? path : "");
    BorderStyle = bsNone;
    BorderIcons = TBorderIcons();
    Color = static_cast<TColor>(KeyColor(17));
    if (auto *parent = dynamic_cast<TWinControl *>(Owner))
        Parent = parent;
    if (!Overlay)
        Overlay = new TTranspWnd(this);
    OnCreate = [this](TObject *s) { FormCreate(s); };
    OnResize = [this](TObject *s) { FormResize(s); };
    OnPaint = [this](TObject *s) { FormPaint(s); };
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

TMultiViewMain::~TMultiViewMain()
{
    DeleteTree(Root);
    Root = nullptr;
    if (Overlay && Overlay->GetOwner() == this) {
        delete Overlay;
        Overlay = nullptr;
    }
    delete Panes;
}

void TMultiViewMain::DestroyPane(TMultiViewChild *pane)
{
    pane->Perform(WM_CLOSE, 0, 0);
    delete pane;
}

void TMultiViewMain::DeleteTree(MVCS *node)
{
    if (!node)
        return;
    DeleteTree(node->First);
    DeleteTree(node->Second);
    if (node->Pane)
        DestroyPane(node->Pane);
    delete node;
}

bool TMultiViewMain::HasPane(const TMultiViewChild *pane) const
{
    for (int i = 0; i < Panes->GetCount(); ++i)
        if (Panes->GetAt(i) == pane)
            return true;
    return false;
}

std::vector<TMultiViewChild *> TMultiViewMain::PaneSnapshot() const
{
    return std::vector<TMultiViewChild *>(Panes->GetData(), Panes->GetData() + Panes->GetCount());
}

// ---- building a page -------------------------------------------------------

void TMultiViewMain::FormCreate(TObject *)
{
    Root->Width = ClientWidth > 0 ? ClientWidth : 1;
    Root->Height = ClientHeight > 0 ? ClientHeight : 1;
    if (Mode == PAGE_NEW) {
        VIEW_ATTR empty{};
        SplitPane(Root, &empty, 1.0f, 1)->Activate();
    } else if (Mode == PAGE_DEFAULT) {
        bool loaded = false;
        if (FileExists(DefaultPagePath)) {
            Path = DefaultPagePath;
            loaded = LoadPage(DefaultPagePath, true);
        }
        if (!loaded)
            FillDefaultPage(VIEW_REPORT);
    } else {
        if (Path.IsEmpty())
            Path = ReadLastPagePath();
        bool loaded = false;
        if (!Path.IsEmpty()) {
            Path = Path.UpperCase();
            loaded = LoadPage(Path.c_str(), false);
        }
        if (!loaded && FileExists(DefaultPagePath)) {
            Path = DefaultPagePath;
            loaded = LoadPage(DefaultPagePath, true);
        }
        if (!loaded) {
            Path = "Default";
            FillDefaultPage(VIEW_REPORT);
        }
    }
    LayoutPage();
}

void TMultiViewMain::FillDefaultPage(uint16_t viewType)
{
    VIEW_ATTR attr;
    InitViewAttr(viewType, &attr);
    SplitPane(Root, &attr, 1.0f, 1)->Activate();
}

bool TMultiViewMain::LoadPage(const char *path, bool version3Only)
{
    PageFileData data = LoadPageFile(path, version3Only);
    if (data.Kind == PageFileKind::Unreadable)
        return false;
    Root->First = BuildNode(Root, data, 0);
    if (Panes->GetCount() == 0) {
        DeleteTree(Root->First);
        Root->First = nullptr;
        return false;
    }
    // An older page is rewritten at once as a whole version 3 file.
    if (!version3Only && (data.Kind == PageFileKind::Version1 || data.Kind == PageFileKind::Version2)) {
        char name[64];
        UpgradedPageName(path, name);
        WritePageFile(path, SerializePageBody(data.Nodes), name, true);
    }
    SetActivePane(Panes->GetAt(0));
    return true;
}

MVCS *TMultiViewMain::BuildNode(MVCS *parent, const PageFileData &data, int index)
{
    const PageNode &rec = data.Nodes[size_t(index)];
    auto *node = new MVCS;
    node->Parent = parent;
    node->Kind = rec.Kind;
    node->Ratio = rec.Ratio;
    if (rec.Leaf) {
        node->State = new VIEW_STATE(rec.State);
        node->Pane = CreateView(this, node, &rec.Attr);
        return node;
    }
    if (rec.First >= 0)
        node->First = BuildNode(node, data, rec.First);
    if (rec.Second >= 0)
        node->Second = BuildNode(node, data, rec.Second);
    return node;
}

// ---- saving ----------------------------------------------------------------

void TMultiViewMain::FillViewState(TMultiViewChild *pane)
{
    VIEW_STATE &s = *pane->State;
    const VIEW_ATTR &a = pane->Attr;
    auto clamp = [](int32_t n, int32_t max) { return n < 0 ? 0 : (n > max ? max : n); };
    switch (a.ViewType) {
    case VIEW_REPORT:
        s.BlockCount = clamp(a.BlockCount, 16);
        std::memcpy(s.Blocks, a.Blocks, sizeof s.Blocks);
        s.CurrentBlock = a.BlockId;
        s.ColumnCount = clamp(a.ItemCount, 16);
        std::memcpy(s.Columns, a.Items, sizeof s.Columns);
        s.SortField = a.Mode;
        s.FixedColumns = a.Param;
        break;
    case VIEW_TREND:
        s.TrendCount = clamp(a.ItemCount, 4);
        std::memcpy(s.TrendItems, a.Items, sizeof s.TrendItems);
        break;
    case VIEW_KLINE:
        s.KLineCount = clamp(a.ItemCount, 6);
        std::memcpy(s.KLineItems, a.Items, sizeof s.KLineItems);
        break;
    }
    s.Link = pane->Link;
    pane->WriteViewState(s);
}

void TMultiViewMain::CollectNodes(MVCS *node, std::vector<PageNode> &out)
{
    size_t index = out.size();
    out.emplace_back();
    out[index].Kind = node->Kind;
    out[index].Ratio = node->Ratio;
    if (node->Pane) {
        FillViewState(node->Pane);
        out[index].Leaf = true;
        out[index].Attr = node->Pane->Attr;
        // A browse-list handle means nothing outside this process.
        if (HasRuntimeArea(out[index].Attr.ViewType))
            std::memset(reinterpret_cast<uint8_t *>(&out[index].Attr) + VIEW_RUNTIME_OFFSET, 0, VIEW_RUNTIME_SIZE);
        out[index].State = *node->State;
        return;
    }
    if (node->First) {
        out[index].First = static_cast<int>(out.size());
        CollectNodes(node->First, out);
    }
    if (node->Second) {
        out[index].Second = static_cast<int>(out.size());
        CollectNodes(node->Second, out);
    }
}

void TMultiViewMain::SavePage(int mode)
{
    if (!Root->First)
        return;
    if ((mode == 0 || mode == 2) && !Path.IsEmpty()) {
        if (Path == "Default" || Path.AnsiCompareIC(DefaultPagePath) == 0)
            return;
        Path = Path.UpperCase();
        std::vector<PageNode> nodes;
        CollectNodes(Root->First, nodes);
        WritePageFile(Path.c_str(), SerializePageBody(nodes), nullptr, false);
        return;
    }
    if (mode == 2)
        return;
    auto *dialog = new TPageMngr(this);
    DialogBusy = 1;
    int result = dialog->ShowModal();
    DialogBusy = 0;
    CPageData chosen = dialog->Chosen;
    delete dialog;
    if (result != mrOk)
        return;
    char path[260];
    std::memcpy(path, chosen.Path, sizeof path);
    path[259] = 0;
    if (!path[0]) {
        for (int n = 0; n < MaxPages && !path[0]; ++n) {
            char candidate[260];
            std::snprintf(candidate, sizeof candidate, "..\\Cfg\\lmpage%d.ppg", n);
            if (!FileExists(candidate))
                std::strcpy(path, candidate);
        }
        if (!path[0]) {
            MessageBoxA(0, "页面文件的数目已经达到上限, 无法创建新页面.   ", "提示", MB_ICONERROR | MB_TOPMOST);
            return;
        }
    }
    std::vector<PageNode> nodes;
    CollectNodes(Root->First, nodes);
    chosen.Name[63] = 0;
    WritePageFile(path, SerializePageBody(nodes), chosen.Name, true);
    Path = path;
    LoadPageList();
}

// ---- layout ----------------------------------------------------------------

void TMultiViewMain::PostFirstShow(TMultiViewChild *pane)
{
    if (!pane->Drawn)
        PostMessageA(pane->Handle, WM_PANE_FIRST_SHOW, 0, 0);
}

void TMultiViewMain::LayoutNode(MVCS *node, bool place, bool create)
{
    MVCS *p = node->Parent;
    if (!p)
        return;
    switch (node->Kind) {
    case 1:
    case 2:
        node->Top = p->Top;
        node->Height = p->Height;
        node->Width = static_cast<int32_t>(p->Width * node->Ratio + 0.5f);
        node->Left = node->Kind == 1 ? p->Left : p->Left + p->Width - node->Width;
        break;
    default:
        node->Left = p->Left;
        node->Width = p->Width;
        node->Height = static_cast<int32_t>(p->Height * node->Ratio + 0.5f);
        node->Top = node->Kind == 3 ? p->Top : p->Top + p->Height - node->Height;
        break;
    }
    if (place && !MaximizedPane && node->Pane) {
        TMultiViewChild *pane = node->Pane;
        int w = node->Width - 4 > 0 ? node->Width - 4 : 0;
        int h = node->Height - 4 > 0 ? node->Height - 4 : 0;
        pane->SetBounds(node->Left + 2, node->Top + 2, w, h);
        pane->Show();
        PostFirstShow(pane);
    }
    for (int side = 1; side >= 0; --side) {
        MVCS *&child = side == 0 ? node->First : node->Second;
        if (!child)
            continue;
        if (create && child->IsEmptyLeaf()) {
            if (static_cast<int>(child->Ratio * 1000) != 0) {
                child->Pane = new TMultiViewChild(this, child);
                LayoutNode(child, place, create);
            } else {
                delete child;
                child = nullptr;
                if (side == 0) {
                    node->First = node->Second;
                    node->Second = nullptr;
                }
            }
        } else {
            LayoutNode(child, place, create);
        }
    }
}

void TMultiViewMain::PlaceMaximized()
{
    TMultiViewChild *pane = MaximizedPane;
    int w = ClientWidth - 4 > 0 ? ClientWidth - 4 : 0;
    int h = ClientHeight - 4 > 0 ? ClientHeight - 4 : 0;
    pane->SetBounds(2, 2, w, h);
    pane->Show();
    PostFirstShow(pane);
}

void TMultiViewMain::LayoutPage()
{
    Root->Left = 0;
    Root->Top = 0;
    Root->Width = ClientWidth;
    Root->Height = ClientHeight;
    if (Root->First)
        LayoutNode(Root->First, true, true);
    if (Root->Second)
        LayoutNode(Root->Second, true, true);
    if (MaximizedPane)
        PlaceMaximized();
    Invalidate();
}

void TMultiViewMain::FormResize(TObject *) { LayoutPage(); }

void TMultiViewMain::FormPaint(TObject *)
{
    HDC dc = Canvas->Handle;
    RECT client{0, 0, ClientWidth, ClientHeight};
    HBRUSH back = CreateSolidBrush(KeyColor(17));
    FillRect(dc, &client, back);
    DeleteObject(back);
    if (MaximizedPane) {
        FrameTwice(dc, 0, 0, ClientWidth, ClientHeight, KeyColor(41));
        return;
    }
    for (int i = 0; i < Panes->GetCount(); ++i) {
        TMultiViewChild *pane = Panes->GetAt(i);
        const MVCS *n = pane->Node;
        FrameTwice(dc, n->Left, n->Top, n->Width, n->Height, KeyColor(pane->Active ? 41 : 40));
    }
}

void TMultiViewMain::PaintPicture(HDC dc)
{
    auto copy = [dc](HWND hwnd, int x, int y, int w, int h) {
        HDC src = win::GetDC(hwnd);
        BitBlt(dc, x, y, w, h, src, 0, 0, SRCCOPY);
        win::ReleaseDC(hwnd, src);
    };
    copy(Handle, 0, 0, ClientWidth, ClientHeight);
    for (int i = 0; i < Panes->GetCount(); ++i) {
        TMultiViewChild *pane = Panes->GetAt(i);
        if (!pane->Visible)
            continue;
        copy(pane->Handle, pane->Left, pane->Top, pane->Width, pane->Height);
        if (TMVCmdBox *box = pane->CmdBox)
            copy(box->m_hWnd, pane->Left + pane->ClientWidth - 3 - 17 * box->Count, pane->Top + 3,
                 box->StripWidth(), 14);
    }
}

// ---- panes -----------------------------------------------------------------

void TMultiViewMain::SetActivePane(TMultiViewChild *pane)
{
    if (pane == ActivePane)
        return;
    if (TMultiViewChild *old = ActivePane) {
        old->Active = 0;
        old->OnDeactivate();
    }
    ActivePane = pane;
    if (pane) {
        pane->Active = 1;
        pane->OnActivate();
    }
    Invalidate();
    if (pane && pane->Visible && pane->CanFocus())
        pane->SetFocus();
}

TMultiViewChild *TMultiViewMain::SplitPane(MVCS *node, const VIEW_ATTR *attr, float ratio, int mode)
{
    assert((mode == 1 || mode == 2) && "mode == 1 || mode == 2");
    assert(MaximizedPane == nullptr && "m_pCurMaximized == NULL");
    auto *leaf = new MVCS;
    leaf->Parent = node;
    if (node->Pane) {
        auto *oldLeaf = new MVCS;
        oldLeaf->Parent = node;
        oldLeaf->Kind = mode == 2 ? 1 : 3;
        oldLeaf->Ratio = 1.0f - ratio;
        leaf->Kind = mode == 2 ? 2 : 4;
        leaf->Ratio = ratio;
        // The old pane moves into its leaf with its history and view state.
        oldLeaf->Pane = node->Pane;
        oldLeaf->Pane->Node = oldLeaf;
        oldLeaf->History = node->History;
        oldLeaf->State = node->State;
        node->History = nullptr;
        node->State = nullptr;
        node->Pane = nullptr;
        node->First = oldLeaf;
        node->Second = leaf;
        LayoutNode(oldLeaf, false, false);
        LayoutNode(leaf, false, false);
    } else {
        leaf->Kind = 1;
        leaf->Ratio = 1.0f;
        leaf->Left = node->Left;
        leaf->Top = node->Top;
        leaf->Width = node->Width;
        leaf->Height = node->Height;
        node->First = leaf;
    }
    leaf->Pane = CreateView(this, leaf, attr);
    Invalidate();
    return leaf->Pane;
}

void TMultiViewMain::SplitCommand(TMultiViewChild *pane, int mode)
{
    if (MaximizedPane)
        return;
    MVCS *node = pane->Node;
    if ((mode == 2 && node->Width < 200) || (mode == 1 && node->Height < 100)) {
        MessageBoxA(0, "已有窗口太小, 无法切分.  ", "提示", MB_ICONERROR | MB_TOPMOST);
        return;
    }
    VIEW_ATTR empty{};
    TMultiViewChild *added = SplitPane(node, &empty, 0.5f, mode);
    added->Activate();
    LayoutNode(node, true, true);
}

void TMultiViewMain::ClosePane(TMultiViewChild *pane)
{
    if (Panes->GetCount() <= 1 || pane->Maximized || pane == MaximizedPane)
        return;
    MVCS *node = pane->Node;
    MVCS *parent = node->Parent;
    if (!parent || parent == Root)
        return;
    MVCS *sibling = parent->First == node ? parent->Second : parent->First;
    if (!sibling)
        return;
    // The sibling takes the parent's place; the parent keeps its kind and ratio.
    parent->Pane = sibling->Pane;
    parent->First = sibling->First;
    parent->Second = sibling->Second;
    if (parent->First)
        parent->First->Parent = parent;
    if (parent->Second)
        parent->Second->Parent = parent;
    if (parent->Pane)
        parent->Pane->Node = parent;
    parent->History = sibling->History;
    parent->State = sibling->State;
    sibling->History = nullptr;
    sibling->State = nullptr;
    delete sibling;
    if (pane == ActivePane) {
        TMultiViewChild *next = Panes->GetAt(0) == pane ? Panes->GetAt(1) : Panes->GetAt(0);
        pane->Active = 0;
        next->Active = 1;
        ActivePane = next;
    }
    DestroyPane(pane);
    delete node;
    LayoutNode(parent, true, true);
    Invalidate();
}

void TMultiViewMain::SetBoxKind(TMultiViewChild *pane, int from, int to)
{
    if (TMVCmdBox *box = pane->CmdBox) {
        for (int i = 0; i < box->Count; ++i)
            if (box->Kinds[i] == from)
                box->Kinds[i] = to;
        box->Refresh();
    }
}

void TMultiViewMain::ZoomPane(TMultiViewChild *pane, int maximize)
{
    if (maximize) {
        if (pane == MaximizedPane)
            return;
        if (TMultiViewChild *old = MaximizedPane) {
            old->Maximized = 0;
            SetBoxKind(old, 2, 1);
        }
        MaximizedPane = pane;
        SetBoxKind(pane, 1, 2);
        pane->Maximized = 1;
        for (int i = 0; i < Panes->GetCount(); ++i)
            if (Panes->GetAt(i) != pane)
                Panes->GetAt(i)->Hide();
        PlaceMaximized();
        if (!pane->Active)
            pane->Activate();
    } else {
        if (!pane || pane != MaximizedPane)
            return;
        SetBoxKind(pane, 2, 1);
        pane->Maximized = 0;
        MaximizedPane = nullptr;
        LayoutPage();
    }
    Invalidate();
}

void TMultiViewMain::PushHistory(EArray<VIEW_ATTR> *history, const VIEW_ATTR &old)
{
    for (int i = history->GetCount() - 1; i >= 0; --i) {
        VIEW_ATTR e = history->GetAt(i);
        if (e.ViewType == old.ViewType &&
            (old.ViewType != VIEW_TREND || (e.Flags & VIEW_FLAG_TREND) == (old.Flags & VIEW_FLAG_TREND))) {
            history->RemoveAt(i, 1);
            break;
        }
    }
    if (history->GetCount() >= kMaxHistory)
        history->RemoveAt(0, 5);
    history->Add(old);
}

TMultiViewChild *TMultiViewMain::ReplaceView(MVCS *node, const VIEW_ATTR *attr, int saveState)
{
    TMultiViewChild *old = node->Pane;
    VIEW_ATTR a = *attr;
    VIEW_ATTR known;
    if (!InitViewAttr(a.ViewType, &known))
        InitViewAttr(VIEW_REPORT, &a);
    if (!old) {
        node->Pane = CreateView(this, node, &a);
        LayoutNode(node, true, true);
        return node->Pane;
    }
    if (saveState)
        FillViewState(old);
    if (HasRuntimeArea(a.ViewType) && BrowseListHandle(a))
        AddBrowseListRef(BrowseListHandle(a));
    TMultiViewChild *pane = CreateView(this, node, &a);
    pane->Serial = old->Serial;
    pane->Link = old->Link;
    node->Pane = pane;
    if (old->Active)
        pane->Activate();
    if (old == MaximizedPane) {
        old->Maximized = 0;
        MaximizedPane = pane;
        pane->Maximized = 1;
        SetBoxKind(pane, 1, 2);
        LayoutPage();
    } else {
        LayoutNode(node, true, true);
    }
    PushHistory(node->History, old->Attr);
    DestroyPane(old);
    return pane;
}

void TMultiViewMain::ChangeView(TMultiViewChild *pane, UINT command)
{
    uint16_t type = 0;
    switch (command) {
    case WM_PANE_REPORT: type = VIEW_REPORT; break;
    case WM_PANE_TICK:
    case WM_PANE_TREND: type = VIEW_TREND; break;
    case WM_PANE_KLINE: type = VIEW_KLINE; break;
    case WM_PANE_TEXT: type = VIEW_TEXT; break;
    case WM_PANE_NEWS: type = VIEW_NEWS; break;
    default: return;
    }
    if (pane->Attr.ViewType == type) {
        bool tick = (pane->Attr.Flags & VIEW_FLAG_TREND) == 0;
        if (type == VIEW_TREND && ViewHooks.SwitchTickMode &&
            ((command == WM_PANE_TICK && !tick) || (command == WM_PANE_TREND && tick)))
            ViewHooks.SwitchTickMode(pane);
        return;
    }
    VIEW_ATTR attr;
    InitViewAttr(type, &attr);
    if (pane->Attr.ViewType != VIEW_EMPTY) {
        attr.Stock = pane->Attr.Stock;
        attr.BlockId = pane->Attr.BlockId;
    }
    TMultiViewChild *added = ReplaceView(pane->Node, &attr, 1);
    if (command == WM_PANE_TREND && !(added->Attr.Flags & VIEW_FLAG_TREND) && ViewHooks.SwitchTickMode)
        ViewHooks.SwitchTickMode(added);
}

void TMultiViewMain::GoBack(TMultiViewChild *pane)
{
    MVCS *node = pane->Node;
    EArray<VIEW_ATTR> *history = node->History;
    if (history->GetCount() == 0) {
        if (pane->Attr.ViewType == VIEW_REPORT)
            return;
        VIEW_ATTR attr;
        InitViewAttr(VIEW_REPORT, &attr);
        ReplaceView(node, &attr, 1);
        history->RemoveAt(history->GetCount() - 1, 1);
        return;
    }
    VIEW_ATTR entry = history->GetAt(history->GetCount() - 1);
    const VIEW_ATTR &now = pane->Attr;
    if (entry.ViewType == VIEW_REPORT && (entry.Stock & 0xFF) == (now.Stock & 0xFF))
        entry.Stock = now.Stock;
    if (HasRuntimeArea(entry.ViewType)) {
        // A history entry holds no reference to a browse list: the view takes
        // the current view's list, or none.
        if (HasRuntimeArea(now.ViewType)) {
            entry.Blocks[14] = now.Blocks[14];
            entry.Blocks[15] = now.Blocks[15];
        } else {
            entry.Blocks[14] = 0;
            SetBrowseListHandle(entry, 0);
        }
    }
    ReplaceView(node, &entry, 1);
    for (int i = 0; i < 2 && history->GetCount() > 0; ++i)
        history->RemoveAt(history->GetCount() - 1, 1);
}

TMultiViewChild *TMultiViewMain::FindPaneByType(int viewType, int any)
{
    auto fits = [viewType, any](TMultiViewChild *p) { return p->Attr.ViewType == viewType && (any || p->Link); };
    if (ActivePane && fits(ActivePane))
        return ActivePane;
    for (int i = 0; i < Panes->GetCount(); ++i)
        if (fits(Panes->GetAt(i)))
            return Panes->GetAt(i);
    return nullptr;
}

bool TMultiViewMain::ShowStockInLinkedPanes(int zoom, VIEW_ATTR *attr)
{
    const std::vector<TMultiViewChild *> panes = PaneSnapshot();
    bool any = false;
    uint16_t lastType = 0;
    bool zoomed = false;
    for (TMultiViewChild *p : panes) {
        if (!HasPane(p) || !p->Link || !HasRuntimeArea(p->Attr.ViewType))
            continue;
        if (BrowseListHandle(*attr))
            AddBrowseListRef(BrowseListHandle(*attr));
        any = true;
        lastType = p->Attr.ViewType;
        p->Notify(1, static_cast<int>(attr->Stock), attr->BlockId, reinterpret_cast<intptr_t>(attr));
        if (zoom && !zoomed && HasPane(p) && p != MaximizedPane) {
            PostMessageA(Handle, WM_PANE_MAXIMIZE, 0, reinterpret_cast<LPARAM>(p));
            zoomed = true;
        }
    }
    return any && lastType != VIEW_TEXT;
}

void TMultiViewMain::FormClose(TObject *, TCloseAction &Action)
{
    SavePage(2);
    DeleteTree(Root->First);
    DeleteTree(Root->Second);
    Root->First = Root->Second = nullptr;
    Action = caFree;
}

// ---- border dragging --------------------------------------------------------

int TMultiViewMain::HitNode(MVCS *node, int x, int y, MVCS *&found)
{
    if (!node)
        return 0;
    int right = node->Left + node->Width - 1;
    int bottom = node->Top + node->Height - 1;
    bool inRows = node->Top <= y && y < node->Top + node->Height;
    bool inColumns = node->Left <= x && x < node->Left + node->Width;
    int edge = 0;
    if (node->Left <= x && x < node->Left + 2 && inRows)
        edge = 1;
    else if (right - 2 < x && x <= right && inRows)
        edge = 2;
    else if (node->Top <= y && y < node->Top + 2 && inColumns)
        edge = 3;
    else if (bottom - 2 < y && y <= bottom && inColumns)
        edge = 4;
    if (edge) {
        found = node;
        return edge;
    }
    if ((edge = HitNode(node->First, x, y, found)) != 0)
        return edge;
    return HitNode(node->Second, x, y, found);
}

int TMultiViewMain::HitTest(int x, int y, MVCS *&node)
{
    node = nullptr;
    if (MaximizedPane)
        return 0;
    return HitNode(Root, x, y, node);
}

void TMultiViewMain::DrawGuide(int at)
{
    if (!Overlay || !DragNode)
        return;
    HDC dc = win::GetDC(Overlay->Handle);
    int oldRop = SetROP2(dc, R2_XORPEN);
    HPEN pen = CreatePen(PS_SOLID, 1, 0xFFFFFF);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int d = -1; d <= 1; ++d) {
        if (Horizontal(DragEdge)) {
            MoveToEx(dc, at + d, DragNode->Top, nullptr);
            LineTo(dc, at + d, DragNode->Top + DragNode->Height);
        } else {
            MoveToEx(dc, DragNode->Left, at + d, nullptr);
            LineTo(dc, DragNode->Left + DragNode->Width, at + d);
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SetROP2(dc, oldRop);
    win::ReleaseDC(Overlay->Handle, dc);
}

int TMultiViewMain::MinimumSize(MVCS *node, bool horizontal)
{
    return (horizontal ? 100 : 50) * PanesAlong(node, horizontal);
}

void TMultiViewMain::MouseDown(int x, int y)
{
    MVCS *node;
    int edge = HitTest(x, y, node);
    if (!edge)
        return;
    if (!Overlay)
        Overlay = new TTranspWnd(this);
    Overlay->Parent = this;
    Overlay->SetBounds(0, 0, ClientWidth, ClientHeight);
    // What lies under the overlay stays visible: the overlay shows the page's
    // picture under the guide line.
    HDC dc = win::GetDC(Overlay->Handle);
    PaintPicture(dc);
    win::ReleaseDC(Overlay->Handle, dc);
    Overlay->Show();
    Overlay->BringToFront();
    Dragging = 1;
    DragPoint = MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y));
    DragEdge = edge;
    DragNode = node;
    DrawGuide(Horizontal(edge) ? x : y);
}

void TMultiViewMain::MouseMove(int x, int y)
{
    if (!Dragging || !DragNode)
        return;
    bool horizontal = Horizontal(DragEdge);
    int last = horizontal ? static_cast<short>(LOWORD(DragPoint)) : static_cast<short>(HIWORD(DragPoint));
    int d = (horizontal ? x : y) - last;
    if (d == 0)
        return;
    if (DragNode == Root) {
        bool inward = (DragEdge == 1 || DragEdge == 3) ? d > 0 : d < 0;
        MVCS *top = Root->First;
        if (!inward || MaximizedPane || !top)
            return;
        static const int opposite[5] = {0, 2, 1, 4, 3};
        int extent = Extent(top, horizontal);
        auto *leaf = new MVCS;
        leaf->Kind = DragEdge;
        leaf->Ratio = extent > 0 ? static_cast<float>((d < 0 ? -d : d) / extent) : 0.0f;
        auto *inner = new MVCS;
        inner->Parent = Root;
        inner->Left = top->Left;
        inner->Top = top->Top;
        inner->Width = top->Width;
        inner->Height = top->Height;
        top->Kind = opposite[DragEdge];
        top->Ratio = 1.0f - leaf->Ratio;
        top->Parent = inner;
        leaf->Parent = inner;
        if (DragEdge == 1 || DragEdge == 3) {
            inner->First = leaf;
            inner->Second = top;
        } else {
            inner->First = top;
            inner->Second = leaf;
        }
        Root->First = inner;
        DragNode = leaf;
        DragEdge = opposite[DragEdge];
        LayoutNode(inner, false, false);
        return;
    }
    MVCS *node = DragNode;
    MVCS *parent = node->Parent;
    if (!parent)
        return;
    bool isFirst = parent->First == node;
    bool splitter = isFirst ? (DragEdge == 2 || DragEdge == 4) : (DragEdge == 1 || DragEdge == 3);
    bool alongKind = horizontal ? (node->Kind == 1 || node->Kind == 2) : (node->Kind == 3 || node->Kind == 4);
    MVCS *sibling = isFirst ? parent->Second : parent->First;
    if (!splitter || !alongKind || !sibling)
        return;
    MVCS *before = isFirst ? node : sibling;
    MVCS *after = isFirst ? sibling : node;
    // The part that shrinks stops at its minimum; one already there does not move.
    MVCS *shrinking = d > 0 ? after : before;
    int room = Extent(shrinking, horizontal) - MinimumSize(shrinking, horizontal);
    if (room < 0)
        room = 0;
    int applied = d > 0 ? (d < room ? d : room) : (-d < room ? d : -room);
    int parentExtent = Extent(parent, horizontal);
    if (applied == 0 || parentExtent <= 0)
        return;
    before->Ratio = static_cast<float>(Extent(before, horizontal) + applied) / static_cast<float>(parentExtent);
    after->Ratio = 1.0f - before->Ratio;
    DrawGuide(last);
    DrawGuide(last + applied);
    LayoutNode(before, false, true);
    LayoutNode(after, false, true);
    int px = static_cast<short>(LOWORD(DragPoint));
    int py = static_cast<short>(HIWORD(DragPoint));
    if (horizontal)
        px += applied;
    else
        py += applied;
    DragPoint = MAKELONG(static_cast<WORD>(px), static_cast<WORD>(py));
}

void TMultiViewMain::MouseUp()
{
    if (!Dragging)
        return;
    if (Overlay)
        Overlay->Hide();
    Dragging = 0;
    DragNode = nullptr;
    DragEdge = 0;
    LayoutPage();
}

// ---- messages ----------------------------------------------------------------

void TMultiViewMain::WndProc(TMessage &Message)
{
    const UINT msg = Message.Msg;
    if (msg >= WM_PANE_MAXIMIZE && msg <= WM_PANE_SCROLL_FORWARD && msg != WM_PANE_FIRST_SHOW && msg != 2547) {
        auto *pane = reinterpret_cast<TMultiViewChild *>(Message.LParam);
        // A command about a pane that has left the page is dropped.
        if (!pane || !HasPane(pane))
            return;
        HWND frame = MFrame ? MFrame->GetFrameWindow() : 0;
        switch (msg) {
        case WM_PANE_MAXIMIZE:
            ZoomPane(pane, 1);
            if (frame)
                PostMessageA(frame, WM_SUBSCRIBE_VIEWS, 0, 0);
            break;
        case WM_PANE_RESTORE:
            ZoomPane(MaximizedPane, 0);
            if (frame)
                PostMessageA(frame, WM_SUBSCRIBE_VIEWS, 0, 0);
            break;
        case WM_PANE_SPLIT_H:
            SplitCommand(pane, 2);
            break;
        case WM_PANE_SPLIT_V:
            SplitCommand(pane, 1);
            break;
        case WM_PANE_CLOSE:
            ClosePane(pane);
            break;
        case WM_PANE_BACK:
            GoBack(pane);
            break;
        case WM_PANE_SCROLL_BACK:
        case WM_PANE_SCROLL_FORWARD:
            if ((pane->Attr.ViewType == VIEW_TREND || pane->Attr.ViewType == VIEW_KLINE) && ViewHooks.ChartKeyDown)
                ViewHooks.ChartKeyDown(pane, msg == WM_PANE_SCROLL_BACK ? VK_LEFT : VK_RIGHT, true);
            break;
        default:
            ChangeView(pane, msg);
            break;
        }
        return;
    }
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((Message.WParam & 0xFFF0) == SC_MINIMIZE || (Message.WParam & 0xFFF0) == SC_RESTORE)
            return;
        break;
    case WM_KEYDOWN:
        if (ActivePane)
            PostMessageA(ActivePane->Handle, WM_KEYDOWN, Message.WParam, Message.LParam);
        break;
    case WM_MOUSEMOVE: {
        int x = static_cast<short>(LOWORD(static_cast<DWORD>(Message.LParam)));
        int y = static_cast<short>(HIWORD(static_cast<DWORD>(Message.LParam)));
        if (Dragging && (Message.WParam & MK_LBUTTON))
            MouseMove(x, y);
        else if (!Dragging) {
            MVCS *node;
            int edge = HitTest(x, y, node);
            SetCursor(LoadCursorA(0, edge == 0 ? IDC_ARROW : (Horizontal(edge) ? IDC_SIZEWE : IDC_SIZENS)));
        }
        break;
    }
    case WM_LBUTTONDOWN:
        if (!MaximizedPane)
            MouseDown(static_cast<short>(LOWORD(static_cast<DWORD>(Message.LParam))),
                      static_cast<short>(HIWORD(static_cast<DWORD>(Message.LParam))));
        break;
    case WM_LBUTTONUP:
        MouseUp();
        break;
    }
    TForm::WndProc(Message);
}
