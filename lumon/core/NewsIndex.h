// The news index: the records of the news and information messages the data
// server sent (data\info\news.ntl, oldest first, at most 3000 kept), each
// message's text in data\info\<id as 8 digits>.txt; every user of the index
// works on its own copy in memory and saves it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct NewsRecord {
    uint32_t TypeRead;       // bit 0 read flag; the message type from bit 1
    uint32_t DateTime;       // bits 0-19 a date whose last four digits are mmdd;
                             // bits 20-31 the time as hhmm
    int32_t Id;
    char Title[80];          // NUL-terminated
    char FileName[16];       // "%08d.txt" of the id
};
static_assert(sizeof(NewsRecord) == 108);
#pragma pack(pop)

// The part of a record that a list shows: type, date and time, id and title.
constexpr int NewsListEntrySize = 92;
constexpr int NewsCapacity = 3000;

class TNewsIndex {
public:
    TNewsIndex(const char *path, int load);
    TNewsIndex(const TNewsIndex &) = delete;
    TNewsIndex &operator=(const TNewsIndex &) = delete;
    // Saves what changed.
    ~TNewsIndex();

    // Reads the file (at most its first 3000 records); a missing file is an
    // empty index. 1, or 0 without a buffer.
    int Load();
    // Writes every record and cuts the file to them, only when something
    // changed; 1, or 0 when nothing changed or the file cannot be written.
    int Save();
    int GetNewestId() const;
    // Copies the newest record; 0 when there is none.
    int GetLast(NewsRecord &record) const;
    // Appends a record (dropping the oldest of a full index) and deletes the
    // stale text file of its id. 1, or 0 without a buffer.
    int Add(const NewsRecord &record, int markDirty);
    // Drops the oldest records so that n more fit; 1 when any were dropped.
    int MakeRoom(int n);
    // Copies the first 92 bytes of each record of the type (0 every type), oldest
    // first, whose id is at least minId, at most `maximum`; their number.
    int List(int type, void *output, int maximum, int minId) const;
    // The newest record of the type (0 any) with the title, without regard to
    // case; 1, or 0.
    int FindByTitle(int type, const char *title, NewsRecord &record) const;
    // Marks read the newest record of the type whose list line
    // "%2d/%02d %2d:%02d %s" (in the time of market 0) equals `line` without
    // regard to case, copies it out and saves the index; 1, or 0.
    int MarkRead(int type, const char *line, NewsRecord &record);

    int GetCount() const { return m_Count; }
    const NewsRecord *GetRecords() const { return m_Records; }

private:
    char m_Path[256];
    NewsRecord *m_Records = nullptr;
    int32_t m_Capacity = 0;
    int32_t m_Dirty = 0;
    int32_t m_NewestId = -1;
    int32_t m_Count = 0;
};

// The path of the index under DataRoot (data\info\news.ntl) into `path`, with
// the folders data and data\info made when missing.
void MakeNewsIndexPath(char *path, size_t size);

// The list line of a record's date-time word (date in bits 0-19, hhmm in bits
// 20-31) and title of at most titleSize bytes: "%2d/%02d %2d:%02d %s", moved
// into the display time zone (market 0, entry 0) in the current year.
std::string NewsLineText(uint32_t dateTime, const char *title, size_t titleSize);
