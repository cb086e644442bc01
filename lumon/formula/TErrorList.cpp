#include "lumon/formula/TErrorList.h"

#include <cstdio>
#include <cstring>

void TErrorList::Clear()
{
    ErrorCount = 0;
    WarningCount = 0;
    Count = 0;
    std::memset(Entries, 0, sizeof Entries);
    std::memset(&Overflow, 0, sizeof Overflow);
}

void TErrorList::Add(int kind, int code, const char *text, int line, int column)
{
    if (kind == ErrorKindError)
        ++ErrorCount;
    else
        ++WarningCount;
    if (Count >= MaxEntries) {
        Overflow.Kind = 1;
        Overflow.Code = 0;
        std::snprintf(Overflow.Text, sizeof Overflow.Text, "%s", "Too many errors!");
        return;
    }
    ErrorEntry &e = Entries[Count++];
    e.Kind = uint16_t(kind);
    e.Code = uint16_t(code);
    e.Line = line;
    e.Column = column;
    if (text)
        std::snprintf(e.Text, sizeof e.Text, "%s", text);
    else
        std::snprintf(e.Text, sizeof e.Text, "%s,Code=%d", kind == ErrorKindError ? "Error" : "Warnning", code);
}
