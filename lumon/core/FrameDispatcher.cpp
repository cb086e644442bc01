#include "lumon/core/FrameDispatcher.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/FrameHead.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/RequestRing.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/ExclusiveFile.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Messages.h"
#include "platform/win/Random.h"
#include "platform/win/Stdio.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

constexpr int kMergeRecords = 5000;
constexpr int kMaxTicksPerFrame = 20400;
constexpr int kNotesCapacity = 3000;
constexpr int kNoteRecordSize = 108;
constexpr int kNewsWireSize = 88;
constexpr LPARAM kUnknownStock = LPARAM(0xFFFFFFFFu);

KLineRecord *MergeBuffer()
{
    static KLineRecord *buffer = static_cast<KLineRecord *>(EMemAlloc(kMergeRecords * sizeof(KLineRecord)));
    return buffer;
}

void Notify(uint32_t wParam, LPARAM lParam)
{
    if (MFrame && MFrame->GetFrameWindow())
        PostMessageA(MFrame->GetFrameWindow(), WM_SERVER_DATA, wParam, lParam);
}

// The market of a byte from the network, when the table holds it with its arrays.
TMarketData *Market(int market)
{
    if (market < 0 || market >= MarketTable.Count || market >= MaxMarkets)
        return nullptr;
    TMarketData *md = MarketTable.Markets[market];
    return md && md->Statics && md->Quotes && md->Aux && md->Infos ? md : nullptr;
}

// A stock code from the network as a file name: printable ASCII without
// separators or wildcards, not "." or "..", within `size` bytes.
bool TakeCode(const uint8_t *field, size_t size, char *out)
{
    size_t n = strnlen(reinterpret_cast<const char *>(field), size);
    if (n == 0 || n >= 16)
        return false;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = field[i];
        if (c <= 0x20 || c >= 0x7F || std::strchr("\\/:*?\"<>|", c))
            return false;
    }
    std::memcpy(out, field, n);
    out[n] = 0;
    return std::strcmp(out, ".") != 0 && std::strcmp(out, "..") != 0;
}

// A note name from the server as a file name of the notes folder (GBK allowed).
bool TakeNoteName(const char *name, char *out)
{
    size_t n = strnlen(name, 16);
    if (n == 0)
        return false;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = uint8_t(name[i]);
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
            return false;
    }
    std::memcpy(out, name, n);
    out[n] = 0;
    return std::strcmp(out, ".") != 0 && std::strcmp(out, "..") != 0;
}

LPARAM StockIdOf(int market, const char *code)
{
    TMarketData *md = Market(market);
    int index = md ? md->FindStockByCode(code) : -1;
    if (index < 0)
        return kUnknownStock;
    return LPARAM(MakeStockId(market, md->GetStockClass(index), index));
}

// Creates the data folder and the folders below it that `format` names.
void MakeFolders(const char *path)
{
    char folder[600];
    std::snprintf(folder, sizeof folder, "%s", path);
    char *cut = std::strrchr(folder, '\\');
    if (cut) {
        *cut = 0;
        MakeDirectoryPath(folder);
    }
}

// Creates the file on the first frame of an answer, appends on the others.
void WriteAnswerFile(const char *path, bool first, const uint8_t *bytes, int length)
{
    MakeFolders(path);
    if (std::FILE *f = win::fopen(path, first ? "wb" : "ab")) {
        if (length > 0)
            std::fwrite(bytes, 1, size_t(length), f);
        std::fclose(f);
    }
}

