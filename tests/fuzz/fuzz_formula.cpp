// Formula texts of any content: each is compiled and, when it compiles, run
// over a few dozen bars as a formula indicator runs it, every record in turn.
// fuzz-deps: lumon_formula
#include <cstddef>
#include <cstdint>
#include <string>

#include "lumon/core/EMemOp.h"
#include "lumon/formula/TCompiler.h"
#include "lumon/formula/TIndex.h"

namespace {

constexpr int Records = 40;

// Bars with a little of everything: rising and falling closes, zero and huge
// prices, a NaN volume.
TIndex &Indicator()
{
    static TIndex *index = nullptr;
    if (index)
        return *index;
    index = new TIndex(0);
    index->Records = static_cast<KLineRecord *>(EMemAlloc(Records * sizeof(KLineRecord)));
    index->RecordCount = Records;
    index->LineCapacity = Records;
    index->LineCount = MaxIndexLines;
    for (int k = 0; k < MaxIndexLines; ++k)
        index->Lines[k] = static_cast<float *>(EMemAlloc(Records * sizeof(float)));
    for (int i = 0; i < Records; ++i) {
        KLineRecord &b = index->Records[i];
        b.Time = MakePackedDateTime(2006, 1 + i % 12, 1 + i % 28, i % 24, i % 60);
        b.Close = i == 7 ? 0 : i == 9 ? 0xFFFFFFFFu : uint32_t(1000 + (i * 37) % 101);
        b.Open = b.Close + uint32_t(i % 3);
        b.High = b.Close + 20;
        b.Low = b.Close - 20;
        b.Volume = i == 11 ? __builtin_nanf("") : float(100 * i);
        b.Amount = float(1000 * i);
    }
    index->PriceDivisor = 100;
    return *index;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TCompiler compiler;
    std::string text(reinterpret_cast<const char *>(data), size);
    compiler.Reset();
    compiler.SetSource(text.c_str());
    compiler.Compile();
    if (compiler.Errors.ErrorCount != 0)
        return 0;
    TIndex &index = Indicator();
    compiler.Bind(&index);
    for (int i = 0; i < compiler.ParamCount; ++i)
        compiler.SetParam(compiler.ParamDescs[i].Default, i, 0);
    for (int r = 0; r < Records; ++r) {
        compiler.SetRecordIndex(r);
        compiler.Run();
        for (int k = 0; k < compiler.ResultCount && k < MaxIndexLines; ++k)
            index.Lines[k][r] = compiler.GetValue(k, 1);
    }
    return 0;
}
