// An alarm file of any content: loaded, every pending alarm's stock quoted at
// prices from the input, the quotes tested, the lists edited and saved.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

void Prepare()
{
    if (!fuzzfiles::EnterScratchTree("alarmset", {"CFG", "data/m"}))
        return;
    static TUtilData util(1);
    fuzzfiles::WriteOneMarket(4);
    StockStaticRecord stocks[3] = {};
    for (int i = 0; i < 3; ++i) {
        stocks[i].Code[0] = char('A' + i);
        stocks[i].ScaleDivisor = uint32_t(i * 100); // the first has a zero divisor
        stocks[i].VolumeUnit = uint32_t(i);
    }
    fuzzfiles::WriteFile("../data/m/nametbl.n", stocks, sizeof stocks);
    static TDataIO io(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Prepare();
    fuzzfiles::WriteFile("../CFG/ALARM.SET", data, size);
    TAlarm alarm;
    int pending = alarm.Pending().GetCount();
    if (pending > MaxAlarms)
        __builtin_trap();
    for (int i = 0; i < pending && i < 50; ++i) {
        AlarmData a = alarm.Pending().GetAt(i);
        uint32_t price = size ? uint32_t(data[i % size]) * 7 : 0;
        alarm.PushQuote(a.Market, a.Stock, price, 0, float(price), float(price) * 3, float(price) * 1000, i);
        while (alarm.CheckOne() != -1) {
        }
    }
    if (alarm.Pending().GetCount() + alarm.Triggered().GetCount() != pending)
        __builtin_trap();
    AlarmData extra{};
    alarm.AddAlarm(extra);
    alarm.DeleteAlarm(size ? data[0] : 0);
    alarm.ModifyAlarm(pending, extra);
    return 0;
}