int CompareBars(PackedDateTime a, PackedDateTime b, int minuteFlag)
{
    int c = minuteFlag ? ComparePackedDateTime(a, b) : ComparePackedDate(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

int FindHistoryPosition(const KLineRecord *records, int count, PackedDateTime time, int &position,
                        int &comparison, int minuteFlag)
{
    position = 0;
    comparison = 1;
    if (count <= 0)
        return 1;
    int low = 0, high = count - 1, probe = high;
    for (int steps = 0; steps < 80; ++steps) {
        if ((records[probe].Time >> 16) == 0)
            return 0;
        position = probe;
        comparison = CompareBars(time, records[probe].Time, minuteFlag);
        if (comparison == 0)
            break;
        if (comparison > 0)
            low = probe == low ? probe + 1 : probe;
        else
            high = probe;
        if (low > high || (low == high && probe == low))
            break;
        const int next = (low + high) / 2;
        if (next == probe)
            break;
        probe = next;
    }
    return 1;
}

int MergeHistoryFile(const char *path, const KLineRecord *records, int periodKind, int count)
{
    const int minute = periodKind < 8 ? 1 : 0;
    if (count <= 0)
        return 0;
    for (int i = 0; i < count; ++i) {
        if ((records[i].Time >> 16) < 16)
            return 0;
        if (i + 1 < count && ComparePackedDateTime(records[i].Time, records[i + 1].Time) > 0)
            return 0;
    }
    constexpr int kSize = int(sizeof(KLineRecord));
    int h = FileOpen(path, "w+b");
    if (h < 1)
        return 0;
    const int stored = FileGetSize(h) / kSize;
    if (stored < 1) {
        FileSeek(h, 0, 0);
        int bytes = FileWrite(h, records, kSize, count);
        FileTruncate(h, bytes);
        FileClose(h);
        return 1;
    }
    // The newest stored bars sit in the merge buffer; new bars older than its
    // first one need the whole file, read into a buffer of that size.
    KLineRecord *window = MergeBuffer();
    std::vector<KLineRecord> whole;
    int base = stored > kMergeRecords ? stored - kMergeRecords : 0;
    int held = stored - base;
    if (window) {
        FileSeek(h, base * kSize, 0);
        held = FileRead(h, window, kSize, held) / kSize;
    }
    if (!window || held != stored - base ||
        (base > 0 && CompareBars(records[0].Time, window[0].Time, minute) <= 0)) {
        whole.resize(size_t(stored));
        FileSeek(h, 0, 0);
        held = FileRead(h, whole.data(), kSize, stored) / kSize;
        window = whole.data();
        base = 0;
    }
    int first, firstCmp, last, lastCmp;
    if (!FindHistoryPosition(window, held, records[0].Time, first, firstCmp, minute) ||
        !FindHistoryPosition(window, held, records[count - 1].Time, last, lastCmp, minute)) {
        FileClose(h);
        return 0;
    }
    if (firstCmp > 0)
        ++first;
    if (lastCmp < 0)
        --last;
    FileSeek(h, (base + first) * kSize, 0);
    FileWrite(h, records, kSize, count);
    const int tail = held - (last + 1);
    if (tail > 0 && first + count != last + 1)
        FileWrite(h, window + last + 1, kSize, tail);
    FileTruncate(h, (base + first + count + (tail > 0 ? tail : 0)) * kSize);
    FileClose(h);
    return 1;
}

void TNormalClnt::DispatchFrame(const uint8_t *body, int length)
{
    const int count = m_Head.FrameCount ? m_Head.FrameCount : 1;
    const bool first = m_Head.FrameIndex == 0;
    const bool last = m_Head.FrameIndex + 1 >= count;
    if (first)
        m_AnswerHadData = 0;
    switch (m_Head.Type) {
    case kFrameNothing:
        break;
    case kFrameStatistics:
        OnStatistics(body, length, last);
        break;
    case kFrameHistory:
        OnHistory(body, length, last);
        break;
    case kFrameNews:
        OnNews(body, length, first, last);
        break;
    case kFrameNotes:
        OnNotes(body, length, first, last);
        break;
    case kFrameWeights:
    case kFrameBaseText:
        OnFileAnswer(body, length, first, last);
        break;
    case kFrameTicks:
        OnTicks(body, length, last);
        break;
    case kFrameSortData:
        OnSortData(body, length, first, last);
        break;
    case kFrameStockInfo:
        OnStockInfo(body, length, last);
        break;
    case kFrameSystemMessages:
    case kFrameRealtimeMessages:
        OnMessages(body, length, first, last);
        break;
    default:
        return;
    }
    // The last frame retires its request, also when it carries nothing.
    if (last)
        CompleteRequest(m_Head);
}

void TNormalClnt::OnStatistics(const uint8_t *body, int length, bool last)
{
    for (int at = 0; at + 27 <= length; at += 27) {
        const STKMS entry = Get16(body + at);
        TMarketData *md = Market(STKMSMarket(entry));
        const int index = STKMSIndex(entry);
        if (!md || index >= md->StockCount)
            continue;
        StockAuxRecord &aux = md->Aux[index];
        aux.RefFlag = 1;
        aux.SideFlag = body[at + 2];
        std::memcpy(reinterpret_cast<uint8_t *>(&aux) + 2, body + at + 3, 24);
    }
    if (last)
        Notify(0x90000, 0);
}

void TNormalClnt::OnHistory(const uint8_t *body, int length, bool last)
{
    char code[16];
    TMarketData *md = length >= 14 ? Market(body[1]) : nullptr;
    if (!md || !TakeCode(body + 2, 12, code))
        return;
    const int kind = body[0];
    const int n = (length - 14) / int(sizeof(KLineRecord));
    if (n > 0) {
        const char *folder = kind >= 8 ? "day" : (kind < 4 ? "min1" : "min");
        const char *ext = kind >= 8 ? "day" : (kind < 4 ? "m1" : "min");
        char path[600];
        std::snprintf(path, sizeof path, "%sData\\%s\\%s\\%s.%s", DataRoot, md->Info.Dir, folder, code, ext);
        MakeFolders(path);
        std::vector<KLineRecord> bars(static_cast<size_t>(n));
        std::memcpy(bars.data(), body + 14, size_t(n) * sizeof(KLineRecord));
        MergeHistoryFile(path, bars.data(), kind, n);
        m_AnswerHadData = 1;
    }
    if (last && m_AnswerHadData) {
        InvalidateCachedBars(body[1], code, kind);
        Notify(0xC0000u + uint32_t(kind), StockIdOf(body[1], code));
    }
}

void TNormalClnt::OnNews(const uint8_t *body, int length, bool first, bool last)
{
    if (length < 2)
        return;
    char path[600];
    if (body[0] == kNewsText) {
        if (first)
            m_InfoTextId = GetInfoTextRequestId();
        if (m_InfoTextId < 0)
            return;
        std::snprintf(path, sizeof path, "%sdata\\info\\%08d.txt", DataRoot, m_InfoTextId);
        WriteAnswerFile(path, first, body + 2, length - 2);
        if (last) {
            Notify(0xF0002, LPARAM(m_InfoTextId));
            m_InfoTextId = -1;
        }
        return;
    }
    if (body[0] != kNewsIndexSince)
        return;
    const int n = (length - 2) / kNewsWireSize;
    int accepted = 0;
    for (int i = 0; i < n; ++i)
        if (!MFrame || MFrame->HasFunctionRight(body[2 + i * kNewsWireSize + 1]))
            ++accepted;
    if (accepted > 0) {
        std::snprintf(path, sizeof path, "%sdata\\info\\news.ntl", DataRoot);
        MakeFolders(path);
        TNewsIndex index(path, 1);
        index.MakeRoom(accepted);
        for (int i = 0; i < n; ++i) {
            const uint8_t *w = body + 2 + i * kNewsWireSize;
            if (MFrame && !MFrame->HasFunctionRight(w[1]))
                continue;
            NewsRecord record{};
            record.TypeRead = uint32_t(w[1]) * 2;
            record.DateTime = Get32(w + 4);
            record.Id = Get16(w + 2);
            std::memcpy(record.Title, w + 8, strnlen(reinterpret_cast<const char *>(w + 8), 79));
            std::snprintf(record.FileName, sizeof record.FileName, "%08d.txt", record.Id);
            index.Add(record, 1);
        }
    }
    if (last)
        Notify(0xF0000, 0);
}

void TNormalClnt::OnNotes(const uint8_t *body, int length, bool first, bool last)
{
    if (length < 2)
        return;
    char path[600];
    if (body[0] == 1) {
        char raw[16], name[17];
        if (!GetNoteRequestName(raw) || !TakeNoteName(raw, name))
            return;
        std::snprintf(path, sizeof path, "%sdata\\notes\\%s", DataRoot, name);
        WriteAnswerFile(path, first, body + 2, length - 2);
        if (last && MFrame)
            MFrame->ShowNote(name);
        return;
    }
    if (body[0] != 0)
        return;
    const int market = body[1];
    int n = (length - 2) / kNoteRecordSize;
    if (n > kNotesCapacity)
        n = kNotesCapacity;
    std::snprintf(path, sizeof path, "%sdata\\notes\\notes%d.lst", DataRoot, market);
    MakeFolders(path);
    int h = FileOpen(path, "r+b");
    if (h >= 1) {
        uint32_t header[2] = {0, 0};
        const int size = FileGetSize(h);
        FileRead(h, header, 4, 2);
        uint32_t held = header[0], next = header[1];
        if (size < 8 || held > uint32_t(kNotesCapacity) || int64_t(held) * kNoteRecordSize + 8 != size ||
            (next != 0 && held < uint32_t(kNotesCapacity)) || (held > 0 && next >= held)) {
            held = next = 0;
            FileTruncate(h, 8);
        }
        uint8_t record[kNoteRecordSize];
        uint32_t slot = held < uint32_t(kNotesCapacity) ? held : next;
        for (int i = 0; i < n; ++i) {
            const uint8_t *w = body + 2 + i * kNoteRecordSize;
            std::memset(record, 0, sizeof record);
            std::memcpy(record, w, 6);
            record[6] = 1;
            std::memcpy(record + 8, w + 6, 80);
            std::memcpy(record + 88, w + 90, 16);
            const uint32_t value = Get32(w + 86) & 0x3FFFFFFFu;
            std::memcpy(record + 104, &value, 4);
            FileSeek(h, 8 + int(slot) * kNoteRecordSize, 0);
            FileWrite(h, record, kNoteRecordSize, 1);
            slot = (slot + 1) % kNotesCapacity;
        }
        if (held < uint32_t(kNotesCapacity)) {
            if (held + uint32_t(n) > uint32_t(kNotesCapacity)) {
                next = held + uint32_t(n) - kNotesCapacity;
                held = kNotesCapacity;
            } else {
                held += uint32_t(n);
                next = 0;
            }
        } else {
            next = (next + uint32_t(n)) % kNotesCapacity;
        }
        header[0] = held;
        header[1] = next;
        FileSeek(h, 0, 0);
        FileWrite(h, header, 4, 2);
        FileClose(h);
    }
    if (last)
        Notify(0x100000, LPARAM(market));
}

void TNormalClnt::OnFileAnswer(const uint8_t *body, int length, bool first, bool last)
{
    char code[16];
    TMarketData *md = length >= 13 ? Market(body[0]) : nullptr;
    if (!md || !TakeCode(body + 5, 8, code))
        return;
    const bool weights = m_Head.Type == kFrameWeights;
    char path[600];
    std::snprintf(path, sizeof path, weights ? "%sData\\%s\\weight\\%s.wgt" : "%sData\\%s\\base\\%s.Txt",
                  DataRoot, md->Info.Dir, code);
    WriteAnswerFile(path, first, body + 13, length - 13);
    if (last)
        Notify(weights ? 0x120000 : 0x150000, StockIdOf(body[0], code));
}

void TNormalClnt::OnTicks(const uint8_t *body, int length, bool last)
{
    char code[16];
    TMarketData *md = length >= 14 ? Market(body[1]) : nullptr;
    if (!md || !TakeCode(body + 2, 12, code))
        return;
    int n = (length - 14) / int(sizeof(TickRecord));
    if (n > kMaxTicksPerFrame)
        n = kMaxTicksPerFrame;
    if (n > 0 && m_WorkBuf) {
        char path[600];
        std::snprintf(path, sizeof path, "%sdata\\%s\\tick\\%s.tik", DataRoot, md->Info.Dir, code);
        MakeFolders(path);
        std::memcpy(m_WorkBuf, body + 14, size_t(n) * sizeof(TickRecord));
        int h = FileOpen(path, "r+b");
        if (h >= 1) {
            FileSeek(h, 0, 2);
            FileWrite(h, m_WorkBuf, sizeof(TickRecord), n);
            FileClose(h);
        }
        m_AnswerHadData = 1;
    }
    if (last && m_AnswerHadData)
        Notify(0x140000, StockIdOf(body[1], code));
}

void TNormalClnt::DropSortFile()
{
    if (!m_SortFile)
        return;
    std::fclose(m_SortFile);
    m_SortFile = nullptr;
    win::remove(m_SortPath.c_str());
}

void TNormalClnt::OnSortData(const uint8_t *body, int length, bool first, bool last)
{
    const std::string temp = AnswerFileFolder();
    if (temp.empty())
        return;
    // The answer gathers in a file of a fresh name, created exclusively: a fixed
    // name in a shared folder could be a link another user planted.
    if (first) {
        DropSortFile();
        m_SortFile = CreateExclusiveFile(temp, "sortdata", ".tmp", m_SortPath);
    }
    if (m_SortFile && length >= 1)
        std::fwrite(body + 1, 1, size_t(length - 1), m_SortFile);
    if (!last)
        return;
    if (m_SortFile) {
        std::fflush(m_SortFile);
        std::rewind(m_SortFile);
    }
    const void *requester = nullptr;
    int32_t counter = 0;
    const int mode = GetSortRequestInfo(&requester, &counter);
    if (mode == 0) {
        // A fresh name of our own: created exclusively, so that no file that
        // was there (or a link planted there) is written through.
        win::srand(unsigned(win::time(nullptr)));
        for (int tries = 0; tries < 64; ++tries) {
            const int number = win::rand();
            char path[MAX_PATH];
            std::snprintf(path, sizeof path, "%s%d.tmp", temp.c_str(), number);
            HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
            if (h == INVALID_HANDLE_VALUE)
                continue;
            if (m_SortFile) {
                char chunk[8192];
                size_t got;
                DWORD written;
                while ((got = std::fread(chunk, 1, sizeof chunk, m_SortFile)) > 0)
                    WriteFile(h, chunk, DWORD(got), &written, nullptr);
            }
            CloseHandle(h);
            DropSortFile();
            const HWND pane = MFrame ? MFrame->FindPaneWindow(requester) : 0;
            if (pane)
                PostMessageA(pane, WM_SORT_DATA, WPARAM(number), LPARAM(counter));
            return;
        }
    } else if (mode == 1) {
        if (m_SortFile) {
            uint8_t r[10];
            while (std::fread(r, 1, sizeof r, m_SortFile) == sizeof r) {
                const STKMS entry = Get16(r);
                TMarketData *md = Market(STKMSMarket(entry));
                const int index = STKMSIndex(entry);
                if (!md || index >= md->StockCount)
                    continue;
                float value, reference;
                std::memcpy(&value, r + 2, 4);
                std::memcpy(&reference, r + 6, 4);
                const bool none = !(reference > -2147483648.0f && reference < 2147483648.0f) || int(reference) == 0;
                md->Quotes[index].FastChange = none ? 0.0f : (value - reference) * 100 / reference;
            }
        }
        DropSortFile();
        if (MFrame)
            MFrame->RedrawFastChangeColumn(requester);
    }
}

void TNormalClnt::OnStockInfo(const uint8_t *body, int length, bool last)
{
    char code[16];
    TMarketData *md = length >= 9 ? Market(body[0]) : nullptr;
    if (!md || !TakeCode(body + 1, 8, code))
        return;
    const int index = md->FindStockByCode(code);
    if (index >= 0 && length >= 9 + int(sizeof(StockInfoRecord)))
        std::memcpy(&md->Infos[index], body + 9, sizeof(StockInfoRecord));
    if (last)
        Notify(0x660000, StockIdOf(body[0], code));
}

void TNormalClnt::OnMessages(const uint8_t *body, int length, bool first, bool last)
{
    const bool realtime = m_Head.Type == kFrameRealtimeMessages;
    if (length >= 4) {
        WriteAnswerFile(realtime ? ".\\RTMSG.TXT" : ".\\SYSMSG.TXT", first, body + 4, length - 4);
        if (realtime && first && MFrame)
            MFrame->SetLastRealtimeMessageId(int32_t(Get32(body)));
    }
    if (last)
        Notify(realtime ? 0xCC0000 : 0xCB0000, 0);
}
