// The 16-bit stock entry of subscriptions, statistics and ranking lists: market
// index (0..15) in bits 0-3, stock index within the market (0..4095) in bits
// 4-15, as the entries travel on the wire.
#pragma once

#include <cstdint>

using STKMS = uint16_t;

inline STKMS MakeSTKMS(int market, int index)
{
    return STKMS((unsigned(index) & 0x0FFFu) << 4 | (unsigned(market) & 0x0Fu));
}
inline int STKMSMarket(STKMS entry) { return entry & 0x0F; }
inline int STKMSIndex(STKMS entry) { return entry >> 4; }
