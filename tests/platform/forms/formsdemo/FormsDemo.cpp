// A form holding the form library's controls with Chinese captions, shown until
// it is closed: a main menu, a tool bar, buttons, an edit, labels, check and
// radio buttons, a radio group, panels, a paint box, a draw grid with a tab set,
// a string grid, a combo box, a list box, a memo, speed buttons, a progress bar,
// a scroll bar, and pages with a list view, a tree view, a rich edit and the
// directory, file and drive lists.
#include <string>

#include "platform/forms/TApplication.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TDirectoryListBox.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TDriveComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TFileListBox.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TListView.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMemo.h"
#include "platform/forms/TPageControl.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TProgressBar.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TRadioGroup.h"
#include "platform/forms/TRichEdit.h"
#include "platform/forms/TScrollBar.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/forms/TStringGrid.h"
#include "platform/forms/TTabSet.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/forms/TTreeView.h"

using namespace win;

namespace {

template <typename T>
T *Place(TWinControl *parent, int left, int top, int width, int height, const char *caption = nullptr)
{
    auto *c = new T(parent);
    c->Parent = parent;
    c->SetBounds(left, top, width, height);
    if (caption)
        c->Caption = caption;
    return c;
}

TMenuItem *AddItem(TComponent *owner, TMenuItem *parent, const char *caption)
{
    auto *item = new TMenuItem(owner);
    item->Caption = caption;
    parent->Add(item);
    return item;
}

class TDemoForm : public TForm {
public:
    explicit TDemoForm(TComponent *owner) : TForm(owner)
    {
        Caption = "控件示例";
        SetBounds(10, 30, 1000, 520);

        auto *menu = new TMainMenu(this);
        TMenuItem *system = AddItem(this, menu->Items, "系统(&S)");
        AddItem(this, system, "连接服务器");
        AddItem(this, system, "退出系统(&X)");
        TMenuItem *view = AddItem(this, menu->Items, "画面(&V)");
        AddItem(this, view, "日线")->Checked = true;
        AddItem(this, view, "分时走势");
        AddItem(this, menu->Items, "帮助(&H)");
        Menu = menu;

        auto *tools = Place<TToolBar>(this, 0, 0, 100, 26);
        tools->Align = alTop;
        tools->ShowCaptions = true;
        tools->ButtonWidth = 40;
        for (const char *caption : {"日线", "周线", "月线"}) {
            auto *b = new TToolButton(this);
            b->Style = tbsCheck;
            b->Grouped = true;
            b->Caption = caption;
            b->Parent = tools;
        }

        auto *bottom = Place<TPanel>(this, 0, 0, 100, 28, "状态栏：就绪");
        bottom->Align = alBottom;
        auto *body = Place<TPanel>(this, 0, 0, 720, 100);
        body->Align = alLeft;
        body->BevelOuter = bvNone;
        Build(body);
        BuildPages();
    }

private:
    void Build(TPanel *body)
    {

        Place<TLabel>(body, 12, 14, 60, 16, "代码(&C)：");
        auto *edit = Place<TEdit>(body, 80, 10, 120, 22);
        edit->Text = "600000 浦发银行";
        auto *ok = Place<TButton>(body, 212, 9, 75, 25, "确定");
        ok->Default = true;
        Place<TButton>(body, 294, 9, 75, 25, "取消");

        auto *check = Place<TCheckBox>(body, 12, 44, 120, 20, "报价网格");
        check->Checked = true;
        Place<TRadioButton>(body, 140, 44, 90, 20, "动态优先")->Checked = true;
        Place<TRadioButton>(body, 232, 44, 90, 20, "技术优先");

        auto *group = Place<TRadioGroup>(body, 12, 72, 180, 110, "周期");
        TStringList periods;
        for (const char *p : {"日线", "周线", "月线"})
            periods.Add(p);
        group->Items = &periods;
        group->ItemIndex = 0;

        auto *box = Place<TPaintBox>(body, 204, 72, 165, 110);
        box->OnPaint = [box](TObject *) {
            TCanvas *c = box->Canvas;
            c->Brush->Color = clBlack;
            c->FillRect(TRect(0, 0, 165, 110));
            c->Pen->Color = clRed;
            c->MoveTo(5, 100);
            for (int x = 5; x < 160; x += 10)
                c->LineTo(x, 100 - (x * 7 % 60) - 20);
            c->Font->Color = clYellow;
            c->Brush->Style = bsClear;
            c->TextOut(8, 6, "分时走势");
        };

        auto *grid = Place<TStringGrid>(body, 380, 10, 320, 172);
        grid->ColCount = 4;
        grid->RowCount = 8;
        grid->DefaultColWidth = 76;
        grid->DefaultRowHeight = 20;
        const char *titles[] = {"代码", "名称", "最新", "涨跌"};
        const char *names[] = {"浦发银行", "万科Ａ", "中国石化", "招商银行", "贵州茅台", "中信证券", "平安银行"};
        for (int c = 0; c < 4; ++c)
            grid->Cells[c][0] = titles[c];
        for (int r = 1; r < 8; ++r) {
            grid->Cells[0][r] = std::to_string(600000 + r * 17).c_str();
            grid->Cells[1][r] = names[r - 1];
            grid->Cells[2][r] = std::to_string(10 + r).append(".").append(std::to_string(r * 3 % 100)).c_str();
            grid->Cells[3][r] = r % 2 ? "+0.35" : "-0.12";
        }

        auto *draw = Place<TDrawGrid>(body, 12, 192, 688, 150);
        draw->ColCount = 9;
        draw->RowCount = 30;
        draw->FixedCols = 0;
        draw->DefaultColWidth = 76;
        draw->DefaultRowHeight = 20;
        draw->Options = TGridOptions() << goColSizing << goColMoving << goRowSelect << goThumbTracking;
        draw->DefaultDrawing = false;
        draw->OnDrawCell = [draw](TObject *, int col, int row, const TRect &rect, TGridDrawState state) {
            static const char *heads[] = {"序号", "名称", "最新", "现手", "成交量", "金额", "涨幅", "最高", "最低"};
            TCanvas *c = draw->Canvas;
            c->Brush->Color = state.Contains(gdSelected) ? TColor(0x404040) : clBlack;
            c->FillRect(rect);
            c->Brush->Style = bsClear;
            c->Font->Color = row == 0 ? clWhite : col == 1 ? clYellow : (row % 3 ? clRed : clLime);
            std::string text = row == 0 ? heads[col] : col == 1 ? "沪铜连续" : std::to_string(row * 100 + col * 7);
            c->TextRect(rect, rect.Left + 4, rect.Top + 3, text.c_str());
            c->Brush->Style = bsSolid;
        };

        auto *combo = Place<TComboBox>(body, 12, 372, 140, 22);
        combo->Style = csDropDownList;
        for (const char *p : {"即时", "5分", "日线", "周线"})
            combo->Items->Add(p);
        combo->ItemIndex = 2;
        auto *list = Place<TListBox>(body, 160, 372, 140, 70);
        for (const char *p : {"上海信息", "深圳信息", "公告", "研究报告"})
            list->Items->Add(p);
        list->ItemIndex = 1;
        auto *memo = Place<TMemo>(body, 310, 372, 180, 70);
        memo->Text = "系统消息：\r\n行情服务器已连接。";
        memo->ReadOnly = true;
        for (int i = 0; i < 3; ++i) {
            const char *captions[] = {"线", "框", "文"};
            auto *b = Place<TSpeedButton>(body, 500 + 26 * i, 372, 24, 22, captions[i]);
            b->GroupIndex = 1;
            b->Flat = true;
            b->Down = i == 0;
        }
        auto *progress = Place<TProgressBar>(body, 500, 400, 200, 16);
        progress->Max = 150;
        progress->Position = 90;
        auto *bar = Place<TScrollBar>(body, 500, 424, 200, 16);
        bar->SetParams(30, 0, 100);

        auto *tabs = Place<TTabSet>(body, 12, 342, 688, 20);
        for (const char *t : {"全部", "上海Ａ股", "深圳Ａ股", "自选股"})
            tabs->Tabs->Add(t);
        tabs->TabIndex = 1;
    }

