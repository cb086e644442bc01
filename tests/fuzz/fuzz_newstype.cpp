// A news-type file of any content: the table of enabled types with their
// branches, as the news view reads it, and the type dialog's lists.
// fuzz-deps: lumon_shell
// fuzz-mutations: 1500
#include <cstddef>
#include <cstdint>

#include "lumon/shell/NewsTypes.h"
#include "tests/fuzz/FuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzfiles::EnterScratchTree("newstype", {"CFG"});
    fuzzfiles::WriteFile("../CFG/NEWSTYPE.INI", data, size);
    LoadNewsTypes();
    int last = 0;
    for (const NewsTypeRecord &r : NewsTypeTable) {
        // Increasing ids below 100, each named, each branch with a title and a keyword.
        if (r.Id <= last || r.Id >= max_news_type || r.Name.empty() || r.Name.size() > 254)
            __builtin_trap();
        last = r.Id;
        for (const NewsBranch &b : r.Branches) {
            if (b.Title.size() < 3 || b.Keywords.empty())
                __builtin_trap();
            for (const std::string &k : b.Keywords)
                if (k.empty())
                    __builtin_trap();
        }
    }
    NewsTypeRecord record;
    if (LoadNewsType(record, max_news_type) || LoadNewsType(record, 0))
        __builtin_trap();
    return 0;
}
