#include "lumon/views/DrawnLines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/formula/TIndex.h"
#include "lumon/views/TLine.h"
#include "platform/win/Stdio.h"

namespace {

constexpr char Magic[4] = {'P', 'S', 'L', '1'};

// The whole file, or false when it cannot be opened.
bool ReadWhole(const char *path, std::string &bytes)
{
    std::FILE *f = win::fopen(path, "rb");
    if (!f)
        return false;
    bytes.clear();
    long size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
    std::fseek(f, 0, SEEK_SET);
    if (size > 0) {
        bytes.resize(size_t(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    }
    std::fclose(f);
    return true;
}

bool WriteEntry(std::FILE *f, const LineFileEntry &e)
{
    if (std::fwrite(&e.Head, sizeof e.Head, 1, f) != 1)
        return false;
    if (e.Head.Kind != LK_TEXT)
        return true;
    int32_t length = int32_t(e.Text.size());
    return std::fwrite(&length, 4, 1, f) == 1 && std::fwrite(e.Text.data(), 1, e.Text.size(), f) == e.Text.size();
}

} // namespace

std::vector<LineFileEntry> ParseLineFile(const std::string &bytes, bool *magic)
{
    std::vector<LineFileEntry> entries;
    size_t pos = 0;
    int64_t count;
    bool headed = bytes.size() >= 4 && std::memcmp(bytes.data(), Magic, 4) == 0;
    if (magic)
        *magic = headed;
    if (headed) {
        if (bytes.size() < 8)
            return entries;
        int32_t n;
        std::memcpy(&n, bytes.data() + 4, 4);
        count = n;
        pos = 8;
    } else {
        count = int64_t(bytes.size() / sizeof(LineFileRecord));
    }
    entries.reserve(size_t(std::min<int64_t>(std::max<int64_t>(count, 0), int64_t(bytes.size() / sizeof(LineFileRecord)))));
    for (int64_t i = 0; i < count; ++i) {
        LineFileEntry e;
        if (bytes.size() - pos < sizeof e.Head)
            break;
        std::memcpy(&e.Head, bytes.data() + pos, sizeof e.Head);
        pos += sizeof e.Head;
        if (e.Head.Kind == LK_TEXT) {
            int32_t length;
            if (bytes.size() - pos < 4)
                break;
            std::memcpy(&length, bytes.data() + pos, 4);
            pos += 4;
            if (length < 0 || length > MaxLineTextLength || bytes.size() - pos < size_t(length))
                break;
            e.Text.assign(bytes.data() + pos, size_t(length));
            pos += size_t(length);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

bool LineOwnerOf(const TIndex *object, LineOwner &owner)
{
    const StockStaticRecord *s = object ? TDataIO::GetStock(object->Stock) : nullptr;
    if (!s)
        return false;
    owner = LineOwner{};
    owner.IndexId = object->Id;
    owner.Period = object->Period;
    owner.Market = s->Market;
    std::memcpy(owner.Code, s->Code, sizeof s->Code);
    return true;
}

bool RecordBelongsTo(const LineFileRecord &record, const LineOwner &owner)
{
    return record.IndexId == owner.IndexId && record.Period == owner.Period && record.Market == owner.Market &&
           std::strncmp(record.Code, owner.Code, sizeof record.Code) == 0;
}

bool RemoveStockLines(const char *path, const LineOwner *owners, int count)
{
    std::string bytes;
    if (!ReadWhole(path, bytes))
        return false;
    std::vector<LineFileEntry> entries = ParseLineFile(bytes);
    std::vector<const LineFileEntry *> kept;
    for (const LineFileEntry &e : entries) {
        bool owned = false;
        for (int i = 0; i < count && !owned; ++i)
            owned = RecordBelongsTo(e.Head, owners[i]);
        if (!owned)
            kept.push_back(&e);
    }
    std::FILE *f = win::fopen(path, "wb");
    if (!f)
        return false;
    int32_t n = int32_t(kept.size());
    bool ok = std::fwrite(Magic, 4, 1, f) == 1 && std::fwrite(&n, 4, 1, f) == 1;
    for (const LineFileEntry *e : kept)
        ok = ok && WriteEntry(f, *e);
    return std::fclose(f) == 0 && ok;
}

bool AppendLineRecords(const char *path, const std::vector<LineFileEntry> &entries)
{
    std::FILE *f = win::fopen(path, "r+b");
    char head[4] = {};
    if (f && (std::fread(head, 1, 4, f) != 4 || std::memcmp(head, Magic, 4) != 0)) {
        std::fclose(f);
        f = nullptr;
    } else if (f) {
        std::fseek(f, 0, SEEK_END);
    }
    if (!f) {
        f = win::fopen(path, "w+b");
        if (!f)
            return false;
        int32_t zero = 0;
        if (std::fwrite(Magic, 4, 1, f) != 1 || std::fwrite(&zero, 4, 1, f) != 1) {
            std::fclose(f);
            return false;
        }
    }
    bool ok = true;
    for (const LineFileEntry &e : entries)
        ok = ok && WriteEntry(f, e);
    int32_t count = 0;
    ok = ok && std::fseek(f, 4, SEEK_SET) == 0 && std::fread(&count, 4, 1, f) == 1;
    count += int32_t(entries.size());
    ok = ok && std::fseek(f, 4, SEEK_SET) == 0 && std::fwrite(&count, 4, 1, f) == 1;
    return std::fclose(f) == 0 && ok;
}

void TDrawnLines::LoadDrawnLines(TIndex *const *objects, int itemCount, const char *path)
{
    std::string bytes;
    if (!ReadWhole(path, bytes))
        return;
    LineCount = 0;
    SelLine = 0;
    LineEditState = 0;
    std::vector<LineOwner> owners(size_t(itemCount > 0 ? itemCount : 0));
    std::vector<bool> known(owners.size());
    for (size_t i = 0; i < owners.size(); ++i)
        known[i] = LineOwnerOf(objects[i], owners[i]);
    for (const LineFileEntry &e : ParseLineFile(bytes)) {
        if (LineCount >= MaxDrawnLines)
            break;
        int kind = e.Head.Kind;
        if (kind < 1 || kind > LineKindCount)
            continue;
        size_t taker = owners.size();
        for (size_t i = 0; i < owners.size() && taker == owners.size(); ++i)
            if (known[i] && RecordBelongsTo(e.Head, owners[i]))
                taker = i;
        if (taker == owners.size())
            continue;
        TIndex *pane = objects[taker];
        TLine *&slot = Lines[LineCount];
        if (!MakeDrawLine(slot, kind, pane, &pane->PlotRect))
            continue;
        TLine *line = slot;
        bool finite = true;
        for (int j = 0; j < line->AnchorCount; ++j)
            finite = finite && std::isfinite(e.Head.Value[j]);
        if (!finite) {
            delete slot;
            slot = nullptr;
            continue;
        }
        if (kind == LK_TEXT) {
            line->Text = static_cast<char *>(EMemAlloc(e.Text.size() + 1));
            if (!line->Text) {
                delete slot;
                slot = nullptr;
                continue;
            }
            std::memcpy(line->Text, e.Text.data(), e.Text.size());
            line->TextExtent = MeasureLineText(line->Text);
        }
        for (int j = 0; j < line->AnchorCount; ++j) {
            line->Anchors[j].time = e.Head.Time[j];
            line->Anchors[j].value = e.Head.Value[j];
            line->Anchors[j].flag = 1;
        }
        line->State = 1;
        ++LineCount;
    }
    SelLine = LineCount;
}

bool TDrawnLines::RecordOfLine(TLine *line, LineFileEntry &entry)
{
    LineOwner owner;
    if (!line || !LineOwnerOf(line->Pane, owner))
        return false;
    entry = LineFileEntry{};
    LineFileRecord &r = entry.Head;
    r.IndexId = owner.IndexId;
    r.Period = owner.Period;
    r.Market = owner.Market & 0xFF;
    std::memcpy(r.Code, owner.Code, sizeof r.Code);
    r.Kind = line->Kind;
    for (int j = 0; j < line->AnchorCount && j < 2; ++j) {
        r.Time[j] = line->Anchors[j].time;
        r.Value[j] = line->Anchors[j].value;
    }
    if (line->Kind == LK_TEXT && line->Text)
        entry.Text.assign(line->Text, strnlen(line->Text, MaxLineTextLength));
    return true;
}

void TDrawnLines::SaveDrawnLines(TIndex *const *objects, int itemCount, const char *path)
{
    std::vector<LineOwner> owners;
    for (int i = 0; i < itemCount; ++i) {
        LineOwner owner;
        if (LineOwnerOf(objects[i], owner))
            owners.push_back(owner);
    }
    // A file that exists but cannot be rewritten keeps the chart's old records:
    // appending to it then would only double them.
    if (!RemoveStockLines(path, owners.data(), int(owners.size())) && win::access(path, 0) == 0)
        return;
    if (LineCount == 0)
        return;
    std::vector<LineFileEntry> entries;
    for (int i = 0; i < LineCount; ++i) {
        LineFileEntry e;
        if (RecordOfLine(Lines[i], e))
            entries.push_back(std::move(e));
    }
    AppendLineRecords(path, entries);
}

void TDrawnLines::FreeDrawnLines()
{
    for (TLine *&line : Lines) {
        delete line;
        line = nullptr;
    }
    LineCount = 0;
    SelLine = 0;
    LineEditState = 0;
}

void TDrawnLines::DeleteSelectedLine()
{
    if (SelLine < 0 || SelLine >= LineCount)
        return;
    int gone = SelLine;
    delete Lines[gone];
    for (int i = gone; i < LineCount - 1; ++i)
        Lines[i] = Lines[i + 1];
    Lines[--LineCount] = nullptr;
    // Links to the deleted line go; links to the lines after it follow them down.
    for (int i = 0; i < LineCount; ++i) {
        TLine *line = Lines[i];
        if (line->Kind < LK_LINE || line->Kind > LK_PARALLEL)
            continue;
        for (int32_t *link : {&line->Partner(), &line->Parent()}) {
            if (*link == gone)
                *link = -1;
            else if (*link > gone)
                --*link;
        }
    }
}
