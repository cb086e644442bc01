// The label: a line of text (a '&' marks the accelerator and is not shown) in
// its Font, left, right or centre aligned, on its Color unless Transparent;
// with AutoSize it takes the size of its text.
#pragma once

#include "platform/forms/TControl.h"

namespace win {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TControl {
public:
    explicit TLabel(TComponent *Owner);
    AnsiString ClassName() const override { return "TLabel"; }

    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool GetAutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

    Property<TLabel, TAlignment, &TLabel::GetAlignment, &TLabel::SetAlignment> Alignment{this};
    Property<TLabel, bool, &TLabel::GetTransparent, &TLabel::SetTransparent> Transparent{this};
    Property<TLabel, bool, &TLabel::GetAutoSize, &TLabel::SetAutoSize> AutoSize{this};

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;
    void ApplyColor() override;
    void ApplyFont() override;

private:
    void Fit();

    TAlignment alignment_ = taLeftJustify;
    bool transparent_ = false;
    bool autoSize_ = true;
};

} // namespace win
