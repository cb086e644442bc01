// The report layout of the print view with a measuring rule of its own: every
// byte ten units wide, a line twice the font's points high. Tags, centring,
// wrapping at blanks and between double-byte characters, form feeds, the page
// count, and texts that must not stall or split a character.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "consign/pages/CViewPrintPreview.h"

using namespace win;

namespace {

// Ten units a byte; the fonts asked for are noted.
class RuleMeasure : public CPrintMeasure {
public:
    CSize UseFont(const char *face, int points) override
    {
        face_ = face;
        points_ = points;
        return CSize(10, 2 * points);
    }
    int TextWidth(const char *, int length) override { return 10 * length; }

    std::string face_;
    int points_ = 0;
};

struct Line {
    std::string text;
    bool centred;
    std::string face;
    int points;
    bool operator==(const Line &o) const
    {
        return text == o.text && centred == o.centred && face == o.face && points == o.points;
    }
};

void PrintTo(const Line &l, std::ostream *os)
{
    *os << "{\"" << l.text << "\", " << l.centred << ", " << l.face << ", " << l.points << "}";
}

// A view of 10 points in 宋体 on a page `columns` bytes wide and `rows` lines of
// 20 units high, without margins.
class Layout {
public:
    Layout(const std::string &text, int columns, int rows = 100)
    {
        view.m_strText = CString(text.data(), static_cast<int>(text.size()));
        view.m_nFontSize = 10;
        view.m_strFaceName = "宋体";
        view.SetLayoutDevice(&rule, CRect(0, 0, 10 * columns, 20 * rows));
    }
    ~Layout() { view.SetLayoutDevice(nullptr, CRect()); }

    // Every line of the text, with the state it is printed in.
    std::vector<Line> Lines()
    {
        view.StartMarkup();
        std::vector<Line> lines;
        const int length = view.m_strText.GetLength();
        for (int pos = 0, guard = 0; pos < length && guard < 100000; ++guard) {
            const int before = pos;
            CString line = view.FormatLine(pos);
            EXPECT_GT(pos, before) << "no progress at " << before;
            if (pos <= before)
                break;
            lines.push_back({std::string(line, static_cast<size_t>(line.GetLength())), view.m_bCenter != FALSE,
                             rule.face_, rule.points_});
        }
        return lines;
    }
    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const Line &l : Lines())
            texts.push_back(l.text);
        return texts;
    }

    RuleMeasure rule;
    CViewPrintPreview view;
};

std::string Repeat(const std::string &piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// `text` in pieces of `bytes`.
std::vector<std::string> Pieces(const std::string &text, size_t bytes)
{
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size(); at += bytes)
        pieces.push_back(text.substr(at, bytes));
    return pieces;
}

TEST(PrintLayoutTest, TagsChangeFontAndCentringOnlyAtTheStartOfALine)
{
    Layout layout("<Center>\r\n交易结算单\r\n</Center>客户号\r\n"
                  "<Font Size=12><Font Name=黑体>大字\r\n"
                  "</Font Size>小字 <Center> a<b\r\n"
                  "</Font Name>回到宋体",
                  60);
    const std::vector<Line> expected = {
        {"", true, "宋体", 10},
        {"交易结算单", true, "宋体", 10},
        {"客户号", false, "宋体", 10},
        {"大字", false, "黑体", 12},
        // A tag later in a line is ordinary text.
        {"小字 <Center> a<b", false, "黑体", 10},
        {"回到宋体", false, "宋体", 10},
    };
    EXPECT_EQ(layout.Lines(), expected);
}

