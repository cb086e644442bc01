#include "toolpick/ThemeSlots.h"

const char *const ColourSlotItems[ColourSlotCount] = {
    "01 指标背景",     "02 阴线颜色",       "03 阳线颜色",       "04 指标线一",
    "05 指标线二",     "06 指标线三",       "07 指标线四",       "08 指标线五",
    "09 指标线六",     "10 指标线七",       "11 指标线八",       "12 坐标线",
    "13 坐标文字",     "14 指标边框",       "15 激活边框",       "16 十字游标",
    "17 报表背景",     "18 品种序号",       "19 下跌颜色",       "20 平盘颜色",
    "21 上涨颜色",     "22 报表标题",       "23 激活标题",       "24 信息栏商品名称",
    "25 反显背景",     "26 报价网格",       "27 文档背景",       "28 新闻标题",
    "29 参考线",       "30 时间坐标值",     "31 信息栏文字",     "32 待用",
    "33 指标画面中成交量", "34 报表标题背景", "35 画线作图",       "36 下跌颜色(闪烁)",
    "37 平盘颜色(闪烁)", "38 上涨颜色(闪烁)", "39 量的颜色(闪烁)", "40 窗口边框",
    "41 激活窗口边框", "42 反显前景",       "43 最高、低价-K线", "44 走势线-走势图",
    "45 均线-走势图",  "46 新闻内容",       "47 商品名称-报价",  "48 量-报价",
    "49 金额-报价",    "50 现手-报价",      "51 持仓线-走势图",  "52 上拉页面名称",
    "53 新闻跑马灯",   "54 上拉页面背景",   "55 时区名称",       "56 待用",
    "57 激活按钮-新闻分类", "58 按钮-新闻分类", "59 激活字-新闻搜索", "60 字-新闻搜索",
    "61 待用",         "62 待用",           "63 间隔行-报表",    "64 激活行-报表",
};

const char *const FontSlotItems[FontSlotCount] = {
    "01 待用",         "02 新闻字体",       "03 信息栏中商品名称", "04 信息栏文字",
    "05 信息栏数字",   "06 纵坐标",         "07 +字坐标-走势图", "08 待用",
    "09 待用",         "10 指标名称、数值", "11 +字坐标-K线图",  "12 报表文字",
    "13 报表数字",     "14 报表标题",       "15 待用\t",         "16 提示行文字",
};

namespace {

bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }

// The report sample, row by row.
const char *const ReportTexts[ReportRows][ReportCols] = {
    {"序号", "名称", "最新", "现手", "成交量", "金额/持仓"},
    {"1", "沪铜连续", "28710", "9900", "10194900", "1960.39"},
    {"2", "浦发银行", "15.88", "12345", "238468", "26893"},
    {"3", "恒生指数", "13138.6", "26893", "56120", ""},
    {"4", "美元欧元", "1.2258", "", "", ""},
    {"5", "上涨(闪烁)", "", "", "", ""},
    {"6", "下跌(闪烁)", "", "", "", ""},
    {"7", "平盘(闪烁)", "", "", "", ""},
};

bool HasText(int col, int row) { return *ReportCellText(col, row) != 0; }

} // namespace

const int ReportColWidths[ReportCols] = {48, 80, 64, 48, 64, 80};

SlotChoice PreselectedSlots(Preview preview)
{
    switch (preview) {
    case pvReport:
        return {17, 12};
    case pvNews:
        return {27, 2};
    default:
        return {1, 3};
    }
}

