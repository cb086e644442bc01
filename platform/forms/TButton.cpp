#include "platform/forms/TButton.h"

#include <QPushButton>

#include "platform/forms/TForm.h"
#include "platform/forms/WindowHost.h"

namespace win {

TButton::TButton(TComponent *Owner) : TWinControl(Owner) { SetBounds(0, 0, 75, 25); }

QWidget *TButton::CreateWidget(QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, [this] { Click(); });
    return b;
}

void TButton::ApplyCaption()
{
    std::string text = caption_.c_str();
    static_cast<QPushButton *>(Widget())->setText(QtText(text));
}

void TButton::Click()
{
    if (ModalResult != mrNone)
        if (auto *form = dynamic_cast<TForm *>(RootForm()))
            form->SetModalResult(ModalResult);
    TWinControl::Click();
}

bool TButton::AcceptDialogKey(WORD key, bool focused)
{
    if ((key == VK_RETURN && (Default || focused)) || (key == VK_ESCAPE && Cancel)) {
        Click();
        return true;
    }
    return false;
}

} // namespace win
