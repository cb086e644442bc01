// A news index file of any content: loaded, listed, searched, marked read, added
// to, trimmed and saved, then loaded again.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "lumon/core/NewsIndex.h"
#include "lumon/core/UtilData.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

void Prepare()
{
    if (!fuzzfiles::EnterScratchTree("newsindex", {"data/info"}))
        return;
    static TUtilData util(1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    fuzzfiles::WriteFile("../data/info/news.ntl", data, size);
    static std::vector<char> entries(NewsCapacity * NewsListEntrySize);
    {
        TNewsIndex index("..\\data\\info\\news.ntl", 1);
        int listed = index.List(0, entries.data(), NewsCapacity, size ? int(data[0]) - 128 : 0);
        if (listed < 0 || listed > index.GetCount() || index.GetCount() > NewsCapacity)
            __builtin_trap();
        NewsRecord last, found;
        if (index.GetLast(last)) {
            char title[81] = {};
            std::memcpy(title, last.Title, 80);
            index.FindByTitle(int(last.TypeRead >> 1), title, found);
            char line[160];
            std::snprintf(line, sizeof line, "%2u/%02u %2u:%02u %s", last.DateTime % 10000 / 100,
                          last.DateTime % 100, (last.DateTime >> 20) / 100, (last.DateTime >> 20) % 100, title);
            index.MarkRead(0, line, found);
            index.Add(last, 1);
        }
        index.MakeRoom(size ? data[size - 1] * 20 : 0);
    }
    TNewsIndex again("..\\data\\info\\news.ntl", 1);
    if (again.GetCount() > NewsCapacity)
        __builtin_trap();
    return 0;
}
