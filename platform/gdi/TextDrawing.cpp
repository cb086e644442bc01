// Text on device contexts: GBK text converted and drawn with the selected font,
// measured with integer advances, and laid out in rectangles by DrawTextA. Text
// ignores the mix mode; in opaque mode its cells are filled with the background
// colour first.
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Painting.h"
#include "platform/win/Text.h"

namespace win {

namespace {

using Font = GdiFont::Realized;

// GBK text for Qt. ASCII is the same in both; other texts are converted once and
// kept a while, as painters draw the same names over and over.
QString ToQt(std::string_view gbk)
{
    bool ascii = true;
    for (char c : gbk) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(gbk.data(), qsizetype(gbk.size()));
    constexpr size_t kKept = 1024;
    constexpr size_t kLongest = 256;
    if (gbk.size() > kLongest)
        return QString::fromStdU16String(GbkToUtf16(gbk));
    thread_local std::unordered_map<std::string, QString> converted;
    auto found = converted.find(std::string(gbk));
    if (found != converted.end())
        return found->second;
    if (converted.size() >= kKept)
        converted.clear();
    QString text = QString::fromStdU16String(GbkToUtf16(gbk));
    converted.emplace(std::string(gbk), text);
    return text;
}

const Font *FontOf(DeviceContext &dc)
{
    const Font *font = dc.font ? dc.font->Realize() : nullptr;
    if (!font)
        SetLastError(ERROR_NOT_SUPPORTED);
    return font;
}

int Advance(const Font &font, const QString &text)
{
    return font.metrics.horizontalAdvance(text);
}

std::string Quoted(std::string_view text)
{
    std::string quoted(1, '"');
    quoted.append(text);
    quoted += '"';
    return quoted;
}

std::string RectText(const RECT &r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// An upper bound of the width `text` takes, from the font's ASCII advances
// (kerning is off, so a text is no wider than its characters) and the widest
// character for the rest; for the area reported as changed where the exact width
// is not needed otherwise.
int WidthBound(const Font &font, const QString &text)
{
    long long width = 0;
    for (QChar c : text) {
        char16_t u = c.unicode();
        width += (u < 128 ? font.asciiAdvance[u] : font.wideAdvance) + 1;
    }
    return int(std::min<long long>(width, kCoordinateLimit));
}

// The context's text painter (kept by the context, see TextSurface), on its
// current image, clipped to the context's clip region and, when given, to `box`,
// with the context's font and text colour.
class TextPainter {
public:
    TextPainter(Painting &p, const Font &font, const QRect *box) : p_(p), font_(font), painter_(Prepare(box)) {}

    // Draws a run with its cell's top-left corner at (x, y); `width` is the
    // run's advance. Unmeasured, the run's background is not filled and the area
    // reported changed is an upper bound of the run.
    void Run(int x, int y, const QString &text, int width, bool measured = true)
    {
        int height = font_.height;
        if (!measured) {
            painter_.drawText(QPoint(x, y + font_.ascent), text);
            p_.Touch(QRect(x, y, WidthBound(font_, text), height));
            return;
        }
        QRect cell(x, y, width, height);
        if (p_.Dc().bkMode == OPAQUE)
            painter_.fillRect(cell, QColor::fromRgb(p_.Pixel(p_.Dc().bkColor)));
        painter_.drawText(QPoint(x, y + font_.ascent), text);
        p_.Touch(cell);
    }

    void Fill(const QRect &rect, COLORREF color)
    {
        painter_.fillRect(rect, QColor::fromRgb(p_.Pixel(color)));
        p_.Touch(rect);
    }

private:
    QPainter &Prepare(const QRect *box)
    {
        DeviceContext &dc = p_.Dc();
        QImage *target = dc.Target();
        auto &s = dc.textSurface;
        if (!s)
            s = std::make_unique<TextSurface>();
        // The painter draws on the target's pixels as long as they stay where
        // they are and keep their layout.
        if (!s->painter.isActive() || s->view.constBits() != target->constBits() ||
            s->view.size() != target->size() || s->view.bytesPerLine() != target->bytesPerLine() ||
            s->view.format() != target->format() || s->view.dotsPerMeterX() != target->dotsPerMeterX() ||
            s->view.dotsPerMeterY() != target->dotsPerMeterY()) {
            if (s->painter.isActive())
                s->painter.end();
            s->view = QImage(target->bits(), target->width(), target->height(), target->bytesPerLine(),
                             target->format());
            s->view.setDotsPerMeterX(target->dotsPerMeterX());
            s->view.setDotsPerMeterY(target->dotsPerMeterY());
            s->painter.begin(&s->view);
            s->painter.setRenderHint(QPainter::TextAntialiasing, false);
            s->painter.setRenderHint(QPainter::Antialiasing, false);
            s->font.reset();
            s->penSet = false;
            s->clipSet = false;
        }
        QPainter &painter = s->painter;
        if (!s->clipSet || s->clipVersion != dc.ClipVersion() || s->boxed != (box != nullptr) ||
            (box && s->box != *box)) {
            QRegion clip = dc.ClipRegion();
            if (box)
                clip &= *box;
            painter.setClipRegion(clip);
            s->clipSet = true;
            s->clipVersion = dc.ClipVersion();
            s->boxed = box != nullptr;
            s->box = box ? *box : QRect();
        }
        // Fonts of one description share their realization: a painter that
        // makes its font anew for each text keeps the painter's font. The kept
        // font holds its realization, whose address is thus not reused.
        if (!s->font || (s->font != dc.font && s->font->Realize() != &font_)) {
            painter.setFont(font_.font);
            s->font = dc.font;
        }
        QRgb pen = p_.Pixel(dc.textColor);
        if (!s->penSet || s->pen != pen) {
            painter.setPen(QColor::fromRgb(pen));
            s->pen = pen;
            s->penSet = true;
        }
        return painter;
    }

    Painting &p_;
    const Font &font_;
    QPainter &painter_;
};

} // namespace

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT length,
                 const INT *dx)
{
    Painting p(hdc);
    if (!p.Known() || (!text && length > 0))
        return FALSE;
    DeviceContext &dc = p.Dc();
    std::string_view bytes(text ? text : "", text ? length : 0);
    if (length > 0x7FFFFFFFu)
        return FALSE;
    dc.Log([&] {
        return std::string("ExtTextOutA(" + std::to_string(x) + "," + std::to_string(y) + "," +
                           std::to_string(options) + "," + (rect ? RectText(*rect) : std::string("null")) +
                           "," + Quoted(bytes) + ")");
    });
    const Font *font = FontOf(dc);
    if (!font)
        return FALSE;
    if (!p.Drawable())
        return TRUE;
    x = ClampCoordinate(x);
    y = ClampCoordinate(y);
    QRect box;
    if (rect)
        box = QRect(QPoint(ClampCoordinate(rect->left), ClampCoordinate(rect->top)),
                    QPoint(ClampCoordinate((long long)rect->right - 1),
                           ClampCoordinate((long long)rect->bottom - 1)));
    TextPainter painter(p, *font, rect && (options & ETO_CLIPPED) ? &box : nullptr);
    if (rect && (options & ETO_OPAQUE))
        painter.Fill(box, dc.bkColor);

    // Characters with their advances (the font's own, or the caller's).
    std::vector<QString> pieces;
    std::vector<int> advances;
    bool measured = true;
    if (dx) {
        for (size_t i = 0; i < bytes.size();) {
            size_t n = GbkCharLength(bytes.data() + i, bytes.size() - i);
            int advance = 0;
            for (size_t k = 0; k < n; ++k)
                advance += dx[i + k];
            pieces.push_back(ToQt(bytes.substr(i, n)));
            advances.push_back(advance);
            i += n;
        }
    } else {
        pieces.push_back(ToQt(bytes));
        // The width is measured when the background is filled or the text is
        // aligned by it; otherwise laying the text out once to draw it is enough.
        measured = dc.bkMode == OPAQUE || (dc.textAlign & (TA_CENTER | TA_RIGHT)) != 0;
        advances.push_back(measured ? Advance(*font, pieces.back()) : 0);
    }
    int width = 0;
    for (int a : advances)
        width += a;
    int height = font->height;
    if ((dc.textAlign & TA_CENTER) == TA_CENTER)
        x -= width / 2;
    else if (dc.textAlign & TA_RIGHT)
        x -= width;
    if ((dc.textAlign & TA_BASELINE) == TA_BASELINE)
        y -= font->ascent;
    else if (dc.textAlign & TA_BOTTOM)
        y -= height;
    for (size_t i = 0; i < pieces.size(); ++i) {
        painter.Run(x, y, pieces[i], advances[i], measured);
        x += advances[i];
    }
    return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length)
{
    if (length < 0)
        return FALSE;
    auto dc = FindDC(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Logged as TextOutA rather than as the ExtTextOutA it becomes.
    auto log = std::move(dc->log);
    if (log)
        log->push_back("TextOutA(" + std::to_string(x) + "," + std::to_string(y) + "," +
                       Quoted(std::string_view(text ? text : "", text ? size_t(length) : 0)) + ")");
    BOOL ok = ExtTextOutA(hdc, x, y, 0, nullptr, text, UINT(length), nullptr);
    dc->log = std::move(log);
    return ok;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, SIZE *size)
{
    auto dc = FindDC(hdc);
    if (!dc || !size || length < 0 || (!text && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Font *font = FontOf(*dc);
    if (!font)
        return FALSE;
    size->cx = Advance(*font, ToQt(std::string_view(text ? text : "", size_t(length))));
    size->cy = font->metrics.height();
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA *tm)
{
    auto dc = FindDC(hdc);
    if (!dc || !tm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Font *font = FontOf(*dc);
    if (!font)
        return FALSE;
    const LOGFONTA &lf = dc->font->logFont;
    const QFontMetrics &m = font->metrics;
    *tm = TEXTMETRICA{};
    tm->tmHeight = m.height();
    tm->tmAscent = m.ascent();
    tm->tmDescent = m.descent();
    tm->tmInternalLeading = std::max(0, m.height() - font->font.pixelSize());
    tm->tmExternalLeading = std::max(0, m.leading());
    tm->tmAveCharWidth = font->aveCharWidth;
    tm->tmMaxCharWidth = m.maxWidth();
    tm->tmWeight = lf.lfWeight > 0 ? lf.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = dc->resolution;
    tm->tmDigitizedAspectY = dc->resolution;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = 0x20;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = lf.lfItalic;
    tm->tmUnderlined = lf.lfUnderline;
    tm->tmStruckOut = lf.lfStrikeOut;
    // As on Windows, the low bit set means a variable pitch.
    tm->tmPitchAndFamily = BYTE((lf.lfPitchAndFamily & 0xF0) | (font->font.fixedPitch() ? 0 : 1) | 0x04);
    tm->tmCharSet = lf.lfCharSet == DEFAULT_CHARSET ? GB2312_CHARSET : lf.lfCharSet;
    return TRUE;
}

namespace {

bool IsBreakChar(QChar c)
{
    return c == QLatin1Char(' ');
}
// Text may also break before and after a CJK character.
bool IsWide(QChar c)
{
    return c.unicode() >= 0x2E80;
}

// Splits a paragraph into lines no wider than `width`, at blanks and around CJK
// characters; a word wider than a line is broken between characters unless
// `keepWords` (an ellipsis will shorten it instead).
std::vector<QString> WrapParagraph(const Font &font, const QString &text, int width, bool keepWords)
{
    // Pieces: a word with its trailing blanks, or one CJK character.
    std::vector<QString> pieces;
    QString current;
    for (int i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (IsWide(c)) {
            if (!current.isEmpty())
                pieces.push_back(current);
            current.clear();
            QString one(c);
            if (c.isHighSurrogate() && i + 1 < text.size())
                one += text[++i];
            pieces.push_back(one);
            continue;
        }
        if (!IsBreakChar(c) && !current.isEmpty() && IsBreakChar(current.back())) {
            pieces.push_back(current);
            current.clear();
        }
        current += c;
    }
    if (!current.isEmpty())
        pieces.push_back(current);

    std::vector<QString> lines;
    QString line;
    // Blanks at the end of a line take no room.
    auto fits = [&](QString s) {
        while (!s.isEmpty() && s.back() == QLatin1Char(' '))
            s.chop(1);
        return Advance(font, s) <= width;
    };
    for (const QString &piece : pieces) {
        if (fits(line + piece)) {
            line += piece;
            continue;
        }
        if (!line.isEmpty()) {
            lines.push_back(line);
            line.clear();
        }
        if (fits(piece) || keepWords) {
            line = piece;
            continue;
        }
        for (int i = 0; i < piece.size(); ++i) {
            QString next = line + piece[i];
            if (!line.isEmpty() && !fits(next)) {
                lines.push_back(line);
                line.clear();
            }
            line += piece[i];
        }
    }
    if (!line.isEmpty() || lines.empty())
        lines.push_back(line);
    for (QString &l : lines) {
        while (l.size() > 1 && l.endsWith(QLatin1Char(' ')))
            l.chop(1);
    }
    return lines;
}

// Cuts `text` to `width` with "..." at the end, after a whole word
// (DT_WORD_ELLIPSIS), or in the middle keeping the last path component
// (DT_PATH_ELLIPSIS).
QString Ellipsize(const Font &font, const QString &text, int width, UINT format)
{
    if (Advance(font, text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    auto cutEnd = [&](const QString &s) {
        for (int n = s.size() - 1; n > 0; --n) {
            if (s[n - 1].isHighSurrogate())
                continue;
            QString candidate = s.left(n) + dots;
            if (Advance(font, candidate) <= width)
                return candidate;
        }
        return dots;
    };
    if (format & DT_PATH_ELLIPSIS) {
        int slash = std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
        if (slash >= 0) {
            QString tail = text.mid(slash);
            for (int n = slash; n >= 0; --n) {
                if (n > 0 && text[n - 1].isHighSurrogate())
                    continue;
                QString candidate = text.left(n) + dots + tail;
                if (Advance(font, candidate) <= width)
                    return candidate;
            }
            return cutEnd(dots + tail);
        }
    }
    if (format & DT_WORD_ELLIPSIS) {
        for (int n = text.lastIndexOf(QLatin1Char(' ')); n > 0;
             n = text.lastIndexOf(QLatin1Char(' '), n - 1)) {
            QString candidate = text.left(n) + dots;
            if (Advance(font, candidate) <= width)
                return candidate;
        }
    }
    return cutEnd(text);
}

struct Prefixed {
    QString text;
    // Index of the character marked by '&', or -1.
    int mnemonic = -1;
};

// Removes the '&' marks: "&&" shows one '&', "&x" underlines x.
Prefixed StripPrefixes(const QString &text)
{
    Prefixed out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] != QLatin1Char('&'))
                out.mnemonic = int(out.text.size());
        } else if (text[i] == QLatin1Char('&')) {
            continue;
        }
        out.text += text[i];
    }
    return out;
}

} // namespace

int DrawTextA(HDC hdc, LPCSTR text, int length, RECT *rect, UINT format)
{
    Painting p(hdc);
    if (!p.Known() || !rect || (!text && length != 0))
        return 0;
    DeviceContext &dc = p.Dc();
    std::string_view bytes(text ? text : "", text ? (length < 0 ? std::strlen(text) : size_t(length)) : 0);
    char formatText[16];
    std::snprintf(formatText, sizeof formatText, "0x%X", format);
    dc.Log([&] {
        return std::string("DrawTextA(" + Quoted(bytes) + "," + RectText(*rect) + "," + formatText + ")");
    });
    const Font *font = FontOf(dc);
    if (!font)
        return 0;
    RECT *given = rect;
    RECT clamped{ClampCoordinate(rect->left), ClampCoordinate(rect->top), ClampCoordinate(rect->right),
                 ClampCoordinate(rect->bottom)};
    rect = &clamped;

    QString all = ToQt(bytes);
    int mnemonic = -1;
    if (!(format & DT_NOPREFIX)) {
        Prefixed stripped = StripPrefixes(all);
        all = stripped.text;
        mnemonic = stripped.mnemonic;
    }
    int width = rect->right - rect->left;
    UINT ellipsis = format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);

    // Lines, each with the index of its first character in `all`.
    std::vector<QString> lines;
    std::vector<int> starts;
    if (format & DT_SINGLELINE) {
        lines.push_back(all);
        starts.push_back(0);
    } else {
        int start = 0;
        for (int i = 0; i <= all.size(); ++i) {
            if (i < all.size() && all[i] != QLatin1Char('\r') && all[i] != QLatin1Char('\n'))
                continue;
            QString paragraph = all.mid(start, i - start);
            if (format & DT_WORDBREAK) {
                int offset = start;
                for (const QString &l : WrapParagraph(*font, paragraph, width, ellipsis != 0)) {
                    int at = int(all.indexOf(l.isEmpty() ? QString() : l, offset));
                    lines.push_back(l);
                    starts.push_back(at < 0 ? offset : at);
                    offset = at < 0 ? offset : at + int(l.size());
                }
            } else {
                lines.push_back(paragraph);
                starts.push_back(start);
            }
            if (i < all.size() && all[i] == QLatin1Char('\r') && i + 1 < all.size() &&
                all[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    std::vector<int> widths;
    for (QString &l : lines) {
        if (ellipsis)
            l = Ellipsize(*font, l, width, ellipsis);
        widths.push_back(Advance(*font, l));
    }
    int lineHeight = font->metrics.height();
    int total = lineHeight * int(lines.size());

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (int w : widths)
            widest = std::max(widest, w);
        given->left = rect->left;
        given->top = rect->top;
        given->right = rect->left + widest;
        given->bottom = rect->top + total;
        return total;
    }

    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lineHeight;
    }
    int result =
        (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? y - rect->top + total : total;
    if (!p.Drawable())
        return result;

    QRect box(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    TextPainter painter(p, *font, (format & DT_NOCLIP) ? nullptr : &box);
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (width - widths[i]) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - widths[i];
        painter.Run(x, y, lines[i], widths[i]);
        int at = mnemonic - starts[i];
        if (mnemonic >= 0 && at >= 0 && at < lines[i].size() &&
            lines[i] == all.mid(starts[i], lines[i].size())) {
            int ux = x + Advance(*font, lines[i].left(at));
            int uw = Advance(*font, lines[i].mid(at, 1));
            painter.Fill(QRect(ux, y + font->metrics.ascent() + 1, uw, 1), dc.textColor);
        }
        y += lineHeight;
    }
    return result;
}

} // namespace win
