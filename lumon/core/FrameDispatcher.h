// The frame dispatcher of the request connection writes every answer into the
// local data files and the market tables (TNormalClnt::DispatchFrame); here are
// the merge of history records into a history file and the search it uses.
#pragma once

#include "lumon/core/HistoryRecords.h"

// Writes `count` bars of a period kind (below 8: minute bars, compared by date
// and time; else day bars, compared by date) into the history file: they replace
// the stored bars of their time range, older and newer stored bars stay, and the
// file stays sorted. Bars without a year or out of order are refused: 1 written,
// 0 not.
int MergeHistoryFile(const char *path, const KLineRecord *records, int periodKind, int count);

// Halving search of `time` over `count` stored bars from the last one: the last
// bar probed and the comparison of `time` with it (-1, 0, 1). 1, or 0 when a bar
// with an empty date was met.
int FindHistoryPosition(const KLineRecord *records, int count, PackedDateTime time, int &position,
                        int &comparison, int minuteFlag);
