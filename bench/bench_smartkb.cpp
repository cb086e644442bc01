// The keyboard wizard's search for one keystroke over every market of the large
// installation (16 markets of 4,096 stocks): commands, indicators, pages and the
// walk over all stocks by code, name and pinyin initials. A keystroke has to
// stay well below a frame of the screen.
// bench-deps: lumon_shell Qt6::Widgets
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/MakerInstallation.h"
#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/shell/PageManager.h"
#include "lumon/shell/SmartKB.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TEdit.h"
#include "platform/win/File.h"

namespace {

struct Installation {
    Installation()
    {
        const std::string root = MakerInstallation("lumo-bench-smartkb", "--large --no-registry");
        if (root.empty() || !win::SetCurrentDirectoryA((root + "/bin").c_str()))
            return;
        static int argc = 1;
        static char name[] = "bench_smartkb";
        static char *argv[] = {name, nullptr};
        app = new win::TApplication(argc, argv);
        util = new TUtilData(1);
        io = new TDataIO(0);
        LoadIndexDefinitions("Guest");
        LoadPageList();
        blocks = new TBlockGroup();
        kb = new TSmartKB(app);
        kb->Blocks = blocks;
        int stocks = 0;
        for (int m = 0; m < MarketTable.Count; ++m)
            stocks += MarketTable.Markets[m]->StockCount;
        ready = stocks == 16 * 4096;
    }

    win::TApplication *app = nullptr;
    TUtilData *util = nullptr;
    TDataIO *io = nullptr;
    TBlockGroup *blocks = nullptr;
    TSmartKB *kb = nullptr;
    bool ready = false;
};

Installation &TheInstallation()
{
    static Installation installation;
    return installation;
}

// The texts of one keystroke each: a code that fills the list at once, codes
// and initials that find a few stocks, and texts that find none and so walk
// every stock of every market.
const std::vector<std::string> &Texts()
{
    static const std::vector<std::string> texts = {
        "6",        // commands and the first 512 stocks of code 6
        "60001",    // a code prefix: ten stocks
        "600010",   // a full code
        "HX",       // initials of many names
        "HXGT",     // initials of a whole name
        "H.GT",     // initials with a wildcard
        "ZZZZ",     // no stock: every name through the pinyin test
        "999999",   // no stock: every code and name
        ".",        // the pages only, after the full walk
        "MACD",     // an indicator, after the full walk
    };
    return texts;
}

void BM_WizardKeystroke(benchmark::State &state)
{
    Installation &in = TheInstallation();
    if (!in.ready) {
        state.SkipWithError("the large installation could not be made");
        return;
    }
    const std::string &text = Texts()[size_t(state.range(0))];
    state.SetLabel(text);
    int results = 0;
    for (auto _ : state) {
        results = in.kb->Search(text.c_str());
        benchmark::DoNotOptimize(results);
    }
    state.counters["rows"] = in.kb->ResultCount;
}
BENCHMARK(BM_WizardKeystroke)->DenseRange(0, 9)->Unit(benchmark::kMicrosecond);

// What the edit box does for one typed character: the search and the list's
// new row count.
void BM_WizardTyping(benchmark::State &state)
{
    Installation &in = TheInstallation();
    if (!in.ready) {
        state.SkipWithError("the large installation could not be made");
        return;
    }
    const char *typed[] = {"H", "HX", "HXG", "HXGT", "HXGTZ"};
    size_t i = 0;
    for (auto _ : state) {
        in.kb->Edit1->Text = typed[i];
        i = (i + 1) % 5;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WizardTyping)->Unit(benchmark::kMicrosecond);

} // namespace
