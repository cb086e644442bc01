#include "lumon/views/Selindex.h"

#include <cstring>

#include "lumon/shell/MFrame.h"
#include "lumon/views/Setpara.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TPanel.h"

using namespace win;

namespace {

const char *const NodeNames[ChooserNodes] = {"系统指标", "主图指标", "趋向指标", "反趋向指标", "压力支撑指标",
                                             "能量指标", "统计指标", "量价指标", "大盘指标", "成交量指标",
                                             "特色指标", "自定义指标", "常用指标"};
constexpr uint16_t FrequentFlag = 0x0020;  // low byte of the attribute word
constexpr uint16_t HiddenFlag = 0x8000;    // high byte
constexpr int VK_ESCAPE_CHAR = 27;

TButton *AddButton(TForm *form, TWinControl *parent, int left, int width, const char *caption)
{
    auto *button = Place<TButton>(form, parent, left, 8, width, 25);
    button->Caption = caption;
    return button;
}

} // namespace

bool NodeListsDefinition(int node, const IndexDefinition &d)
{
    if (d.Attribute & HiddenFlag)
        return false;
    if (node == 0)
        return d.Kind < 100;
    if (node >= 1 && node <= 10)
        return d.Kind == node - 1;
    if (node == 11)
        return d.Kind == IndexKindFormula;
    if (node == 12)
        return (d.Attribute & FrequentFlag) != 0;
    return false;
}

TSelIdxDlg::TSelIdxDlg(TComponent *Owner) : TForm(Owner), Table(GetIndexTable())
{
    SetUpDialog(*this, "选择指标", 456, 330);
    Font->Name = "Tahoma";
    FontChanged();

    auto *buttons = new TPanel(this);
    buttons->Parent = this;
    buttons->BevelOuter = bvNone;
    buttons->Height = 41;
    buttons->Align = alBottom;
    Button1 = AddButton(this, buttons, 8, 75, "确定");
    Button1->Default = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2 = AddButton(this, buttons, 89, 75, "取消");
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button3 = AddButton(this, buttons, 170, 90, "变更参数");
    Button3->OnClick = [this](TObject *s) { Button3Click(s); };
    Button4 = AddButton(this, buttons, 266, 150, "注册/删除自定指标");
    Button4->Enabled = false;
    Button4->OnClick = [this](TObject *s) { Button4Click(s); };

    TreeView1 = new TTreeView(this);
    TreeView1->Parent = this;
    TreeView1->Width = 130;
    TreeView1->Align = alLeft;
    TreeView1->ReadOnly = true;
    TreeView1->AutoExpand = true;
    Splitter1 = new TSplitter(this);
    Splitter1->Parent = this;
    Splitter1->Width = 3;
    Splitter1->Align = alLeft;
    ListView1 = new TListView(this);
    ListView1->Parent = this;
    ListView1->Align = alClient;
    ListView1->RowSelect = true;
    ListView1->ReadOnly = true;
    ListView1->HotTrack = true;
    const char *titles[] = {"指标名称", "指标说明", "指标热键"};
    const int widths[] = {61, 140, 82};
    for (int i = 0; i < 3; ++i) {
        TListColumn *column = ListView1->Columns->Add();
        column->Caption = titles[i];
        column->Width = widths[i];
    }
    ListView1->OnDblClick = [this](TObject *s) { Button1Click(s); };

    TTreeNode *system = TreeView1->Items->Add(nullptr, NodeNames[0]);
    for (int i = 1; i <= 10; ++i)
        TreeView1->Items->AddChild(system, NodeNames[i]);
    TreeView1->Items->Add(nullptr, NodeNames[11]);
    TreeView1->Items->Add(nullptr, NodeNames[12]);
    TreeView1->OnChange = [this](TObject *s, TTreeNode *n) { TreeView1Change(s, n); };
    TreeView1->OnKeyPress = [this](TObject *s, char &k) { TreeView1KeyPress(s, k); };

    FormCreate(this);
}

void TSelIdxDlg::FormCreate(TObject *)
{
    TreeView1->Selected = TreeView1->Items->Item[0];
}

void TSelIdxDlg::TreeView1Change(TObject *, TTreeNode *Node)
{
    ListView1->Items->Clear();
    RowCount = 0;
    if (!Node)
        return;
    int node = -1;
    for (int i = 0; i < TreeView1->Items->Count; ++i)
        if (TreeView1->Items->Item[i] == Node) {
            node = i;
            break;
        }
    if (node < 0 || !Table)
        return;
    for (int i = 0; i < Table->Count && RowCount < MaxChooserRows; ++i) {
        const IndexDefinition &d = Table->Definitions[i];
        if (!NodeListsDefinition(node, d))
            continue;
        ChooserTexts texts = DefinitionTexts(d);
        TListItem *row = ListView1->Items->Add();
        row->Caption = texts.Name;
        row->SubItems->Add(texts.Description);
        row->SubItems->Add(texts.HotKey);
        RowMap[RowCount++] = i;
    }
}

const IndexDefinition *TSelIdxDlg::SelectedDefinition()
{
    TListItem *row = ListView1->Selected;
    if (!row || !Table)
        return nullptr;
    int index = row->Index;
    if (index < 0 || index >= RowCount || RowMap[index] >= Table->Count)
        return nullptr;
    return &Table->Definitions[RowMap[index]];
}

void TSelIdxDlg::Button1Click(TObject *)
{
    const IndexDefinition *d = SelectedDefinition();
    if (!d)
        return;
    ChosenId = d->Id;
    Chosen = 1;
    ModalResult = mrOk;
}

void TSelIdxDlg::Button3Click(TObject *)
{
    const IndexDefinition *d = SelectedDefinition();
    if (!d)
        return;
    DialogBusy = 1;
    ChosenId = d->Id;
    // Owned by the application only so that it counts among the program's forms;
    // it is freed here.
    auto *dialog = new TModiPara(Application, nullptr, 0, ChosenId);
    dialog->ComboBox1->Enabled = true;
    dialog->ShowModal();
    delete dialog;
    DialogBusy = 0;
}

void TSelIdxDlg::Button4Click(TObject *) {}

void TSelIdxDlg::TreeView1KeyPress(TObject *, char &Key)
{
    if (Key == VK_ESCAPE_CHAR)
        Close();
}
