// Rich text (RTF) files of the rich edit: a writer of GBK lines in one font and
// colour, and a reader that takes the plain text out of rich text written by this
// writer or by other programs.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/AnsiString.h"
#include "platform/win/TStringList.h"
#include "platform/win/WinTypes.h"

namespace win {

// The one font the writer gives the whole text.
struct RtfFont {
    AnsiString Name;
    int Size = 0; // points; 0 or less leaves the size to the reader
    COLORREF Color = 0;
};

// Rich text holding `lines` (GBK), each ended as a paragraph: code page 936, a
// font table with the font as a GB2312 font, a colour table with its colour, and
// every byte of a non-ASCII character as a \'hh escape.
std::string WriteRtf(const TStringList &lines, const RtfFont &font);

// The text of rich text as GBK, paragraphs and line breaks ended by CRLF and tabs
// kept; formatting, pictures, tables of fonts, colours and styles and the other
// destinations are left out. Text in other code pages and \uN characters are
// converted (a character GBK lacks becomes '?'). False when `bytes` are not rich
// text (they do not start with "{\rtf"); damaged rich text gives what could be read.
bool ReadRtf(std::string_view bytes, std::string &text);

} // namespace win
