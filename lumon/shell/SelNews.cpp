#include "lumon/shell/SelNews.h"

#include <cstring>

#include "lumon/shell/NewsTypes.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TListBox.h"

using namespace win;

TSelNewsTypes::TSelNewsTypes(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "选择新闻类型", 347, 279);
    Label1 = AddLabel(this, this, 10, 8, "已选择的类型:");
    ListBox1 = Place<TListBox>(this, this, 10, 26, 130, 210);
    Label2 = AddLabel(this, this, 207, 8, "可供选择的类型:");
    ListBox2 = Place<TListBox>(this, this, 207, 26, 130, 210);
    Button1 = Place<TButton>(this, this, 148, 90, 51, 25);
    Button1->Caption = "<--";
    Button2 = Place<TButton>(this, this, 148, 130, 51, 25);
    Button2->Caption = "-->";
    Button3 = Place<TButton>(this, this, 90, 246, 75, 25);
    Button3->Caption = "确定";
    Button3->Default = true;
    Button3->ModalResult = mrOk;
    Button4 = Place<TButton>(this, this, 182, 246, 75, 25);
    Button4->Caption = "取消";
    Button4->Cancel = true;
    Button4->ModalResult = mrCancel;
    ListBox1->OnDblClick = [this](TObject *s) { ListBox1DblClick(s); };
    ListBox2->OnDblClick = [this](TObject *s) { ListBox2DblClick(s); };
    Button1->OnClick = [this](TObject *s) { ListBox2DblClick(s); };
    Button2->OnClick = [this](TObject *s) { ListBox1DblClick(s); };

    ListBox1->Items->Clear();
    ListBox2->Items->Clear();
    uint32_t mask[4];
    ReadNewsFilter(mask);
    int shown = 0, others = 0;
    for (int id = 1; id <= 100; ++id) {
        const std::string name = ReadNewsTypeName(id);
        if (name.empty())
            continue;
        if (NewsTypeEnabled(mask, id)) {
            ListBox1->Items->Add(name.c_str());
            SelectedIds[shown++] = uint8_t(id);
        } else {
            ListBox2->Items->Add(name.c_str());
            AvailableIds[others++] = uint8_t(id);
        }
    }
    if (shown)
        ListBox1->ItemIndex = 0;
    if (others)
        ListBox2->ItemIndex = 0;
}

void TSelNewsTypes::MoveLine(TListBox *from, uint8_t *fromIds, TListBox *to, uint8_t *toIds)
{
    const int count = from->Items->Count();
    if (count == 0)
        return;
    int i = from->ItemIndex;
    if (i < 0 || i >= count)
        i = 0;
    const int target = to->Items->Count();
    if (target < 100)
        toIds[target] = fromIds[i];
    to->Items->Add(from->Items->Strings(i));
    from->Items->Delete(i);
    std::memmove(fromIds + i, fromIds + i + 1, size_t(99 - i));
    fromIds[99] = 0;
    if (from->Items->Count() > 0)
        from->ItemIndex = i > 0 ? i - 1 : 0;
    Changed = 1;
}

void TSelNewsTypes::ListBox1DblClick(TObject *) { MoveLine(ListBox1, SelectedIds, ListBox2, AvailableIds); }

void TSelNewsTypes::ListBox2DblClick(TObject *) { MoveLine(ListBox2, AvailableIds, ListBox1, SelectedIds); }
