// The ranking answer file: one record per requested stock, in the order of the
// request, whose layout depends on the quote field ranked; and the sort keys a
// list makes of it, one per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lumon/core/BlockGroup.h"

// The record size of a field's answer; 0 for a field that has no answer file
// (0, 1 and 9 are sorted locally, 22, 23 and 30..33 are not sortable).
int RankRecordSize(int field);

// The default key: rows without data go last in either direction.
inline double DefaultRankKey(int descending) { return descending ? 0.0 : 1e15; }

// The keys of `count` rows from the answer's bytes: records are matched to rows
// by position (after the leading record of field 14); a row without a whole
// record, and a key that is not a finite number, take the field's default. Field
// 21 also stores each value in the fast-change word of the quote record of the
// stock its record names, when that stock exists.
void RankKeysFromAnswer(const uint8_t *data, size_t size, int field, const BlockMember *rows, int count,
                        int descending, double *keys);

// The bytes of an answer file that `count` rows can use (never more); false when
// the file does not open.
bool ReadRankFile(const char *path, int field, int count, std::vector<uint8_t> &bytes);

// "<answer folder><number>.tmp" (the folder of lumon/core's AnswerFileFolder).
std::string RankFilePath(int number);
