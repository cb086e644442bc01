// The list of errors and warnings of one formula compilation: up to 49 entries
// with their code, text and place in the source, then an overflow entry.
#pragma once

#include <cstdint>

constexpr int ErrorKindWarning = 0;
constexpr int ErrorKindError = 1;

struct ErrorEntry {
    uint16_t Kind;           // 1 error, anything else a warning
    uint16_t Code;
    char Text[124];
    int32_t Line;            // 1-based line of the source, 0 when unknown
    int32_t Column;          // 1-based column within the line, 0 when unknown
};

class TErrorList {
public:
    static constexpr int MaxEntries = 49;

    TErrorList() { Clear(); }
    void Clear();
    // Adds an entry; without a text it reads "Error,Code=<code>" for an error and
    // "Warnning,Code=<code>" for a warning. Once 49 entries are held nothing more
    // is added and the overflow entry reads "Too many errors!".
    void Add(int kind, int code, const char *text, int line = 0, int column = 0);

    int32_t ErrorCount;
    int32_t WarningCount;
    int32_t Count;           // entries held
    ErrorEntry Entries[MaxEntries];
    ErrorEntry Overflow;
};
