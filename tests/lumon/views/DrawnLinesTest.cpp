// The drawn-line file and a chart's list of lines: byte-exact records, save and
// load round trips, the records of other periods, markets and stocks kept,
// damaged and older files, a read-only file, and deleting a line with links.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "LineFixture.h"
#include "lumon/core/EMemOp.h"
#include "lumon/views/DrawnLines.h"

using namespace win;

namespace {

const char *const File = "..\\CFG\\linerec.dat";

LineFileRecord Rec(int id, int period, int market, const char *code, int kind, uint32_t t0 = 100, float v0 = 1,
                   uint32_t t1 = 200, float v1 = 2)
{
    LineFileRecord r{};
    r.IndexId = uint16_t(id);
    r.Period = uint16_t(period);
    r.Market = uint16_t(market);
    std::strncpy(r.Code, code, sizeof r.Code);
    r.Kind = uint16_t(kind);
    r.Time[0] = t0;
    r.Time[1] = t1;
    r.Value[0] = v0;
    r.Value[1] = v1;
    return r;
}

std::string Raw(const void *p, size_t n)
{
    return std::string(static_cast<const char *>(p), n);
}

std::string Int(int32_t v)
{
    return Raw(&v, 4);
}

std::string Header(int32_t count)
{
    return "PSL1" + Int(count);
}

// A text line's record, its length field (the text's own unless given) and text.
std::string Text(const LineFileRecord &r, const std::string &text, std::optional<int32_t> length = {})
{
    return Raw(&r, sizeof r) + Int(length.value_or(int32_t(text.size()))) + text;
}

std::string Plain(const LineFileRecord &r)
{
    return Raw(&r, sizeof r);
}

// A chart of three panes on 600000's day bars: the K-line (3), volume (322) and
// amount (321), laid out by the K-line's pane.
struct Chart : LinePane {
    Chart() : vol(Sh600000), amo(Sh600000)
    {
        vol.Id = 322;
        amo.Id = 321;
        objects[0] = Pane();
        objects[1] = &vol;
        objects[2] = &amo;
    }
    std::string FileBytes() { return inst.Read("CFG/linerec.dat"); }
    void WriteFile(const std::string &bytes) { inst.Write("CFG/linerec.dat", bytes); }

