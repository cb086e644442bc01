// The lines of a rich edit: the control's strings, loaded from and saved to files
// as rich text or as plain lines, as the control's PlainText says.
#pragma once

#include <functional>

#include "platform/forms/TControlItems.h"

namespace win {

class TRichEdit;

class TRichEditStrings : public TControlItems {
public:
    TRichEditStrings(TRichEdit *owner, std::function<void()> changed)
        : TControlItems(std::move(changed)), owner_(owner)
    {
    }

    // Reads the file as rich text, or as plain lines when it is not rich text or
    // the control's PlainText is set. False, with the lines unchanged and the
    // reason as the last error, when the file cannot be read.
    bool LoadFromFile(const AnsiString &fileName);
    // Writes the lines as rich text in the control's font and font colour, or as
    // CRLF-ended lines when PlainText is set; the file is replaced as a whole.
    // False when it cannot be written.
    bool SaveToFile(const AnsiString &fileName) const;

private:
    TRichEdit *owner_;
};

} // namespace win
