#include "consign/pages/OrderWords.h"

using namespace win;

const char *DirectionWord(BYTE flags) { return (flags & 1) ? "买" : "\xA3\xA0卖"; }

const char *OpenCloseWord(BYTE flags)
{
    if (flags & 2)
        return "开仓";
    return (flags & 8) ? "平今" : "平仓";
}

const char *HedgeWord(BYTE flags) { return (flags & 4) ? "保值" : "投机"; }

const char *StatusWord(char status, uint32_t dealt, uint32_t volume)
{
    switch (status) {
    case 'a': return "已经报入";
    case 'c': return "全部成交";
    case 'd': return dealt != 0 && dealt < volume ? "部成部撤" : "已经撤销";
    case 'e': return "错误委托";
    case 'f': return "等待撤除";
    case 'm':
    case 'q': return "主机撤单";
    case 'n': return "等待报入";
    case 'p': return "部分成交";
    default: return "";
    }
}

const char *DirectionLetterWord(char direction)
{
    if (direction == '0')
        return "买";
    if (direction == '1')
        return "\xA3\xA0卖";
    return "";
}

const char *OpenCloseLetterWord(char openClose, char closeToday)
{
    if (openClose == '0')
        return "开仓";
    if (closeToday == '1')
        return "平今";
    if (openClose == '1')
        return "平仓";
    if (openClose == '3')
        return "平今";
    return "";
}
