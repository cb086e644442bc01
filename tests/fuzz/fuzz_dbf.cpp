// dBASE tables of any content read whole, every field of every record, and the
// search by number.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <fstream>

#include "lumon/core/DbfTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::ofstream("FUZZ.DBF", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), std::streamsize(size));
    TDbfTable table("fuzz.dbf");
    if (!table.Open())
        return 0;
    for (int r = 0; r < table.GetRecordCount() && r < 64; ++r) {
        table.GoToRecord(r);
        for (int f = 0; f < table.GetFieldCount(); ++f)
            table.ReadField(f);
    }
    if (const TDbfField *field = table.GetField(0)) {
        table.GetFieldText(field->Name);
        table.FindLastRecordNotAbove(field->Name, 1000);
    }
    return 0;
}
