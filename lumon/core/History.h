// History and tick reading beside the readers of TDataIO and TMarketData: the
// grouping of raw bars into the bars of the chart periods, and the look-up of a
// dated record (the ex-rights records of a weight file).
#pragma once

#include <cstddef>

#include "lumon/core/HistoryRecords.h"

class TMarketData;

// Period codes: 1 1-minute, 2 3-minute, 3 Cycmins minutes, 4 5-minute, 5 15-,
// 6 30-, 7 60-minute, 8 day, 9 week, 10 month, 11 quarter, 12 Cycdays days.
constexpr int PeriodMin1 = 1;
constexpr int PeriodMin5 = 4;
constexpr int PeriodDay = 8;

// Whether a stock code names one file in a market's folder: not empty, shorter
// than 16 bytes, no path separator or drive colon and no "..".
bool IsFileCode(const char *code);

// Writes the bars of `period` made from `count` raw bars into `out` (room for
// `count` bars); outCount is their number. Amounts are summed in markets of type
// 1 and otherwise (open interest) the newest is kept.
void AggregateBars(int period, const KLineRecord *raw, int count, KLineRecord *out, int &outCount,
                   int marketType);

// From the last of `count` 36-byte records backwards, the first whose date (its
// first word, date part) is not later than the date of `date`: copied to `out`;
// 1, or 0 when there is none.
int FindRecordOnOrBeforeDate(const void *records, int count, PackedDateTime date, void *out);

// "%sdata\<market dir>\<folder>\<code>.<ext>" under the data root; false (and
// nothing written) for a code that is no file code.
bool DataFilePath(char *path, size_t size, const TMarketData &market, const char *folder, const char *code,
                  const char *ext);
