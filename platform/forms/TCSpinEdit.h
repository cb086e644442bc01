// The spin edit: an integer Value stepped by Increment and kept within
// MinValue..MaxValue (no limit while the two are equal); OnChange follows every
// new value. With EditorEnabled off the number cannot be typed, only stepped by
// the arrows (buttons and keys).
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TCSpinEdit : public TWinControl {
public:
    explicit TCSpinEdit(TComponent *Owner);
    AnsiString ClassName() const override { return "TCSpinEdit"; }

    int GetValue() const { return value_; }
    void SetValue(int value);
    int GetMinValue() const { return minValue_; }
    void SetMinValue(int value);
    int GetMaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    int GetIncrement() const { return increment_; }
    void SetIncrement(int value);
    bool GetEditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value);

    Property<TCSpinEdit, int, &TCSpinEdit::GetValue, &TCSpinEdit::SetValue> Value{this};
    Property<TCSpinEdit, int, &TCSpinEdit::GetMinValue, &TCSpinEdit::SetMinValue> MinValue{this};
    Property<TCSpinEdit, int, &TCSpinEdit::GetMaxValue, &TCSpinEdit::SetMaxValue> MaxValue{this};
    Property<TCSpinEdit, int, &TCSpinEdit::GetIncrement, &TCSpinEdit::SetIncrement> Increment{this};
    Property<TCSpinEdit, bool, &TCSpinEdit::GetEditorEnabled, &TCSpinEdit::SetEditorEnabled> EditorEnabled{this};
    TNotifyEvent OnChange;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;

private:
    int Checked(int value) const;
    void Apply();

    int value_ = 0;
    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    bool editorEnabled_ = true;
    bool applying_ = false;
};

} // namespace win
