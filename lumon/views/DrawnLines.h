// The drawn-line file ..\CFG\linerec.dat, shared by every K-line chart: its
// records, the reader, the remover and the writer, and a chart's list of drawn
// lines of its stock, period and indicators, loaded from it and saved to it.
//
// The file: "PSL1", an int32 count, then the records; a record is 40 bytes, a
// text line's followed by an int32 length (0..255) and its GBK text. A file
// without the magic is the older form: records from offset 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

class TIndex;
class TLine;

#pragma pack(push, 1)
struct LineFileRecord {
    uint16_t IndexId;      // the indicator of the pane the line is on
    uint16_t Period;       // 0..12
    uint16_t Market;       // market index (high byte 0)
    char Code[12];         // NUL-terminated; bytes after the NUL are not significant
    uint16_t Kind;         // 1..17
    uint32_t Time[2];      // time keys of anchors 0 and 1
    float Value[2];        // values of anchors 0 and 1
    uint32_t Spare;
};
static_assert(sizeof(LineFileRecord) == 40);
#pragma pack(pop)

constexpr const char *LineFileName = "..\\CFG\\linerec.dat";
constexpr int MaxDrawnLines = 128;
constexpr int MaxLineTextLength = 255;

// A record of the file with its text (text lines only).
struct LineFileEntry {
    LineFileRecord Head{};
    std::string Text;
};

// The records of a file's bytes, in order. Reading stops, keeping what came
// before, at a short record, a text length outside 0..255 or the end of the
// count; a count beyond the records ends where the records end. `magic` tells
// whether the file had its header.
std::vector<LineFileEntry> ParseLineFile(const std::string &bytes, bool *magic = nullptr);

// Who owns a record: a chart's indicator object, by its indicator id, period and
// the market and code of its stock.
struct LineOwner {
    uint16_t IndexId = 0;
    uint16_t Period = 0;
    uint16_t Market = 0;
    char Code[12] = {};
};
// False when the object's stock has no static record.
bool LineOwnerOf(const TIndex *object, LineOwner &owner);
bool RecordBelongsTo(const LineFileRecord &record, const LineOwner &owner);

// Rewrites the file without the records of these owners (a chart's objects),
// keeping every other record in file order. An older-form file is rewritten
// with its header. A damaged record ends the reading: the records before it are
// kept. A file that cannot be read or rewritten is left as it is: false.
bool RemoveStockLines(const char *path, const LineOwner *owners, int count);
// Appends the records to the file and adds them to its count, making the file
// with its header when it is missing or has none; false when it cannot be written.
bool AppendLineRecords(const char *path, const std::vector<LineFileEntry> &entries);

// A chart's drawn lines.
class TDrawnLines {
public:
    TDrawnLines() = default;
    TDrawnLines(const TDrawnLines &) = delete;
    TDrawnLines &operator=(const TDrawnLines &) = delete;
    ~TDrawnLines() { FreeDrawnLines(); }

    // Builds the list from the file: each record goes to the first of the chart's
    // objects it belongs to, at most 128 lines; a record of a kind outside 1..17
    // or with a value that is not a number is skipped.
    void LoadDrawnLines(TIndex *const *objects, int itemCount, const char *path = LineFileName);
    // Removes the records of the chart's objects from the file, then appends the
    // chart's lines; a file that cannot be written ends the save silently.
    void SaveDrawnLines(TIndex *const *objects, int itemCount, const char *path = LineFileName);
    void FreeDrawnLines();
    // Removes line SelLine; the links of the other lines follow the renumbering.
    void DeleteSelectedLine();

    // The record a line contributes to the file; false when its pane's stock
    // has no static record.
    static bool RecordOfLine(TLine *line, LineFileEntry &entry);

    TLine *Lines[MaxDrawnLines] = {};
    int LineCount = 0;
    int SelLine = 0;            // LineCount: no line selected
    int LineEditState = 0;
};
