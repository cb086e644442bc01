// The save-file dialog: the open-file dialog asking for a name to write to;
// ofOverwritePrompt asks before an existing file is chosen.
#pragma once

#include "platform/forms/TOpenDialog.h"

namespace win {

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent *Owner) : TOpenDialog(Owner) {}
    AnsiString ClassName() const override { return "TSaveDialog"; }

protected:
    bool ForSaving() const override { return true; }
};

} // namespace win
