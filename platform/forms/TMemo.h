// The memo: lines of text (Lines, loaded from a file or set in code), read-only
// or editable, with scroll bars when asked.
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
    // A memo whose lines are of a kind of their own; `makeLines` gets the
    // function that shows changed lines.
    TMemo(TComponent *Owner, const std::function<std::unique_ptr<TControlItems>(std::function<void()>)> &makeLines);
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;
    // Passes ReadOnly and ScrollBars to the widget.
    virtual void Apply();

private:
    void ShowLines();

    std::unique_ptr<TControlItems> lines_;
    bool readOnly_ = false;
    TScrollStyle scrollBars_ = ssNone;
    bool showing_ = false;
};

} // namespace win
