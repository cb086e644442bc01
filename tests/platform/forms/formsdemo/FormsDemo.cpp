// A form holding the form library's controls with Chinese captions, shown until
// it is closed: buttons, an edit, labels, check and radio buttons, a radio
// group, panels, a paint box, a draw grid, a string grid, a combo box, a list
// box, a memo, speed buttons, a progress bar and a scroll bar.
#include <string>

#include "platform/forms/TApplication.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TListBox.h"
#include "platform/forms/TMemo.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TProgressBar.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TRadioGroup.h"
#include "platform/forms/TScrollBar.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/forms/TStringGrid.h"

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

class TDemoForm : public TForm {
public:
    explicit TDemoForm(TComponent *owner) : TForm(owner)
    {
        Caption = "控件示例";
        SetBounds(40, 40, 720, 480);

        auto *bottom = Place<TPanel>(this, 0, 0, 100, 28, "状态栏：就绪");
        bottom->Align = alBottom;

        Place<TLabel>(this, 12, 14, 60, 16, "代码(&C)：");
        auto *edit = Place<TEdit>(this, 80, 10, 120, 22);
        edit->Text = "600000 浦发银行";
        auto *ok = Place<TButton>(this, 212, 9, 75, 25, "确定");
        ok->Default = true;
        Place<TButton>(this, 294, 9, 75, 25, "取消");

        auto *check = Place<TCheckBox>(this, 12, 44, 120, 20, "报价网格");
        check->Checked = true;
        Place<TRadioButton>(this, 140, 44, 90, 20, "动态优先")->Checked = true;
        Place<TRadioButton>(this, 232, 44, 90, 20, "技术优先");

        auto *group = Place<TRadioGroup>(this, 12, 72, 180, 110, "周期");
        TStringList periods;
        for (const char *p : {"日线", "周线", "月线"})
            periods.Add(p);
        group->Items = &periods;
        group->ItemIndex = 0;

        auto *box = Place<TPaintBox>(this, 204, 72, 165, 110);
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

        auto *grid = Place<TStringGrid>(this, 380, 10, 320, 172);
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

        auto *draw = Place<TDrawGrid>(this, 12, 192, 688, 150);
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

        auto *combo = Place<TComboBox>(this, 12, 352, 140, 22);
        combo->Style = csDropDownList;
        for (const char *p : {"即时", "5分", "日线", "周线"})
            combo->Items->Add(p);
        combo->ItemIndex = 2;
        auto *list = Place<TListBox>(this, 160, 352, 140, 70);
        for (const char *p : {"上海信息", "深圳信息", "公告", "研究报告"})
            list->Items->Add(p);
        list->ItemIndex = 1;
        auto *memo = Place<TMemo>(this, 310, 352, 180, 70);
        memo->Text = "系统消息：\r\n行情服务器已连接。";
        memo->ReadOnly = true;
        for (int i = 0; i < 3; ++i) {
            const char *captions[] = {"线", "框", "文"};
            auto *b = Place<TSpeedButton>(this, 500 + 26 * i, 352, 24, 22, captions[i]);
            b->GroupIndex = 1;
            b->Flat = true;
            b->Down = i == 0;
        }
        auto *progress = Place<TProgressBar>(this, 500, 380, 200, 16);
        progress->Max = 150;
        progress->Position = 90;
        auto *bar = Place<TScrollBar>(this, 500, 404, 200, 16);
        bar->SetParams(30, 0, 100);
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
