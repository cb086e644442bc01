#include "lumon/core/NewsIndex.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

int TypeOf(const NewsRecord &r)
{
    return int(r.TypeRead >> 1);
}

bool OfType(const NewsRecord &r, int type)
{
    return type == 0 || TypeOf(r) == type;
}

std::string_view TitleOf(const NewsRecord &r)
{
    return std::string_view(r.Title, strnlen(r.Title, sizeof r.Title));
}

} // namespace

TNewsIndex::TNewsIndex(const char *path, int load)
{
    std::memset(m_Path, 0, sizeof m_Path);
    if (path)
        std::strncpy(m_Path, path, sizeof m_Path - 1);
    if (load)
        Load();
}

TNewsIndex::~TNewsIndex()
{
    Save();
    EMemFree(m_Records);
}

int TNewsIndex::Load()
{
    m_Dirty = 0;
    m_NewestId = -1;
    m_Count = 0;
    if (!m_Records) {
        m_Records = static_cast<NewsRecord *>(EMemAlloc(size_t(NewsCapacity) * sizeof(NewsRecord)));
        if (!m_Records)
            return 0;
        m_Capacity = NewsCapacity;
    }
    int h = FileOpen(m_Path, "rb");
    if (h < 1)
        return 1;
    int records = FileGetSize(h) / int(sizeof(NewsRecord));
    if (records > m_Capacity)
        records = m_Capacity;
    if (records > 0)
        m_Count = FileRead(h, m_Records, sizeof(NewsRecord), records) / int(sizeof(NewsRecord));
    FileClose(h);
    if (m_Count > 0)
        m_NewestId = m_Records[m_Count - 1].Id;
    return 1;
}

int TNewsIndex::Save()
{
    if (!m_Dirty || !m_Records)
        return 0;
    int h = FileOpen(m_Path, "wb");
    if (h < 1)
        return 0;
    int bytes = m_Count * int(sizeof(NewsRecord));
    bool written = (m_Count == 0 || FileWrite(h, m_Records, sizeof(NewsRecord), m_Count) == bytes) &&
                   FileTruncate(h, bytes) == bytes;
    FileClose(h);
    // What could not be written stays to be saved again.
    if (!written)
        return 0;
    m_Dirty = 0;
    return 1;
}

int TNewsIndex::GetNewestId() const
{
    return m_Count > 0 ? m_Records[m_Count - 1].Id : -1;
}

int TNewsIndex::GetLast(NewsRecord &record) const
{
    if (m_Count <= 0)
        return 0;
    record = m_Records[m_Count - 1];
    return 1;
}

int TNewsIndex::Add(const NewsRecord &record, int markDirty)
{
    if (!m_Records)
        return 0;
    if (m_Count >= m_Capacity) {
        std::memmove(static_cast<void *>(m_Records), m_Records + 1, size_t(m_Count - 1) * sizeof(NewsRecord));
        --m_Count;
    }
    m_NewestId = record.Id;
    char text[600];
    std::snprintf(text, sizeof text, "%sdata\\info\\%08d.txt", DataRoot, record.Id);
    DeleteFileA(text);
    m_Records[m_Count++] = record;
    if (markDirty)
        m_Dirty = 1;
    return 1;
}

int TNewsIndex::MakeRoom(int n)
{
    if (!m_Records || n < 0 || m_Count + n <= m_Capacity)
        return 0;
    int drop = m_Count + n - m_Capacity;
    if (drop > m_Count)
        drop = m_Count;
    std::memmove(static_cast<void *>(m_Records), m_Records + drop, size_t(m_Count - drop) * sizeof(NewsRecord));
    m_Count -= drop;
    m_Dirty = 1;
    return 1;
}

int TNewsIndex::List(int type, void *output, int maximum, int minId) const
{
    auto *out = static_cast<char *>(output);
    int n = 0;
    for (int i = 0; out && i < m_Count && n < maximum; ++i) {
        const NewsRecord &r = m_Records[i];
        if (OfType(r, type) && r.Id >= minId)
            std::memcpy(out + size_t(n++) * NewsListEntrySize, &r, NewsListEntrySize);
    }
    return n;
}

int TNewsIndex::FindByTitle(int type, const char *title, NewsRecord &record) const
{
    if (!title)
        return 0;
    for (int i = m_Count - 1; i >= 0; --i) {
        const NewsRecord &r = m_Records[i];
        if (OfType(r, type) && GbkEqualNoCase(TitleOf(r), title)) {
            record = r;
            return 1;
        }
    }
    return 0;
}

int TNewsIndex::MarkRead(int type, const char *line, NewsRecord &record)
{
    if (!line)
        return 0;
    for (int i = m_Count - 1; i >= 0; --i) {
        NewsRecord &r = m_Records[i];
        if (!OfType(r, type))
            continue;
        if (GbkEqualNoCase(NewsLineText(r.DateTime, r.Title, sizeof r.Title), line)) {
            r.TypeRead |= 1;
            m_Dirty = 1;
            record = r;
            Save();
            return 1;
        }
    }
    return 0;
}

std::string NewsLineText(uint32_t dateTime, const char *title, size_t titleSize)
{
    // The records carry no year: the current one is taken, so that a time moved
    // across a month or year end by the zone shift lands on a real date.
    SYSTEMTIME now;
    GetLocalTime(&now);
    const uint32_t date = dateTime & 0xFFFFF, hhmm = dateTime >> 20;
    PackedDateTime t =
        MakePackedDateTime(now.wYear, int(date % 10000 / 100), int(date % 100), int(hhmm / 100), int(hhmm % 100));
    ShiftPackedTimeByZone(0, 0, t);
    char text[160];
    std::snprintf(text, sizeof text, "%2d/%02d %2d:%02d %.*s", PackedMonth(t), PackedDay(t), PackedHour(t),
                  PackedMinute(t), int(strnlen(title, titleSize)), title);
    return text;
}

void MakeNewsIndexPath(char *path, size_t size)
{
    std::snprintf(path, size, "%sdata", DataRoot);
    win::CreateDirectoryA(path, nullptr);
    std::snprintf(path, size, "%sdata\\info", DataRoot);
    win::CreateDirectoryA(path, nullptr);
    std::snprintf(path, size, "%sdata\\info\\news.ntl", DataRoot);
}
