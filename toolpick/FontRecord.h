// One font of a theme as the settings tool keeps it (20 bytes: bold flag, face
// name of at most 14 bytes with its terminating zero, character height), its
// settings-file text and its conversions to and from the form library's font.
#pragma once

#include <cstdint>

#include "platform/gdi/TFont.h"
#include "platform/win/AnsiString.h"

struct FontEntry;

struct TFontRecord {
    int8_t Bold;   // 1 = bold
    char Face[15]; // GBK, zero-terminated
    int32_t Height; // character height in pixels
};
static_assert(sizeof(TFontRecord) == 20, "a theme font record is 20 bytes");

// The record of a font read by the settings loader; a face longer than the
// record's field is cut on a character boundary.
TFontRecord FontRecordOf(const FontEntry &entry);
// The record of a font chosen in the font dialog: its face (cut as above), its
// character height and bold when the styles are exactly bold or bold italic.
TFontRecord FontRecordOf(const win::TFont &font);
// Shows the record on a font: the face, the character height and bold or no style.
void ApplyFontRecord(win::TFont *font, const TFontRecord &record);
// The settings-file value "%d,%02d,%s": bold flag, height (at least two digits,
// a negative one keeps its sign) and face.
win::AnsiString FontRecordText(const TFontRecord &record);
