// The rich edit: a text viewer (read-only or editable) whose lines load from rich
// or plain text files and save as either, with a selection, copying to the
// clipboard, printing through the program's printer, and the page keys scrolling
// it like any edit (also when posted).
#pragma once

#include <memory>

#include "platform/forms/TMemo.h"
#include "platform/forms/TRichEditStrings.h"
#include "platform/forms/TWinControl.h"

namespace win {

class TRichEdit : public TWinControl {
public:
    explicit TRichEdit(TComponent *Owner);
    AnsiString ClassName() const override { return "TRichEdit"; }

    TRichEditStrings *const Lines;
    // Lines load and save as plain text instead of rich text.
    bool PlainText = false;

    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    TScrollStyle GetScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    // The text is the lines joined by CRLF; setting it splits it into lines.
    AnsiString GetCaption() const override;
    void SetCaption(AnsiString caption) override;
    // Selection in characters from the start of the text, a line break counting
    // as one.
    int GetSelStart();
    void SetSelStart(int start);
    int GetSelLength();
    void SetSelLength(int length);

    void Clear() { Lines->Clear(); }
    void SelectAll();
    // Puts the selected text (GBK, CRLF line ends) on the clipboard; nothing
    // happens without a selection.
    void CopyToClipboard();
    // Prints the whole text in the control's font, in black, wrapped to the page
    // within margins of a twentieth of it, as a job named `Caption`. False when
    // the job cannot be started (also while another is running) or completed.
    bool Print(const AnsiString &Caption);

    Property<TRichEdit, bool, &TRichEdit::GetReadOnly, &TRichEdit::SetReadOnly> ReadOnly{this};
    Property<TRichEdit, TScrollStyle, &TRichEdit::GetScrollBars, &TRichEdit::SetScrollBars> ScrollBars{this};
    Property<TRichEdit, int, &TRichEdit::GetSelStart, &TRichEdit::SetSelStart> SelStart{this};
    Property<TRichEdit, int, &TRichEdit::GetSelLength, &TRichEdit::SetSelLength> SelLength{this};
    TNotifyEvent OnChange;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;

private:
    void ShowLines();
    void Apply();

    std::unique_ptr<TRichEditStrings> lines_;
    bool readOnly_ = false;
    TScrollStyle scrollBars_ = ssNone;
    bool showing_ = false;
};

} // namespace win