TEST(PrintLayoutTest, LinesBreakAtBlanksBetweenCharactersAndAtLineEnds)
{
    const std::string wide = Repeat("丂中", 100); // 200 double-byte characters, one with a trail byte 0x40
    struct Case {
        const char *name;
        std::string text;
        int columns;
        std::vector<std::string> lines;
    } cases[] = {
        // "abc d" reaches the width at the d: the words after the blank go on.
        {"abc def", "abc def", 5, {"abc ", "def"}},
        {"blank at the edge", "abcd efg", 5, {"abcd ", "efg"}},
        {"no blank", "abcdefgh", 5, {"abcd", "efgh"}},
        {"a<b", "a<b", 20, {"a<b"}},
        {"form feed mid-line", "ab\fcd\r\n", 20, {"ab", "\f", "cd"}},
        {"line ends", "a\rb\r\nc\n\nd", 20, {"a", "b", "c", "", "d"}},
        {"no final newline", "last", 20, {"last"}},
        {"unknown tag stays text", "<b>x\r\n<Colour=red>y", 20, {"<b>x", "<Colour=red>y"}},
        {"no closing bracket", "<Font Size=12\r\n<Center", 20, {"<Font Size=12", "<Center"}},
        {"bracket on a later line", "<Center\r\n>x", 20, {"<Center", ">x"}},
        // 19 characters fit in 40 columns; the 20th would fill the line.
        {"200 double-byte characters", wide, 40, Pieces(wide, 38)},
        {"character wider than the line", "中文a", 1, {"中", "文", "a"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout(c.text, c.columns);
        EXPECT_EQ(layout.Texts(), c.lines);
    }
}

TEST(PrintLayoutTest, PagesEndByHeightAndFormFeed)
{
    // 10 lines of 20 units on a page of 200: the line at 180 is the page's last.
    struct Case {
        const char *name;
        std::string text;
        int pages;
    } cases[] = {
        {"empty text", "", 1},
        {"one line", "x", 1},
        {"ten lines fill a page", Repeat("x\r\n", 10), 1},
        {"eleven lines", Repeat("x\r\n", 11), 2},
        {"form feed mid-line", "ab\fcd", 2},
        {"form feed at the end", "ab\f", 1},
        {"only empty lines after the last page", "ab\f\r\n\r\n\f", 2},
        {"two form feeds", "a\f\fb", 3},
        {"only tags", "<Center>\r\n", 1},
        {"a long line over many pages", std::string(5000, 'x'), 27},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Layout layout(c.text, 20, 10);
        EXPECT_EQ(layout.view.CountPages(), c.pages);
    }
}

TEST(PrintLayoutTest, BadFontSizesAreBoundedAndTheLayoutMovesOn)
{
    struct Case {
        const char *size;
        int points;
    } cases[] = {{"0", 1}, {"-1", 1}, {"99999", 200}, {"abc", 1}, {"12abc", 12}, {"99999999999999999999", 200}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        Layout layout(std::string("<Font Size=") + c.size + ">x\r\ny\r\n", 20, 10);
        const std::vector<Line> lines = layout.Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].points, c.points);
        EXPECT_GE(layout.view.m_nLineHeight, 1);
        const int pages = layout.view.CountPages();
        EXPECT_GE(pages, 1);
        EXPECT_LE(pages, 2);
    }
    // The caller's own size is bounded as well.
    for (int size : {0, -5, 9999}) {
        Layout layout("x\r\ny", 20, 10);
        layout.view.m_nFontSize = size;
        layout.view.StartMarkup();
        EXPECT_EQ(layout.rule.points_, size < 1 ? 1 : 200);
        EXPECT_GE(layout.view.CountPages(), 1);
    }
}

// Random GBK texts laid out on random widths: every line is whole GBK (Python's
// "gbk" codec decodes each one strictly), and the lines hold every byte of the
// text in order, less the line ends.
TEST(PrintLayoutTest, RandomGbkTextsNeverSplitACharacter)
{
    const std::string codes = "codes.txt";
    const std::string listing = "lines.txt";
    // The double-byte codes the codec knows, trail bytes from 0x40 on.
    ASSERT_EQ(std::system(("/usr/bin/python3 -c \"\nimport sys\nfor a in range(0x81,0xFF):\n"
                           " for b in range(0x40,0xFF):\n  s=bytes([a,b])\n  try: s.decode('gbk')\n"
                           "  except UnicodeDecodeError: continue\n  print(s.hex())\n\" > " +
                           codes)
                              .c_str()),
              0);
    std::vector<std::string> pairs;
    {
        std::ifstream in(codes);
        for (std::string hex; in >> hex;)
            pairs.push_back({static_cast<char>(std::stoi(hex.substr(0, 2), nullptr, 16)),
                             static_cast<char>(std::stoi(hex.substr(2, 2), nullptr, 16))});
    }
    ASSERT_GT(pairs.size(), 20000u);

    std::mt19937 random(42);
    std::ofstream out(listing);
    int lineCount = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int characters = std::uniform_int_distribution<int>(1, 400)(random);
        for (int i = 0; i < characters; ++i) {
            switch (std::uniform_int_distribution<int>(0, 9)(random)) {
            case 0:
                text += ' ';
                break;
            case 1:
                text += std::uniform_int_distribution<int>(0, 5)(random) == 0 ? "\n" : "a";
                break;
            case 2:
                text += static_cast<char>(std::uniform_int_distribution<int>(0x21, 0x7E)(random));
                break;
            default:
                text += pairs[std::uniform_int_distribution<size_t>(0, pairs.size() - 1)(random)];
            }
        }
        // No tags and no form feeds: the lines are the text less its line feeds.
        for (char &c : text)
            if (c == '<')
                c = '(';
        Layout layout(text, std::uniform_int_distribution<int>(1, 50)(random));
        std::string joined;
        for (const std::string &line : layout.Texts()) {
            joined += line;
            std::string hex;
            char byte[3];
            for (unsigned char c : line) {
                std::snprintf(byte, sizeof byte, "%02x", c);
                hex += byte;
            }
            out << (hex.empty() ? "-" : hex) << "\n";
            ++lineCount;
        }
        std::string expected;
        for (char c : text)
            if (c != '\n')
                expected += c;
        ASSERT_EQ(joined, expected) << "round " << round;
    }
    out.close();
    ASSERT_GT(lineCount, 1000);
    // Each line decoded strictly; the first lines that fail are named.
    FILE *pipe = popen(("/usr/bin/python3 -c \"\nbad=0\nfor n,l in enumerate(open('" + listing +
                        "')):\n l=l.strip()\n if l=='-': continue\n try: bytes.fromhex(l).decode('gbk')\n"
                        " except UnicodeDecodeError:\n  bad+=1\n  if bad<=5: print('line',n,l)\nprint('bad',bad)\n\"")
                           .c_str(),
                       "r");
    ASSERT_NE(pipe, nullptr);
    std::string report;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        report += buffer;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(report, "bad 0\n");
}

} // namespace
