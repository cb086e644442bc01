// The note list file of a kind of notes ("data\notes\notes<kind>.lst"): a
// count, a ring start and the 108-byte note records as a ring of at most 3000,
// the oldest at the ring start. The data server's answers add records; the
// notes view reads the list oldest first and writes it back with its marks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#pragma pack(push, 1)
struct NoteRecord {
    uint8_t Header;
    uint8_t RequestByte;     // passed to the note request
    uint16_t RequestValue;   // passed to the note request
    uint16_t Number;         // the note's number; lists continue after the newest
    uint16_t Unread;         // 0 once the note was opened
    char Title[80];          // NUL-terminated when shorter
    char FileName[16];       // the text's file under data\notes
    uint32_t DateTime;       // date in bits 0-19 (mmdd in its last digits), hhmm in bits 20-31
};
#pragma pack(pop)
static_assert(sizeof(NoteRecord) == 108);

constexpr int NoteListCapacity = 3000;
constexpr int NoteKinds = 5;

// Whether a list's header fits a file of `fileSize` bytes: the size is exactly
// count x 108 + 8, the ring start is below the count (0 for an empty list),
// and it is 0 unless the ring is full (3000 records or more).
bool NoteListHeaderValid(int32_t count, int32_t ringStart, int64_t fileSize);
// The records of a list file's bytes oldest first, the ring unrolled; of a
// list above 3000 records the newest 3000. False for bytes that are no list.
bool ParseNoteList(const uint8_t *data, size_t size, std::vector<NoteRecord> &records);
// "<data root>data\notes\notes<kind>.lst".
std::string NoteListPath(int kind);
// Reads a list file: 1 with the records oldest first, 0 when it is missing, -1
// when it is no valid list.
int ReadNoteListFile(const char *path, std::vector<NoteRecord> &records);
// Writes the records oldest first with ring start 0; false when the file cannot
// be written.
bool WriteNoteListFile(const char *path, const std::vector<NoteRecord> &records);
