// Fonts and text: the faces the programs name resolve to installed fonts, GBK text
// is drawn where it is measured, and DrawTextA places, clips and shortens text.
#include <QFontInfo>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GdiFixture.h"

namespace win {
namespace {

HFONT Font(int height, const char *face, int weight = FW_NORMAL)
{
    return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// The bounding box of the pixels that differ from `background`; empty when none.
QRect Ink(const QImage &image, uint32_t background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

class TextTest : public GdiTest {
protected:
    HDC TextDC(int width, int height, HFONT font)
    {
        HDC dc = NewImageDC(width, height);
        SelectObject(dc, font);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        return dc;
    }
    SIZE Extent(HDC dc, const char *text)
    {
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size));
        return size;
    }
};

TEST_F(TextTest, ChineseFacesResolveToTheCjkFontAndLatinFacesToDejaVu)
{
    struct Case {
        const char *face;
        const char *family;
    } cases[] = {{"黑体", "WenQuanYi Micro Hei"},
                 {"宋体", "WenQuanYi Micro Hei"},
                 {"Tahoma", "DejaVu Sans"},
                 {"Verdana", "DejaVu Sans"}};
    for (const Case &c : cases) {
        HFONT font = Font(-16, c.face);
        EXPECT_EQ(QFontInfo(QFontOf(font)).family().toStdString(), c.family)
            << "face " << c.face << "; is the fontconfig alias file of tools/fontconfig installed?";
        DeleteObject(font);
    }
}

TEST_F(TextTest, GbkTextLeavesInkInsideItsMeasuredBoxOnly)
{
    for (const char *face : {"黑体", "宋体", "Tahoma"}) {
        SCOPED_TRACE(face);
        HFONT font = Font(-16, face, FW_BOLD);
        HDC dc = TextDC(200, 60, font);
        const char *text = "报价Ag中文(8)";
        SIZE size = Extent(dc, text);
        ASSERT_GT(size.cx, 60);
        ASSERT_GE(size.cy, 16);
        ASSERT_TRUE(TextOutA(dc, 20, 10, text, int(std::strlen(text))));
        QRect ink = Ink(Image(), 0);
        ASSERT_FALSE(ink.isEmpty());
        QRect box(20, 10, size.cx, size.cy);
        EXPECT_TRUE(box.adjusted(-1, -1, 1, 1).contains(ink))
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        // The ink fills the box's width, so the measure is not generous either.
        EXPECT_LE(ink.left(), box.left() + 2);
        EXPECT_GE(ink.right(), box.right() - 3);
        DeleteDC(dc);
        dc_ = 0;
        DeleteObject(font);
    }
}

TEST_F(TextTest, FontHeightsFollowTheWindowsSigns)
{
    HDC dc = NewImageDC(10, 10);
    TEXTMETRICA tm{};
    HFONT character = Font(-20, "宋体");
    SelectObject(dc, character);
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(Extent(dc, "x").cy, tm.tmHeight);
    EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
    HFONT cell = Font(20, "宋体");
    SelectObject(dc, cell);
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_LE(tm.tmHeight, 20);
    EXPECT_GE(tm.tmHeight, 18);
    // An explicit width narrows the characters.
    HFONT narrow = CreateFontA(-20, 5, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    SelectObject(dc, narrow);
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_NEAR(tm.tmAveCharWidth, 5, 1);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(character);
    DeleteObject(cell);
    DeleteObject(narrow);
}

TEST_F(TextTest, OpaqueTextFillsItsCellsWithTheBackgroundColour)
{
    HFONT font = Font(-12, "宋体");
    HDC dc = TextDC(80, 30, font);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 255));
    SIZE size = Extent(dc, "  12");
    TextOutA(dc, 5, 5, "  12", 4);
    EXPECT_EQ(Ink(Image(), 0), QRect(5, 5, size.cx, size.cy));
    EXPECT_EQ(At(5, 5), 0x0000FFu);
    DeleteObject(font);
}

TEST_F(TextTest, DrawTextPlacesSingleLinesInTheRectangle)
{
    HFONT font = Font(-14, "黑体");
    const char *text = "涨幅 12";
    struct Case {
        UINT format;
        const char *name;
    } cases[] = {{DT_LEFT | DT_TOP | DT_SINGLELINE, "left top"},
                 {DT_CENTER | DT_VCENTER | DT_SINGLELINE, "centred"},
                 {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, "right bottom"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HDC dc = TextDC(140, 60, font);
        SIZE size = Extent(dc, text);
        RECT r{10, 5, 130, 55};
        int height = DrawTextA(dc, text, -1, &r, c.format);
        int x = r.left, y = r.top;
        if (c.format & DT_CENTER)
            x = r.left + (r.right - r.left - size.cx) / 2;
        if (c.format & DT_RIGHT)
            x = r.right - size.cx;
        if (c.format & DT_VCENTER)
            y = r.top + (r.bottom - r.top - size.cy) / 2;
        if (c.format & DT_BOTTOM)
            y = r.bottom - size.cy;
        EXPECT_EQ(height, (c.format & (DT_VCENTER | DT_BOTTOM)) ? y - r.top + size.cy : size.cy);
        QRect ink = Ink(Image(), 0);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(QRect(x, y, size.cx, size.cy).adjusted(-1, -1, 1, 1).contains(ink));
        EXPECT_LE(ink.left(), x + 2);
        EXPECT_GE(ink.right(), x + size.cx - 3);
        DeleteDC(dc);
        dc_ = 0;
    }
    DeleteObject(font);
}

TEST_F(TextTest, EndEllipsisShortensALineToTheRectangle)
{
    HFONT font = Font(-14, "宋体");
    const char *text = "上证指数 3288.15 成交金额";
    HDC dc = TextDC(200, 30, font);
    RECT r{0, 0, 90, 20};
    DrawTextA(dc, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    QImage shortened = Image().copy();

    // The longest start of the text (whole characters) that fits with "...".
    std::string best;
    std::string start;
    for (size_t i = 0; text[i];) {
        size_t n = (static_cast<unsigned char>(text[i]) >= 0x81) ? 2 : 1;
        start.append(text + i, n);
        i += n;
        SIZE size = Extent(dc, (start + "...").c_str());
        if (size.cx <= 90)
            best = start + "...";
    }
    ASSERT_FALSE(best.empty());
    Image().fill(0xFF000000u);
    RECT wide{0, 0, 200, 20};
    DrawTextA(dc, best.c_str(), -1, &wide, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(shortened, Image()) << "expected " << best;
    EXPECT_LT(Ink(shortened, 0).right(), 90);
    DeleteObject(font);
}

TEST_F(TextTest, DrawTextMeasuresWrapsAndHandlesPrefixes)
{
    HFONT font = Font(-12, "宋体");
    HDC dc = TextDC(100, 100, font);
    SIZE one = Extent(dc, "File");
    RECT r{5, 5, 5, 5};
    EXPECT_EQ(DrawTextA(dc, "&File", -1, &r, DT_SINGLELINE | DT_CALCRECT), one.cy);
    EXPECT_EQ(r.right - r.left, one.cx);
    RECT raw{5, 5, 5, 5};
    DrawTextA(dc, "&File", -1, &raw, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(raw.right - raw.left, Extent(dc, "&File").cx);

    // Words move to the next line; Chinese text breaks between characters.
    SIZE word = Extent(dc, "gamma");
    ASSERT_GT(Extent(dc, "beta gamma").cx, word.cx + 2);
    RECT wrap{0, 0, word.cx + 2, 0};
    EXPECT_EQ(DrawTextA(dc, "alpha beta gamma", -1, &wrap, DT_WORDBREAK | DT_CALCRECT), 3 * one.cy);
    EXPECT_EQ(wrap.right, word.cx);
    SIZE han = Extent(dc, "报价报价");
    RECT cjk{0, 0, han.cx, 0};
    EXPECT_EQ(DrawTextA(dc, "报价报价报价报价", -1, &cjk, DT_WORDBREAK | DT_CALCRECT), 2 * one.cy);
    // Lines end at line breaks without word breaking too.
    RECT lines{0, 0, 100, 0};
    EXPECT_EQ(DrawTextA(dc, "a\r\nb\nc", -1, &lines, DT_CALCRECT), 3 * one.cy);
    DeleteObject(font);
}

TEST_F(TextTest, ClippedTextStaysInsideItsRectangle)
{
    HFONT font = Font(-16, "黑体");
    HDC dc = TextDC(120, 40, font);
    RECT r{10, 10, 40, 30};
    DrawTextA(dc, "很长的一行文字", -1, &r, DT_LEFT | DT_SINGLELINE);
    QRect ink = Ink(Image(), 0);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(10, 10, 30, 20).contains(ink));
    Image().fill(0xFF000000u);
    ExtTextOutA(dc, 10, 10, ETO_CLIPPED, &r, "很长的一行文字", 14, nullptr);
    EXPECT_TRUE(QRect(10, 10, 30, 20).contains(Ink(Image(), 0)));
    DeleteObject(font);
}


// A context keeps what it needs to draw text from one call to the next; each call
// still draws with the font, colour, clip and image of its moment. Every step is
// checked against the same text drawn by a fresh context on a fresh image.
TEST_F(TextTest, EachTextCallDrawsWithTheStateAndImageOfItsMoment)
{
    HFONT small = Font(-12, "宋体");
    HFONT big = Font(-20, "黑体");
    // Fonts of the same descriptions made anew, as painters make theirs for
    // each text: they share the first ones' realization.
    HFONT smallAgain = Font(-12, "宋体");
    HFONT bigAgain = Font(-20, "黑体");
    struct State {
        HFONT font;
        COLORREF color;
        std::optional<QRect> clip;
    };
    auto apply = [](HDC dc, const State &s) {
        SelectObject(dc, s.font);
        SetTextColor(dc, s.color);
        SetBkMode(dc, TRANSPARENT);
        HRGN region = s.clip ? CreateRectRgn(s.clip->left(), s.clip->top(), s.clip->right() + 1,
                                             s.clip->bottom() + 1)
                             : 0;
        SelectClipRgn(dc, region);
        if (region)
            DeleteObject(region);
    };
    auto fresh = [&](QSize size, const State &s, const std::function<void(HDC)> &draw) {
        auto image = std::make_shared<QImage>(size, QImage::Format_RGB32);
        image->fill(0xFF000000u);
        HDC dc = CreateImageDC(image);
        apply(dc, s);
        draw(dc);
        DeleteDC(dc);
        return *image;
    };
    auto text = [](const char *t) { return [t](HDC dc) { TextOutA(dc, 4, 3, t, int(std::strlen(t))); }; };
    RECT narrow{0, 0, 30, 40};
    auto boxed = [&](HDC dc) { ExtTextOutA(dc, 4, 3, ETO_CLIPPED, &narrow, "123456789", 9, nullptr); };
    struct Step {
        const char *name;
        State state;
        std::function<void(HDC)> draw;
        QSize resize; // the image is replaced by one of this size first, as a resized window's is
    } steps[] = {
        {"first text", {small, RGB(255, 255, 255), std::nullopt}, text("12.34"), {}},
        {"another font and colour", {big, RGB(255, 0, 0), std::nullopt}, text("报价Ag"), {}},
        {"a clip region", {big, RGB(255, 0, 0), QRect(0, 0, 20, 40)}, text("报价Ag"), {}},
        {"the clip removed", {small, RGB(0, 255, 0), std::nullopt}, text("报价Ag"), {}},
        {"clipped to a rectangle", {small, RGB(0, 255, 0), std::nullopt}, boxed, {}},
        {"no rectangle after one", {small, RGB(0, 255, 0), std::nullopt}, text("123456789"), {}},
        {"a larger image", {big, RGB(255, 255, 0), std::nullopt}, text("报价Ag 5678"), QSize(300, 50)},
        {"a smaller image", {small, RGB(255, 255, 0), std::nullopt}, text("报价Ag 5678"), QSize(60, 20)},
        {"the small font made anew", {smallAgain, RGB(255, 255, 0), std::nullopt}, text("12.34"), QSize(120, 40)},
        {"the big font made anew", {bigAgain, RGB(255, 255, 0), std::nullopt}, text("报价Ag"), {}},
        {"back to the first small font", {small, RGB(255, 255, 0), std::nullopt}, text("报价Ag"), {}},
    };
    HDC dc = NewImageDC(120, 40);
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        if (step.resize.isValid())
            *image_ = QImage(step.resize, QImage::Format_RGB32);
        Image().fill(0xFF000000u);
        apply(dc, step.state);
        step.draw(dc);
        QImage expected = fresh(Image().size(), step.state, step.draw);
        ASSERT_FALSE(Ink(expected, 0).isEmpty());
        QRect got = Ink(Image(), 0), want = Ink(expected, 0);
        EXPECT_TRUE(Image() == expected) << "ink at " << got.x() << "," << got.y() << " " << got.width() << "x"
                                         << got.height() << ", expected at " << want.x() << "," << want.y()
                                         << " " << want.width() << "x" << want.height();
    }
    SelectObject(dc, GetStockObject(SYSTEM_FONT));

    // A memory context: the text goes to the bitmap selected at the time, also
    // after the one it drew on before is gone.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP first = CreateBitmap(80, 30, 1, 32, nullptr);
    HBITMAP second = CreateBitmap(50, 20, 1, 32, nullptr);
    HGDIOBJ initial = SelectObject(memory, first);
    State white{small, RGB(255, 255, 255), std::nullopt};
    apply(memory, white);
    text("88.8")(memory);
    SelectObject(memory, second);
    DeleteObject(first);
    text("报价")(memory);
    QImage expected = fresh(QSize(50, 20), white, text("报价"));
    std::vector<COLORREF> got, want;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x) {
            got.push_back(GetPixel(memory, x, y));
            QRgb pixel = expected.pixel(x, y);
            want.push_back(RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)));
        }
    EXPECT_EQ(got, want);
    SelectObject(memory, initial);
    DeleteObject(second);
    DeleteDC(memory);
    for (HFONT font : {small, big, smallAgain, bigAgain})
        DeleteObject(font);
}

// Text drawn without measuring it (left aligned on a clear background) reports
// an area around all its ink as changed, so that a window shows all of it.
TEST_F(TextTest, TheAreaReportedChangedHoldsAllTheInk)
{
    for (const char *face : {"宋体", "Tahoma"}) {
        SCOPED_TRACE(face);
        HFONT font = Font(-16, face, FW_BOLD);
        image_ = std::make_shared<QImage>(300, 40, QImage::Format_RGB32);
        image_->fill(0xFF000000u);
        QRect changed;
        HDC dc = CreateImageDC(image_, [&](const RECT &r) {
            changed |= QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        });
        SelectObject(dc, font);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        const char *text = "WWW报价Ag(8) mmm";
        ASSERT_TRUE(TextOutA(dc, 7, 5, text, int(std::strlen(text))));
        QRect ink = Ink(Image(), 0);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(changed.contains(ink)) << changed.width() << " " << ink.right();
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteDC(dc);
        DeleteObject(font);
    }
}

} // namespace
} // namespace win
