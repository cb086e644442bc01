// The base of the common dialogs (colour, font, open, save, print): a Title and
// Execute, true when the user accepted. For tests a recorder stands in for the
// person: dialogs are not shown, their answers come from a script, and what
// was shown is kept. Without the recorder and without a display a dialog is
// cancelled (the print dialog excepted, see TPrintDialog).
#pragma once

#include <optional>
#include <vector>

#include "platform/forms/TComponent.h"
#include "platform/gdi/GraphicsTypes.h"

namespace win {

// What the person answers to a dialog. Fields a dialog does not ask for are
// ignored; a file dialog takes fileName (and filterIndex when not 0, 1 being
// the first filter), a colour dialog color, a font dialog fontName (empty keeps
// the face), fontHeight (pixels, either sign; 0 keeps the height) and fontStyle.
struct DialogAnswer {
    bool accepted = false;
    AnsiString fileName{};
    TColor color = clBlack;
    AnsiString fontName{};
    int fontHeight = 0;
    TFontStyles fontStyle{};
    int filterIndex = 0;
};

// A dialog as the recorder saw it. `initial` is the file name a file dialog
// starts with, the colour of a colour dialog as "0x%06X" of its COLORREF, or the
// face of a font dialog; `filter` is a file dialog's filter as given.
struct ShownDialog {
    AnsiString className;
    AnsiString title;
    AnsiString initial;
    AnsiString filter;
};

// On: dialogs are no longer shown, the record and the script start empty. Off:
// dialogs are shown again.
void RecordDialogs(bool on);
// Answers for the next dialogs, in order; a dialog past the script is cancelled.
void ScriptDialogAnswers(std::vector<DialogAnswer> answers);
std::vector<ShownDialog> ShownDialogs();

// For the dialogs of the libraries: while the recorder is on, records `shown`
// and returns its scripted answer (cancelled past the script); else nothing.
std::optional<DialogAnswer> RecordedDialogAnswer(const ShownDialog &shown);
// True when a dialog can be put before a person: a widget application on a
// display (not the offscreen or minimal platform).
bool CanShowDialogs();

// A set of dialog options: `Options << ofFileMustExist`, `Options.Contains(...)`.
template <typename Option>
class TDialogOptions {
public:
    constexpr TDialogOptions() = default;
    constexpr TDialogOptions &operator<<(Option option)
    {
        bits_ |= 1u << option;
        return *this;
    }
    constexpr TDialogOptions &operator>>(Option option)
    {
        bits_ &= ~(1u << option);
        return *this;
    }
    constexpr bool Contains(Option option) const { return (bits_ & (1u << option)) != 0; }
    friend constexpr bool operator==(const TDialogOptions &a, const TDialogOptions &b) { return a.bits_ == b.bits_; }

private:
    unsigned bits_ = 0;
};

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent *Owner) : TComponent(Owner) {}
    AnsiString ClassName() const override { return "TCommonDialog"; }

    // Shows the dialog modally; true when the person accepted it, and the
    // dialog's values then hold the choice. Cancelled, the values stay as they were.
    virtual bool Execute() = 0;

    // The caption; empty gives the dialog's own.
    AnsiString Title;
};

} // namespace win