SlotChoice ChartPreviewSlot(int x, int y, int w, int h, int fh)
{
    bool edgeRow = y < 3 || y >= h - 2;
    if ((In(x, 179, 181) && In(y, 1, h - 2)) || (In(y, 169, 171) && In(x, 1, w - 2)))
        return {14, 0};
    if (In(x, 180, 235) && y >= 170)
        return {15, 0};
    if ((In(x, 2, 2 + 7 * fh) || In(x, 45, 45 + 4 * fh)) && In(y, 2, 2 + fh))
        return {13, 0};
    if (In(x, 66, 72) && In(y, 45, 60))
        return {33, 0};
    if (x < 3 || In(x, 233, 235) || (edgeRow && x < 236))
        return {40, 0};
    if (In(x, 235, 237) || x >= w - 2 || (edgeRow && x >= 235))
        return {41, 0};
    if (In(x, 17, 23) && In(y, 20, 35))
        return {2, 0};
    if (In(x, 42, 48) && In(y, 20, 35))
        return {3, 0};
    if (In(y, 25, 40)) {
        if (In(x, 60, 100))
            return {19, 0};
        if (In(x, 100, 140))
            return {20, 0};
        if (In(x, 140, 170))
            return {21, 0};
    }
    // Eight indicator lines, each owning the band from 5 above to 5 below it;
    // a shared bound belongs to the upper line.
    if (In(x, 50, 150) && In(y, 75, 155))
        return {y == 75 ? 4 : 4 + (y - 76) / 10, 0};
    if (In(x, 275, 355) && In(y, 145, 155))
        return {29, 0};
    if (In(x, 275, 355) && In(y, 135, 145))
        return {12, 0};
    if (In(x, 238, 238 + 2 * fh) && In(y, 130, 130 + fh))
        return {13, 6};
    if (In(x, 2, 180) && In(y, 170, 193))
        return {30, 0};
    if (In(x, 181, 235) && In(y, 2, 2 + fh))
        return {24, 3};
    if (In(x, 181, 210) && In(y, 30, 30 + fh))
        return {31, 4};
    if (In(x, 181, 210) && In(y, 50, 50 + fh))
        return {31, 5};
    if (In(x, 181, 230) && In(y, 155, 170))
        return {55, 0};
    if (In(x, 315, 355) && In(y, 50, 62))
        return {44, 0};
    if (In(x, 275, 302) && In(y, 70, 82))
        return {45, 0};
    if (In(x, 275, 315) && In(y, 100, 112))
        return {51, 0};
    return {1, 0};
}

SlotChoice ReportPreviewSlot(int col, int row, bool onText)
{
    onText = onText && HasText(col, row);
    if (row == 0)
        return {onText ? (col == 0 ? 23 : 22) : 34, 14};
    int font = col == 1 ? 12 : 13;
    int background = row == 3 ? 64 : 17;
    switch (col) {
    case 0:
        return {onText ? 18 : background, font};
    case 1:
        if (row >= 5)
            return {onText ? (row == 5 ? 38 : row == 6 ? 36 : 37) : 17, font};
        return {onText ? 47 : background, font};
    case 2: {
        static const int text[] = {0, 42, 21, 19, 20};
        if (onText)
            return {text[row], font};
        return {row == 1 ? 25 : background, font};
    }
    case 3: {
        static const int text[] = {0, 42, 50, 50};
        if (onText)
            return {text[row], font};
        return {row == 1 ? 25 : background, font};
    }
    case 4: {
        static const int text[] = {0, 39, 48, 48};
        if (row == 6)
            return {63, font};
        if (onText)
            return {text[row], font};
        return {background, font};
    }
    default:
        if (row == 3)
            return {64, font};
        return {onText ? 49 : 17, font};
    }
}

int NewsPreviewSlot(int x, int y)
{
    if (In(x, 13, 97) && In(y, 1, 17))
        return 57;
    if (In(x, 99, 269) && In(y, 1, 17))
        return 58;
    if (In(x, 21, 33) && In(y, 19, 53))
        return 59;
    if ((In(x, 53, 71) || In(x, 91, 131)) && In(y, 19, 53))
        return 60;
    if (In(x, 1, 73) && In(y, 47, 74))
        return 28;
    if (In(x, 1, 139) && In(y, 81, 114))
        return 46;
    return 27;
}

Preview PreviewOfColourSlot(int slot)
{
    if (In(slot, 1, 16) || In(slot, 19, 21) || slot == 24 || In(slot, 29, 31) || slot == 33 || slot == 35 ||
        slot == 40 || slot == 41 || In(slot, 43, 45) || slot == 51 || slot == 55)
        return pvChart;
    if (slot == 27 || slot == 28 || slot == 46 || In(slot, 57, 60))
        return pvNews;
    if (slot == 32 || In(slot, 52, 54) || slot == 56 || slot == 61 || slot == 62)
        return pvNone;
    return pvReport;
}

Preview PreviewOfFontSlot(int slot)
{
    if (slot == 2)
        return pvNews;
    if (In(slot, 3, 7) || slot == 10 || slot == 11 || slot == 16)
        return pvChart;
    if (In(slot, 12, 14))
        return pvReport;
    return pvNone;
}

const char *ReportCellText(int col, int row)
{
    if (!In(col, 0, ReportCols - 1) || !In(row, 0, ReportRows - 1))
        return "";
    return ReportTexts[row][col];
}

int ReportCellBackground(int col, int row)
{
    if (row == 0)
        return 34;
    if (row == 3)
        return 64;
    if (row == 2 || row == 4 || row == 6)
        return 63;
    if (row == 1 && (col == 2 || col == 3))
        return 25;
    return 17;
}

int ReportCellFont(int col, int row)
{
    if (row == 0)
        return 14;
    return col == 1 ? 12 : 13;
}
