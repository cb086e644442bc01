// A dBASE table read whole into memory, with record-by-record and field-by-field
// access to the raw text of its values (the broker table of the charts).
#pragma once

#include <cstdint>

// One field of the table: its 32-byte descriptor and what it says.
struct TDbfField {
    uint8_t Descriptor[32];
    char Name[12];
    char Type;
    int32_t Offset; // within the record, after the flag byte
    int32_t Length;
    int32_t Decimals;
};

class TDbfTable {
public:
    explicit TDbfTable(const char *fileName);
    TDbfTable(const TDbfTable &) = delete;
    TDbfTable &operator=(const TDbfTable &) = delete;
    ~TDbfTable();

    // Reads the header, the field descriptors and every whole record present, then
    // closes the file unless asked to keep it open; 1, or 0 when the file cannot be
    // opened or its header does not describe a readable table. Like every opening
    // for read and write, a missing file is left behind empty.
    int Open(int keepOpen = 0);
    void Close();

    int ReadRecord(int i);
    int GoToRecord(int i);
    // The field's index by name without regard to case, or -1.
    int FindField(const char *name) const;
    // Copies field i of the current record, padding kept, into the value buffer.
    int ReadField(int i);
    // The current record's value of the field, or null when there is no such field.
    const char *GetFieldText(const char *name);
    // The index of the record before the first whose field, read as a decimal
    // integer, is above `number`; -1 when none is above it (the current record is
    // then restored) or the field does not exist.
    int FindLastRecordNotAbove(const char *fieldName, long number);

    int GetFieldCount() const { return m_FieldCount; }
    int GetRecordCount() const { return m_RecordCount; }
    int GetRecordLength() const { return m_RecordLength; }
    int GetCurrentRecord() const { return m_Current; }
    const TDbfField *GetField(int i) const { return i >= 0 && i < m_FieldCount ? m_Fields[i] : nullptr; }

private:
    static constexpr int MaxFields = 256;

    char m_FileName[260];
    int m_File = -1;
    int m_Current = 0;
    uint8_t m_Header[16] = {};
    uint8_t *m_Descriptors = nullptr;
    uint8_t *m_Records = nullptr;
    char *m_RecordBuffer = nullptr;
    char *m_ValueBuffer = nullptr;
    bool m_Open = false;
    TDbfField *m_Fields[MaxFields] = {};
    int m_FieldCount = 0;
    int m_RecordLength = 0;
    int m_RecordCount = 0;
};
