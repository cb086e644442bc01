#include "lumon/views/TTextLineDlg.h"

#include <cstring>

#include "lumon/core/EMemOp.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/views/TLine.h"
#include "platform/forms/FormBuilding.h"

using namespace win;

TTextLineDlg *TextLineDlg;

namespace {

// The longest text a line keeps, in bytes.
constexpr int MaxLineText = 255;

} // namespace

TTextLineDlg::TTextLineDlg(char **text, SIZE *extent) : TForm(nullptr), m_Text(text), m_Extent(extent)
{
    SetUpDialog(*this, "请输入文字", 242, 82);
    Edit1 = Place<TEdit>(this, this, 10, 14, 221, 21);
    Button1 = Place<TButton>(this, this, 40, 48, 75, 25);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2 = Place<TButton>(this, this, 127, 48, 75, 25);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button3 = Place<TButton>(this, this, 160, 48, 75, 25);
    Button3->Caption = "字体...";
    Button3->Visible = false;
    TextLineDlg = this;
}

TTextLineDlg::~TTextLineDlg()
{
    TextLineDlg = nullptr;
}

void TTextLineDlg::Button1Click(TObject *)
{
    AnsiString typed = Edit1->Text;
    const char *s = typed.c_str();
    int length = int(std::strlen(s));
    if (length == 0) {
        ModalResult = mrCancel;
        return;
    }
    // At most 255 bytes, never half of a double-byte character.
    length = GbkCutLength(s, length, MaxLineText);
    auto *block = static_cast<char *>(EMemAlloc(MaxLineText + 1));
    if (!block) {
        ModalResult = mrCancel;
        return;
    }
    std::memcpy(block, s, size_t(length));
    EMemFree(*m_Text);
    *m_Text = block;
    *m_Extent = MeasureLineText(block);
    ModalResult = mrOk;
}
