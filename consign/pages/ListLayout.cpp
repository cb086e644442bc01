#include "consign/pages/ListLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/appframe/CListCtrl.h"
#include "platform/win/Profile.h"

using namespace win;

const ListLayoutKey ListLayoutKeys[7] = {
    {"QOrder", 11},   {"QDeal", 11},    {"QFund", 11}, {"QPosition", 11},
    {"QContract", 7}, {"PreOrder", 8},  {"Plsz", 4},
};

namespace {

struct Sections {
    char page[48];
    char width[48];
    Sections(LPCSTR name)
    {
        std::snprintf(page, sizeof page, "%s Page", name);
        std::snprintf(width, sizeof width, "%s Width", name);
    }
};

int ReadShort(LPCSTR section, int key, int fallback, LPCSTR file)
{
    char name[16];
    std::snprintf(name, sizeof name, "%d", key);
    return static_cast<int16_t>(GetPrivateProfileIntA(section, name, fallback, file));
}

void WriteNumber(LPCSTR section, int key, int value, LPCSTR file)
{
    char name[16], text[16];
    std::snprintf(name, sizeof name, "%d", key);
    std::snprintf(text, sizeof text, "%d", static_cast<int>(static_cast<int16_t>(value)));
    WritePrivateProfileStringA(section, name, text, file);
}

} // namespace

void ReadListLayout(LPCSTR file, LPCSTR name, int *order, int *widths, int columns)
{
    const Sections s(name);
    for (int i = 0; i < columns; ++i) {
        order[i] = ReadShort(s.page, i, 0, file);
        const int width = ReadShort(s.width, i, -1, file);
        widths[i] = width < -1 ? -1 : width;
    }
}

void WriteListLayout(LPCSTR file, LPCSTR name, const int *order, const int *widths, int columns)
{
    const Sections s(name);
    for (int i = 0; i < columns; ++i) {
        WriteNumber(s.page, i, order[i], file);
        WriteNumber(s.width, i, widths[i], file);
    }
}

void SaveListLayout(LPCSTR file, LPCSTR name, const CListCtrl &list, int *order, int columns)
{
    int widths[MAX_LAYOUT_COLUMNS];
    columns = std::min(columns, MAX_LAYOUT_COLUMNS);
    list.GetColumnOrderArray(order, columns);
    for (int i = 0; i < columns; ++i)
        widths[i] = list.GetColumnWidth(i);
    WriteListLayout(file, name, order, widths, columns);
}
