#include "lumon/shell/ViewAttr.h"

#include <cstring>

#include "platform/win/Profile.h"

using namespace win;

namespace {

constexpr int32_t kReportColumns[16] = {0, 1, 6, 24, 25, 26, 28, 29, 7, 10, 8, 30, 3, 4, 5, 11};
constexpr int32_t kTrendItems[4] = {0, 1, 2, 3};
constexpr int32_t kKLineItems[6] = {3, 322, 45, 321, 87, 42};

int TwoDigits(const char *p)
{
    auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : 0; };
    return digit(p[0]) * 10 + digit(p[1]);
}

} // namespace

int ReadSysBlocks(int32_t *blocks, int capacity)
{
    char text[256] = {};
    GetPrivateProfileStringA("PARAMETER", "SysBlocks", "28 29 30 33 34 35 36 31 39 40", text, sizeof text,
                             "..\\CFG\\SETTING.INI");
    int length = static_cast<int>(std::strlen(text));
    int count = (length + 1) / 3;
    if (count > capacity)
        count = capacity;
    for (int i = 0; i < count; ++i)
        blocks[i] = TwoDigits(text + 3 * i);
    return count;
}

int InitViewAttr(uint16_t viewType, VIEW_ATTR *attr)
{
    std::memset(attr, 0, sizeof *attr);
    attr->ViewType = viewType;
    switch (viewType) {
    case VIEW_REPORT:
        attr->ItemCount = 16;
        std::memcpy(attr->Items, kReportColumns, sizeof kReportColumns);
        attr->Flags = 0xFFFFu << 12;
        attr->BlockCount = ReadSysBlocks(attr->Blocks, 16);
        return 1;
    case VIEW_RANKING:
        attr->BlockCount = 1;
        attr->Blocks[0] = 11;
        return 1;
    case VIEW_TREND:
        attr->ItemCount = 2;
        std::memcpy(attr->Items, kTrendItems, sizeof kTrendItems);
        attr->Mode = 1;
        return 1;
    case VIEW_KLINE:
        attr->ItemCount = 3;
        std::memcpy(attr->Items, kKLineItems, sizeof kKLineItems);
        attr->Param = 8;
        attr->Mode = 2;
        return 1;
    case VIEW_NEWS:
    case VIEW_TEXT:
    case VIEW_NOTES:
        return 1;
    default:
        return 0;
    }
}

void InitViewState(VIEW_STATE *state)
{
    std::memset(state, 0, sizeof *state);
    VIEW_ATTR report;
    InitViewAttr(VIEW_REPORT, &report);
    state->BlockCount = report.BlockCount;
    std::memcpy(state->Blocks, report.Blocks, sizeof state->Blocks);
    state->ColumnCount = report.ItemCount;
    std::memcpy(state->Columns, report.Items, sizeof state->Columns);
    state->FixedColumns = report.Param;
    state->TrendCount = 2;
    std::memcpy(state->TrendItems, kTrendItems, sizeof kTrendItems);
    state->KLineCount = 3;
    std::memcpy(state->KLineItems, kKLineItems, sizeof kKLineItems);
    state->InfoWindow = 1;
}
