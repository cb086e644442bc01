// The rich edit: a text viewer (read-only or editable) whose lines load from rich
// or plain text files and save as either, with a selection, copying to the
// clipboard, printing through the program's printer, and the page keys scrolling
// it like any edit (also when posted).
#pragma once

#include "platform/forms/TMemo.h"
#include "platform/forms/TRichEditStrings.h"

namespace win {

class TRichEdit : public TMemo {
public:
    explicit TRichEdit(TComponent *Owner);
    AnsiString ClassName() const override { return "TRichEdit"; }

    // The memo's lines, which load and save rich text.
    TRichEditStrings *const Lines;
    // Lines load and save as plain text instead of rich text.
    bool PlainText = false;

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

    Property<TRichEdit, int, &TRichEdit::GetSelStart, &TRichEdit::SetSelStart> SelStart{this};
    Property<TRichEdit, int, &TRichEdit::GetSelLength, &TRichEdit::SetSelLength> SelLength{this};

protected:
    // A read-only rich edit keeps its caret: the keys move it and select.
    void Apply() override;
};

} // namespace win
