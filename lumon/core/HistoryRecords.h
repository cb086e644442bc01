// The records of the history and tick files: the 32-byte bar of the day, 5-minute
// and 1-minute files (and of every bar array), and the 20-byte tick.
#pragma once

#include <cstdint>

#include "lumon/core/PackedDateTime.h"

#pragma pack(push, 1)

struct KLineRecord {
    PackedDateTime Time;     // the bar's end; date only in day files
    uint32_t Close;
    uint32_t Open;
    uint32_t High;
    uint32_t Low;
    float Volume;
    float Amount;            // or open interest
    uint16_t Advances;       // of an index
    uint16_t Declines;
};
static_assert(sizeof(KLineRecord) == 32);

struct TickRecord {
    PackedDateTime Time;
    uint32_t Price;
    float Volume;            // cumulative
    float Amount;            // cumulative amount or open interest
    uint8_t Side;            // 0 outer, 1 inner, other neutral
    uint8_t Unused17[3];
};
static_assert(sizeof(TickRecord) == 20);

#pragma pack(pop)
