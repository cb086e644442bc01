// The memo: lines of text (Lines, loaded from a file or set in code), read-only
// or editable, with a vertical scroll bar when asked.
#pragma once

#include <memory>

#include "platform/forms/ScrollStyle.h"
#include "platform/forms/TControlItems.h"
#include "platform/forms/TWinControl.h"

namespace win {

class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent *Owner);
    AnsiString ClassName() const override { return "TMemo"; }

    TControlItems *const Lines;

    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    TScrollStyle GetScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    // The text is the lines joined by CRLF; setting it splits it into lines.
    AnsiString GetCaption() const override;
    void SetCaption(AnsiString caption) override;

    Property<TMemo, bool, &TMemo::GetReadOnly, &TMemo::SetReadOnly> ReadOnly{this};
    Property<TMemo, TScrollStyle, &TMemo::GetScrollBars, &TMemo::SetScrollBars> ScrollBars{this};
    TNotifyEvent OnChange;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;

private:
    void ShowLines();
    void Apply();

    std::unique_ptr<TControlItems> lines_;
    bool readOnly_ = false;
    TScrollStyle scrollBars_ = ssNone;
    bool showing_ = false;
};

} // namespace win
