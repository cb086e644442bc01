#include "lumon/views/TableDefs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lumon/shell/ViewAttr.h"
#include "platform/win/Profile.h"

using namespace win;

TableDef *TableDefs = nullptr;

namespace {

constexpr char kSettings[] = "..\\CFG\\SETTING.INI";
constexpr char kDefaultIds[] = "0,9,1,3,6,10,11,7,24,8,4,5,12,13,21,2";
constexpr char kDefaultWidths[] = "80,80,80,80,80,80,80,80,80,80,80,80,80,80,80,80";

// Up to 16 comma-separated integers; the number read.
int ParseList(const char *text, int32_t *out)
{
    int n = 0;
    const char *p = text;
    while (n < MaxTableColumns && *p) {
        char *end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p)
            break;
        out[n++] = v < -1000000 ? -1000000 : v > 1000000 ? 1000000 : int32_t(v);
        p = end;
        if (*p != ',')
            break;
        ++p;
    }
    return n;
}

void Section(int k, char *section, size_t size) { std::snprintf(section, size, "TableDef%d", k); }

std::string List(const int32_t *values)
{
    char text[260];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", values[0], values[1],
                  values[2], values[3], values[4], values[5], values[6], values[7], values[8], values[9], values[10],
                  values[11], values[12], values[13], values[14], values[15]);
    return text;
}

} // namespace

void CheckTableDef(TableDef &t)
{
    int kept = 0;
    const int count = t.Count < 0 ? 0 : t.Count > MaxTableColumns ? MaxTableColumns : t.Count;
    for (int i = 0; i < count; ++i) {
        if (t.Ids[i] < 0 || t.Ids[i] >= QuoteFieldCount)
            continue;
        const int w = t.Widths[i];
        t.Ids[kept] = t.Ids[i];
        t.Widths[kept] = w < 1 ? 1 : w > 80 ? 80 : w;
        ++kept;
    }
    if (kept == 0) {
        // A table of unknown fields only shows the row number.
        t.Ids[0] = 0;
        t.Widths[0] = 8;
        kept = 1;
    }
    for (int i = kept; i < MaxTableColumns; ++i)
        t.Ids[i] = t.Widths[i] = 0;
    t.Count = kept;
    if (t.FixedCol < 0)
        t.FixedCol = 0;
    if (t.FixedCol >= kept)
        t.FixedCol = kept - 1;
    if (t.SortField < 0 || t.SortField >= QuoteFieldCount)
        t.SortField = 0;
}

void ReadTableDefs(const VIEW_STATE *state)
{
    if (TableDefs)
        return;
    TableDefs = new TableDef[TableDefCount];
    for (int k = 1; k <= TableDefCount; ++k) {
        TableDef &t = TableDefs[k - 1];
        std::memset(&t, 0, sizeof t);
        char section[16];
        Section(k, section, sizeof section);
        const int count = int(GetPrivateProfileIntA(section, "Count", 16, kSettings));
        if (count < 1) {
            const int n = state ? state->ColumnCount : 0;
            t.Count = n < 0 ? 0 : n > MaxTableColumns ? MaxTableColumns : n;
            for (int i = 0; i < t.Count; ++i) {
                t.Ids[i] = state->Columns[i];
                t.Widths[i] = 8;
            }
            t.FixedCol = state ? state->FixedColumns : 0;
        } else {
            t.Count = count > MaxTableColumns ? MaxTableColumns : count;
            t.FixedCol = int(GetPrivateProfileIntA(section, "FixedCol", 0, kSettings));
            char text[260];
            GetPrivateProfileStringA(section, "Id", kDefaultIds, text, sizeof text, kSettings);
            const int ids = ParseList(text, t.Ids);
            GetPrivateProfileStringA(section, "ColWidth", kDefaultWidths, text, sizeof text, kSettings);
            const int widths = ParseList(text, t.Widths);
            // A short list leaves the table fewer columns than it counts.
            if (ids < t.Count)
                t.Count = ids;
            for (int i = widths; i < t.Count; ++i)
                t.Widths[i] = 8;
        }
        t.SortField = 0;
        CheckTableDef(t);
    }
}

void WriteTableDefs()
{
    if (!TableDefs)
        return;
    for (int k = 1; k <= TableDefCount; ++k) {
        const TableDef &t = TableDefs[k - 1];
        char section[16], number[16];
        Section(k, section, sizeof section);
        std::snprintf(number, sizeof number, "%d", t.Count);
        WritePrivateProfileStringA(section, "Count", number, kSettings);
        std::snprintf(number, sizeof number, "%d", t.FixedCol);
        WritePrivateProfileStringA(section, "FixedCol", number, kSettings);
        WritePrivateProfileStringA(section, "Id", List(t.Ids).c_str(), kSettings);
        WritePrivateProfileStringA(section, "ColWidth", List(t.Widths).c_str(), kSettings);
    }
}

void ReadTableName(int k, char name[9])
{
    char section[16], text[64];
    Section(k, section, sizeof section);
    GetPrivateProfileStringA(section, "Name", "未命名", text, sizeof text, kSettings);
    // At most 8 bytes, never half a double-byte character.
    int n = 0;
    while (text[n] && n < 8) {
        const bool lead = static_cast<unsigned char>(text[n]) >= 0x81;
        if (lead && (n + 1 >= 8 || !text[n + 1]))
            break;
        n += lead ? 2 : 1;
    }
    std::memcpy(name, text, size_t(n));
    name[n] = 0;
}