    TIndex vol, amo;
    TIndex *objects[3];
};

TEST(DrawnLines, SaveThenLoadGivesTheSameLinesAndExactRecords)
{
    Chart c;
    TDrawnLines lines;
    for (int kind = 1; kind <= LineKindCount; ++kind) {
        TIndex *pane = c.objects[kind % 3];
        TLine *&slot = lines.Lines[lines.LineCount++];
        ASSERT_EQ(MakeDrawLine(slot, kind, pane, &pane->PlotRect), 1);
        for (int j = 0; j < slot->AnchorCount; ++j) {
            slot->Anchors[j].time = c.Records[10 * j + kind].Time;
            slot->Anchors[j].value = 10.25f + kind + j;
        }
        if (kind == LK_TEXT) {
            slot->Text = static_cast<char *>(EMemAlloc(256));
            std::strcpy(slot->Text, "头肩顶");
        }
        slot->State = 1;
    }
    lines.SaveDrawnLines(c.objects, 3);
    std::string bytes = c.FileBytes();
    ASSERT_EQ(bytes.size(), 8 + 17 * 40 + 4 + 6u);
    EXPECT_EQ(bytes.substr(0, 8), Header(17));
    // The first record byte for byte: kind 1 on the volume pane.
    LineFileRecord first = Rec(322, 8, 0, "600000", 1, c.Records[1].Time, 11.25f, c.Records[11].Time, 12.25f);
    EXPECT_EQ(bytes.substr(8, 40), Plain(first));
    // The text line: kind 15 on the K-line pane with its length and text.
    size_t text = 8 + 14 * 40;
    EXPECT_EQ(bytes.substr(text, 20), Plain(Rec(3, 8, 0, "600000", 15)).substr(0, 20));
    EXPECT_EQ(bytes.substr(text + 40, 10), Int(6) + "头肩顶");

    TDrawnLines loaded;
    loaded.LoadDrawnLines(c.objects, 3);
    ASSERT_EQ(loaded.LineCount, 17);
    EXPECT_EQ(loaded.SelLine, 17);
    for (int i = 0; i < 17; ++i) {
        const TLine &a = *lines.Lines[i], &b = *loaded.Lines[i];
        EXPECT_EQ(b.Kind, a.Kind);
        EXPECT_EQ(b.State, 1);
        EXPECT_EQ(b.Pane, a.Pane) << i;
        EXPECT_EQ(b.PaneRect, &a.Pane->PlotRect);
        for (int j = 0; j < a.AnchorCount; ++j) {
            EXPECT_EQ(b.Anchors[j].time, a.Anchors[j].time);
            EXPECT_EQ(b.Anchors[j].value, a.Anchors[j].value);
            EXPECT_EQ(b.Anchors[j].flag, 1);
        }
    }
    EXPECT_STREQ(loaded.Lines[14]->Text, "头肩顶");
    EXPECT_EQ(loaded.Lines[14]->TextExtent.cx, MeasureLineText("头肩顶").cx);
    EXPECT_EQ(loaded.Lines[0]->Partner(), -1);
    EXPECT_EQ(loaded.Lines[0]->Parent(), -1);
}

TEST(DrawnLines, SavingKeepsOtherPeriodsMarketsStocksAndIndicators)
{
    Chart c;
    std::string others = Plain(Rec(3, 7, 0, "600000", 1)) +               // another period
                         Text(Rec(3, 8, 1, "600000", 15), "期货") +       // another market
                         Plain(Rec(3, 8, 0, "600001", 2)) +               // another stock
                         Plain(Rec(45, 8, 0, "600000", 8));               // an indicator the chart does not show
    c.WriteFile(Header(6) + Plain(Rec(3, 8, 0, "600000", 4)) + others + Text(Rec(322, 8, 0, "600000", 15), "旧"));
    TDrawnLines lines;
    lines.LoadDrawnLines(c.objects, 3);
    ASSERT_EQ(lines.LineCount, 2);
    EXPECT_EQ(lines.Lines[1]->Pane, &c.vol);
    lines.SelLine = 1;
    lines.DeleteSelectedLine();
    lines.SaveDrawnLines(c.objects, 3);
    // The chart's old records go; the others stay in order, its line follows.
    std::string bytes = c.FileBytes();
    EXPECT_EQ(bytes.substr(0, 8 + others.size()), Header(5) + others);
    EXPECT_EQ(bytes.substr(8 + others.size(), 36), Plain(Rec(3, 8, 0, "600000", 4)).substr(0, 36));
    EXPECT_EQ(bytes.size(), 8 + others.size() + 40);
    // Saving a chart without lines takes its records out and adds nothing.
    lines.FreeDrawnLines();
    lines.SaveDrawnLines(c.objects, 3);
    EXPECT_EQ(c.FileBytes(), Header(4) + others);
}

TEST(DrawnLines, TheCountFollowsTheRecordsOverManySaves)
{
    Chart c;
    TDrawnLines lines;
    for (int n : {3, 1, 5, 0, 2}) {
        lines.FreeDrawnLines();
        for (int i = 0; i < n; ++i) {
            MakeDrawLine(lines.Lines[i], LK_UPARROW + i % 2, c.objects[i % 3], &c.objects[i % 3]->PlotRect);
            lines.Lines[i]->Anchors[0].time = c.Records[i].Time;
        }
        lines.LineCount = n;
        lines.SaveDrawnLines(c.objects, 3);
        std::string bytes = c.FileBytes();
        int32_t count;
        std::memcpy(&count, bytes.data() + 4, 4);
        EXPECT_EQ(count, n);
        EXPECT_EQ(bytes.size(), 8 + 40u * n);
    }
}

TEST(DrawnLines, ReadingStopsAtDamageAndKeepsWhatCameBefore)
{
    Chart c;
    const std::string own = Plain(Rec(3, 8, 0, "600000", 1)), ownText = Text(Rec(3, 8, 0, "600000", 15), "ab");
    struct Case {
        const char *name;
        std::string bytes;
        int loaded;
    } cases[] = {
        {"headerless, 80 bytes", own + Plain(Rec(322, 8, 0, "600000", 2)), 2},
        {"headerless text line", ownText + own, 2},
        {"count beyond the records", Header(1000) + own + own, 2},
        {"count -1", Header(-1) + own, 0},
        {"short record", Header(2) + own + own.substr(0, 39), 1},
        {"text length 256", Header(3) + own + Text(Rec(3, 8, 0, "600000", 15), std::string(256, 'x')) + own, 1},
        {"text length -1", Header(3) + own + Text(Rec(3, 8, 0, "600000", 15), "", -1) + own, 1},
        {"text length 2^31-1", Header(2) + own + Text(Rec(3, 8, 0, "600000", 15), "abc", 0x7FFFFFFF), 1},
        {"short text", Header(2) + own + Text(Rec(3, 8, 0, "600000", 15), "abc", 5), 1},
        {"kinds 0, 18 and 65535 skipped",
         Header(4) + Plain(Rec(3, 8, 0, "600000", 0)) + Plain(Rec(3, 8, 0, "600000", 18)) +
             Plain(Rec(3, 8, 0, "600000", 65535)) + own,
         1},
        {"values that are no numbers skipped",
         Header(4) + Plain(Rec(3, 8, 0, "600000", 1, 1, std::nanf(""))) +
             Plain(Rec(3, 8, 0, "600000", 2, 1, 1, 2, std::numeric_limits<float>::infinity())) +
             Plain(Rec(3, 8, 0, "600000", 16, 1, 1, 2, std::nanf(""))) + own,
         2},
        {"a code filling its field", Header(2) + Plain(Rec(3, 8, 0, "600000abcdef", 1)) + own, 1},
    };
    for (const Case &k : cases) {
        c.WriteFile(k.bytes);
        TDrawnLines lines;
        lines.LoadDrawnLines(c.objects, 3);
        EXPECT_EQ(lines.LineCount, k.loaded) << k.name;
        EXPECT_EQ(lines.SelLine, k.loaded) << k.name;
    }
    // At most 128 lines.
    std::string many = Header(130);
    for (int i = 0; i < 130; ++i)
        many += own;
    c.WriteFile(many);
    TDrawnLines lines;
    lines.LoadDrawnLines(c.objects, 3);
    EXPECT_EQ(lines.LineCount, MaxDrawnLines);
    // Another stock's text line is passed over once; this stock's line after it loads.
    c.WriteFile(Header(2) + Text(Rec(3, 8, 0, "600001", 15), "别的") + Plain(Rec(321, 8, 0, "600000", 9)));
    lines.LoadDrawnLines(c.objects, 3);
    ASSERT_EQ(lines.LineCount, 1);
    EXPECT_EQ(lines.Lines[0]->Kind, 9);
    EXPECT_EQ(lines.Lines[0]->Pane, &c.amo);
}

TEST(DrawnLines, ADamagedTextLengthNoLongerEmptiesTheFile)
{
    Chart c;
    const std::string other = Plain(Rec(3, 8, 0, "600001", 1));
    c.WriteFile(Header(3) + other + Text(Rec(3, 8, 0, "600002", 15), std::string(300, 'x')) + other);
    TDrawnLines lines;
    MakeDrawLine(lines.Lines[0], LK_SEGMENT, c.Pane(), c.Rect());
    lines.LineCount = 1;
    lines.SaveDrawnLines(c.objects, 3);
    std::vector<LineFileEntry> entries = ParseLineFile(c.FileBytes());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(c.FileBytes().substr(0, 48), Header(2) + other);
    EXPECT_EQ(entries[1].Head.Kind, LK_SEGMENT);
}

TEST(DrawnLines, AnOlderFileKeepsItsRecordsWhenSaved)
{
    Chart c;
    const std::string other = Plain(Rec(3, 8, 0, "600001", 1)), own = Plain(Rec(3, 8, 0, "600000", 2));
    c.WriteFile(other + own);
    TDrawnLines lines;
    lines.LoadDrawnLines(c.objects, 3);
    ASSERT_EQ(lines.LineCount, 1);
    lines.SaveDrawnLines(c.objects, 3);
    std::string bytes = c.FileBytes();
    EXPECT_EQ(bytes.substr(0, 48), Header(2) + other);
    EXPECT_EQ(ParseLineFile(bytes).size(), 2u);
}

TEST(DrawnLines, AReadOnlyFileEndsTheSaveSilentlyAndLosesNothing)
{
    Chart c;
    const std::string before = Header(2) + Plain(Rec(3, 8, 0, "600001", 1)) + Plain(Rec(3, 8, 0, "600000", 2));
    c.WriteFile(before);
    ASSERT_EQ(chmod(c.inst.Path("CFG/linerec.dat").c_str(), 0444), 0);
    TDrawnLines lines;
    lines.LoadDrawnLines(c.objects, 3);
    ASSERT_EQ(lines.LineCount, 1);
    MakeDrawLine(lines.Lines[1], LK_BOX, c.Pane(), c.Rect());
    lines.LineCount = 2;
    lines.SaveDrawnLines(c.objects, 3);
    EXPECT_EQ(c.FileBytes(), before);
    EXPECT_EQ(lines.LineCount, 2);
    EXPECT_EQ(lines.Lines[0]->Kind, 2);
    chmod(c.inst.Path("CFG/linerec.dat").c_str(), 0644);
}

TEST(DrawnLines, DeletingALineRenumbersTheLinks)
{
    LinePane p;
    TDrawnLines lines;
    // 0: a line with its parallel 2; 1: a segment; 3: a line with its parallel 4.
    const int kinds[5] = {LK_LINE, LK_SEGMENT, LK_PARALLEL, LK_LINE, LK_PARALLEL};
    for (int i = 0; i < 5; ++i)
        MakeDrawLine(lines.Lines[i], kinds[i], p.Pane(), p.Rect());
    lines.LineCount = 5;
    lines.Lines[0]->Partner() = 2;
    lines.Lines[2]->Parent() = 0;
    lines.Lines[3]->Partner() = 4;
    lines.Lines[4]->Parent() = 3;
    lines.SelLine = 1;
    lines.DeleteSelectedLine();
    ASSERT_EQ(lines.LineCount, 4);
    EXPECT_EQ(lines.Lines[4], nullptr);
    EXPECT_EQ(lines.Lines[0]->Partner(), 1);
    EXPECT_EQ(lines.Lines[1]->Parent(), 0);
    EXPECT_EQ(lines.Lines[2]->Partner(), 3);
    EXPECT_EQ(lines.Lines[3]->Parent(), 2);
    // Deleting the base of a parallel line frees the parallel line.
    lines.SelLine = 2;
    lines.DeleteSelectedLine();
    ASSERT_EQ(lines.LineCount, 3);
    EXPECT_EQ(lines.Lines[2]->Kind, LK_PARALLEL);
    EXPECT_EQ(lines.Lines[2]->Parent(), -1);
    EXPECT_EQ(lines.Lines[0]->Partner(), 1);
    lines.FreeDrawnLines();
    EXPECT_EQ(lines.LineCount, 0);
    EXPECT_EQ(lines.Lines[0], nullptr);
}

} // namespace
