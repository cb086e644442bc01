// A one-line edit box: text, maximum length, password character, read-only,
// and OnChange when the text changes.
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent *Owner);
    AnsiString ClassName() const override { return "TEdit"; }
    AnsiString GetCaption() const override;
    void SetMaxLength(int length);
    int GetMaxLength() const { return maxLength_; }
    void SetPasswordChar(char c);
    void SetReadOnly(bool readOnly);
    void SelectAll();

    Property<TEdit, int, &TEdit::GetMaxLength, &TEdit::SetMaxLength> MaxLength{this};
    TNotifyEvent OnChange;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;

private:
    int maxLength_ = 0;
    char passwordChar_ = 0;
    bool readOnly_ = false;
    bool applying_ = false;
};

} // namespace win
