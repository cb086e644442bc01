// A drawn-line file of any content: loaded into a chart of two panes of one stock,
// then saved, which takes the chart's records out and appends its lines. The
// list never holds more than 128 lines or a kind outside 1..17, and the saved file
// is whole: its header, a count equal to its records and nothing after them, with
// the records of other owners that were readable kept in order.
// fuzz-deps: lumon_views
// fuzz-mutations: 1500
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/TIndex.h"
#include "lumon/views/DrawnLines.h"
#include "lumon/views/TLine.h"
#include "tests/fuzz/FuzzFiles.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

TIndex *Objects[2];

void Prepare()
{
    if (!fuzzfiles::EnterTwoStockTree("linerec"))
        return;
    static TIndex price(MakeStockId(0, 0, 1)), volume(MakeStockId(0, 0, 1));
    price.Id = 3;
    volume.Id = 322;
    Objects[0] = &price;
    Objects[1] = &volume;
}

std::string ReadBack()
{
    std::ifstream in("../CFG/linerec.dat", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Serialized(const std::vector<LineFileEntry> &entries)
{
    size_t n = 8;
    for (const LineFileEntry &e : entries)
        n += sizeof e.Head + (e.Head.Kind == LK_TEXT ? 4 + e.Text.size() : 0);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    const std::string input(reinterpret_cast<const char *>(data), size);
    fuzzfiles::WriteFile("../CFG/linerec.dat", data, size);
    LineOwner owners[2];
    Require(LineOwnerOf(Objects[0], owners[0]) && LineOwnerOf(Objects[1], owners[1]));
    std::vector<LineFileEntry> others;
    for (const LineFileEntry &e : ParseLineFile(input))
        if (!RecordBelongsTo(e.Head, owners[0]) && !RecordBelongsTo(e.Head, owners[1]))
            others.push_back(e);

    TDrawnLines lines;
    lines.LoadDrawnLines(Objects, 2);
    Require(lines.LineCount >= 0 && lines.LineCount <= MaxDrawnLines && lines.SelLine == lines.LineCount);
    for (int i = 0; i < lines.LineCount; ++i) {
        const TLine *line = lines.Lines[i];
        Require(line && line->Kind >= 1 && line->Kind <= LineKindCount && line->State == 1);
        Require(line->Pane == Objects[0] || line->Pane == Objects[1]);
        Require(line->Kind != LK_TEXT || (line->Text && std::strlen(line->Text) <= MaxLineTextLength));
    }
    int loaded = lines.LineCount;
    if (loaded > 1) {
        lines.SelLine = 0;
        lines.DeleteSelectedLine();
    }
    lines.SaveDrawnLines(Objects, 2);

    const std::string saved = ReadBack();
    bool magic = false;
    std::vector<LineFileEntry> entries = ParseLineFile(saved, &magic);
    Require(magic && saved.size() >= 8);
    int32_t count;
    std::memcpy(&count, saved.data() + 4, 4);
    Require(count == int32_t(entries.size()) && Serialized(entries) == saved.size());
    Require(entries.size() == others.size() + size_t(lines.LineCount));
    for (size_t i = 0; i < others.size(); ++i)
        Require(std::memcmp(&entries[i].Head, &others[i].Head, sizeof others[i].Head) == 0 &&
                entries[i].Text == others[i].Text);
    // Loading the saved file gives the chart's lines back.
    TDrawnLines again;
    again.LoadDrawnLines(Objects, 2);
    Require(again.LineCount == lines.LineCount);
    return 0;
}
