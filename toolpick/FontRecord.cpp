#include "toolpick/FontRecord.h"

#include <cstring>

#include "lumon/core/UtilData.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

void SetFace(TFontRecord &record, const char *face)
{
    std::memset(record.Face, 0, sizeof record.Face);
    GbkCopyToField(record.Face, sizeof record.Face - 1, face);
}

} // namespace

TFontRecord FontRecordOf(const FontEntry &entry)
{
    TFontRecord record{};
    record.Bold = int8_t(entry.Style);
    char face[sizeof entry.Face + 1] = {};
    std::memcpy(face, entry.Face, sizeof entry.Face);
    SetFace(record, face);
    record.Height = entry.Size;
    return record;
}

TFontRecord FontRecordOf(const TFont &font)
{
    TFontRecord record{};
    TFontStyles bold = TFontStyles() << fsBold;
    TFontStyles boldItalic = TFontStyles() << fsBold << fsItalic;
    record.Bold = font.Style == bold || font.Style == boldItalic ? 1 : 0;
    SetFace(record, font.Name.c_str());
    record.Height = -font.Height;
    return record;
}

void ApplyFontRecord(TFont *font, const TFontRecord &record)
{
    font->Style = record.Bold == 1 ? TFontStyles() << fsBold : TFontStyles();
    font->Name = AnsiString(record.Face, int(strnlen(record.Face, sizeof record.Face)));
    font->Height = -record.Height;
}

AnsiString FontRecordText(const TFontRecord &record)
{
    AnsiString text;
    text.sprintf("%d,%02d,%.*s", int(record.Bold), int(record.Height), int(sizeof record.Face), record.Face);
    return text;
}
