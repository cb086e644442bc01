#include "platform/gdi/TFont.h"

#include <cmath>
#include <cstring>

#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

namespace win {

namespace {

// a × b / c rounded to the nearest integer, as Windows' MulDiv.
int MulDivRound(int a, int b, int c)
{
    return c == 0 ? 0 : int(std::lround(double(a) * b / c));
}

} // namespace

TFont::TFont() : Name("宋体") {}

TFont::~TFont()
{
    if (handle_)
        DeleteObject(handle_);
}

void TFont::Assign(const TFont &other)
{
    Name = other.Name;
    Color = other.Color;
    Style = other.Style;
    Charset = other.Charset;
    Pitch = other.Pitch;
    if (PixelsPerInch == other.PixelsPerInch)
        Height = other.Height;
    else
        SetSize(other.GetSize());
}

int TFont::GetSize() const
{
    return -MulDivRound(Height, 72, PixelsPerInch);
}

void TFont::SetSize(int points)
{
    Height = -MulDivRound(points, PixelsPerInch, 72);
}

HFONT TFont::GetHandle()
{
    LOGFONTA lf{};
    lf.lfHeight = Height;
    lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Style.Contains(fsItalic);
    lf.lfUnderline = Style.Contains(fsUnderline);
    lf.lfStrikeOut = Style.Contains(fsStrikeOut);
    lf.lfCharSet = Charset;
    lf.lfPitchAndFamily = Pitch == fpFixed      ? FIXED_PITCH
                          : Pitch == fpVariable ? VARIABLE_PITCH
                                                : DEFAULT_PITCH;
    GbkCopyToField(lf.lfFaceName, LF_FACESIZE - 1, std::string_view(Name.c_str(), size_t(Name.Length())));
    if (!handle_ || std::memcmp(&lf, &made_, sizeof lf) != 0) {
        if (handle_)
            DeleteObject(handle_);
        handle_ = CreateFontIndirectA(&lf);
        made_ = lf;
    }
    return handle_;
}

} // namespace win
