#include "lumon/views/NoteList.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/UtilData.h"
#include "platform/win/Stdio.h"

bool NoteListHeaderValid(int32_t count, int32_t ringStart, int64_t fileSize)
{
    if (count < 0 || ringStart < 0)
        return false;
    if (int64_t(count) * int64_t(sizeof(NoteRecord)) + 8 != fileSize)
        return false;
    if (count == 0)
        return ringStart == 0;
    return ringStart < count && (ringStart == 0 || count >= NoteListCapacity);
}

bool ParseNoteList(const uint8_t *data, size_t size, std::vector<NoteRecord> &records)
{
    records.clear();
    if (!data || size < 8)
        return false;
    int32_t count, ringStart;
    std::memcpy(&count, data, 4);
    std::memcpy(&ringStart, data + 4, 4);
    if (!NoteListHeaderValid(count, ringStart, int64_t(size)))
        return false;
    const uint8_t *base = data + 8;
    // Oldest first: from the ring start to the end, then the records before it;
    // of a longer list only the newest 3000 are kept.
    const int keep = count < NoteListCapacity ? count : NoteListCapacity;
    records.resize(size_t(keep));
    for (int i = 0; i < keep; ++i) {
        const int64_t slot = (int64_t(ringStart) + (count - keep) + i) % count;
        std::memcpy(&records[size_t(i)], base + slot * int64_t(sizeof(NoteRecord)), sizeof(NoteRecord));
    }
    return true;
}

std::string NoteListPath(int kind)
{
    char path[600];
    std::snprintf(path, sizeof path, "%sdata\\notes\\notes%d.lst", DataRoot, kind);
    return path;
}

int ReadNoteListFile(const char *path, std::vector<NoteRecord> &records)
{
    records.clear();
    std::FILE *f = win::fopen(path, "rb");
    if (!f)
        return 0;
    int32_t header[2] = {-1, -1};
    const bool haveHeader = std::fread(header, 4, 2, f) == 2;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    // The header is checked against the file's size before anything is read.
    if (!haveHeader || size < 0 || !NoteListHeaderValid(header[0], header[1], size)) {
        std::fclose(f);
        return -1;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    std::fseek(f, 0, SEEK_SET);
    const bool whole = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    return whole && ParseNoteList(bytes.data(), bytes.size(), records) ? 1 : -1;
}

bool WriteNoteListFile(const char *path, const std::vector<NoteRecord> &records)
{
    std::FILE *f = win::fopen(path, "wb");
    if (!f)
        return false;
    const int32_t header[2] = {int32_t(records.size()), 0};
    bool ok = std::fwrite(header, 4, 2, f) == 2;
    if (!records.empty())
        ok = ok && std::fwrite(records.data(), sizeof(NoteRecord), records.size(), f) == records.size();
    return std::fclose(f) == 0 && ok;
}
