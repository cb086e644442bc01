// Indicator definitions and parameter blocks of any content: the input's first
// two bytes give the length of INDEX.DAT, the rest is IDXPARA.TBL. Every
// definition is looked up, made into an indicator and has its title drawn.
// fuzz-deps: lumon_formula
#include <cstddef>
#include <cstdint>

#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

void Prepare()
{
    if (!fuzzfiles::EnterScratchTree("indexdefs", {"CFG"}))
        return;
    MaxDataRecords = 200;
    for (auto &f : FontTable)
        f.Size = 12;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    size_t split = size >= 2 ? std::min<size_t>(size_t(data[0] | data[1] << 8) * 8, size - 2) : 0;
    const char *bytes = reinterpret_cast<const char *>(data) + (size >= 2 ? 2 : 0);
    fuzzfiles::WriteFile("../CFG/INDEX.DAT", bytes, split);
    fuzzfiles::WriteFile("../CFG/IDXPARA.TBL", bytes + split, size >= 2 ? size - 2 - split : 0);
    const IndexTable *table = LoadIndexDefinitions("Guest");
    win::HDC dc = win::CreateRecordingDC(200, 60);
    for (int i = 0; table && i < table->Count && i < 8; ++i) {
        int id = table->Definitions[i].Id;
        IndexDefinition d;
        IndexParamBlock p;
        FindIndexDefinition(id, d, p);
        TIndex *made = nullptr;
        CreateIndex(made, id, 0, 0);
        delete made;
        TIndex index(0);
        index.Id = uint16_t(id);
        index.Init();
        index.Computed = 1;
        win::RECT rect{0, 0, 200, 60};
        index.Draw(dc, &rect);
        index.DrawTitle(dc, &rect);
    }
    win::DeleteDC(dc);
    FreeIndexDefinitions();
    return 0;
}
