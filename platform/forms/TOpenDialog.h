// The open-file dialog: FileName, a Filter of "text|patterns|text|patterns"
// pairs (patterns separated by ';') with the 1-based FilterIndex, DefaultExt
// appended to a name given without extension, InitialDir and Options. On OK
// FileName is the chosen file's whole path (GBK, '/' separators) and the working
// folder becomes its folder, unless ofNoChangeDir.
#pragma once

#include "platform/forms/TCommonDialog.h"

namespace win {

enum TOpenOption {
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofPathMustExist,
    ofFileMustExist,
    ofEnableSizing
};
using TOpenOptions = TDialogOptions<TOpenOption>;

class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent *Owner);
    AnsiString ClassName() const override { return "TOpenDialog"; }

    bool Execute() override;

    AnsiString FileName;
    AnsiString Filter;
    int FilterIndex = 1;
    // Without the dot ("txt").
    AnsiString DefaultExt;
    // The folder the dialog starts in; empty: the folder of FileName, else the
    // working folder.
    AnsiString InitialDir;
    // ofHideReadOnly and ofEnableSizing (the preset) are what the dialog always
    // does: it has no read-only box and can be resized.
    TOpenOptions Options;

protected:
    // A save dialog asks for a name to write to; an open dialog for a file to read.
    virtual bool ForSaving() const { return false; }

private:
    // The chosen name: false when it is refused (a file that must exist and does
    // not, a folder that must exist and does not); else it becomes FileName and
    // the working folder follows it.
    bool Take(const AnsiString &name);
};

} // namespace win