    void BuildPages()
    {
        auto *pages = Place<TPageControl>(this, 0, 0, 260, 100);
        pages->Align = alClient;
        auto sheet = [&](const char *caption) {
            auto *s = new TTabSheet(this);
            s->Caption = caption;
            s->PageControl = pages;
            return s;
        };
        TTabSheet *listSheet = sheet("指标");
        auto *list = Place<TListView>(listSheet, 0, 0, 100, 100);
        list->Align = alClient;
        list->RowSelect = true;
        for (auto [caption, width] : {std::pair("名称", 60), std::pair("说明", 110), std::pair("热键", 60)}) {
            TListColumn *c = list->Columns->Add();
            c->Caption = caption;
            c->Width = width;
        }
        for (auto [name, note] : {std::pair("MACD", "平滑异同平均"), std::pair("KDJ", "随机指标"), std::pair("RSI", "相对强弱")}) {
            TListItem *item = list->Items->Add();
            item->Caption = name;
            item->SubItems->Add(note);
            item->SubItems->Add(name);
        }

        TTabSheet *treeSheet = sheet("分类");
        auto *tree = Place<TTreeView>(treeSheet, 0, 0, 100, 100);
        tree->Align = alClient;
        TTreeNode *system = tree->Items->Add(nullptr, "系统指标");
        tree->Items->AddChild(system, "趋向指标");
        tree->Items->AddChild(system, "能量指标");
        tree->Items->Add(system, "自定义指标");
        system->Expanded = true;

        TTabSheet *textSheet = sheet("公告");
        auto *text = Place<TRichEdit>(textSheet, 0, 0, 100, 100);
        text->Align = alClient;
        text->ReadOnly = true;
        text->ScrollBars = ssVertical;
        text->Text = "交易所公告\r\n\r\n本周五下午收盘后进行系统升级测试。";

        TTabSheet *dirSheet = sheet("目录");
        auto *path = Place<TLabel>(dirSheet, 6, 6, 240, 16);
        auto *drives = Place<TDriveComboBox>(dirSheet, 6, 26, 240, 22);
        auto *dirs = Place<TDirectoryListBox>(dirSheet, 6, 52, 240, 150);
        auto *files = Place<TFileListBox>(dirSheet, 6, 206, 240, 150);
        drives->DirList = dirs;
        dirs->DirLabel = path;
        dirs->FileList = files;
        dirs->Directory = ".";
    }
};

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    app.Initialize();
    TDemoForm *form = nullptr;
    app.CreateForm(form);
    return app.Run();
}
