// A note list file of any content parsed as the notes view parses it: lists
// that are no list are refused, the records taken stay within the bytes and
// the 3000 kept, and every record's line and file name are made from bounded
// fields (titles and names need not end in a NUL), a name never leaving the
// notes folder.
// fuzz-deps: lumon_views
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/NewsIndex.h"
#include "lumon/views/NoteList.h"
#include "lumon/views/ViewCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<NoteRecord> records;
    const bool valid = ParseNoteList(data, size, records);
    if (!valid && !records.empty())
        __builtin_trap();
    if (valid) {
        int32_t count;
        std::memcpy(&count, data, 4);
        if (records.size() > size_t(NoteListCapacity) || int64_t(records.size()) > count)
            __builtin_trap();
    }
    for (const NoteRecord &r : records) {
        const std::string line = NewsLineText(r.DateTime, r.Title, sizeof r.Title);
        if (line.size() > 160)
            __builtin_trap();
        char name[17];
        if (TakeRecordFileName(r.FileName, sizeof r.FileName, name, sizeof name) &&
            (std::strchr(name, '\\') || std::strchr(name, '/') || std::strstr(name, "..")))
            __builtin_trap();
    }
    return 0;
}
