#include "lumon/core/DbfTable.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

constexpr int HeaderSize = 32;
constexpr int DescriptorSize = 32;

uint32_t Le32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const uint8_t *p)
{
    return uint16_t(p[0] | p[1] << 8);
}

} // namespace

TDbfTable::TDbfTable(const char *fileName)
{
    lstrcpynA(m_FileName, fileName ? fileName : "", sizeof m_FileName);
}

TDbfTable::~TDbfTable()
{
    Close();
}

int TDbfTable::Open(int keepOpen)
{
    if (m_Open)
        return 1;
    m_File = FileOpen(m_FileName, "r+b");
    if (m_File < 1) {
        m_File = -1;
        return 0;
    }
    std::memset(m_Header, 0, sizeof m_Header);
    int fileSize = FileGetSize(m_File);
    int headerLength = 0;
    if (FileRead(m_File, m_Header, sizeof m_Header, 1) == int(sizeof m_Header)) {
        headerLength = Le16(m_Header + 8);
        m_RecordLength = Le16(m_Header + 10);
    }
    // A header must hold its own 32 bytes and the terminator of the descriptors,
    // and the table must have records to read.
    if (m_RecordLength == 0 || headerLength < HeaderSize + 1 || fileSize < HeaderSize) {
        Close();
        return 0;
    }
    int described = (headerLength - HeaderSize - 1) / DescriptorSize;
    int present = (fileSize - HeaderSize) / DescriptorSize;
    int fieldCount = described < present ? described : present;
    if (fieldCount > MaxFields)
        fieldCount = MaxFields;
    uint32_t promised = Le32(m_Header + 4);
    int stored = fileSize > headerLength ? (fileSize - headerLength) / m_RecordLength : 0;
    m_RecordCount = uint32_t(stored) < promised ? stored : int(promised);

    m_Descriptors = static_cast<uint8_t *>(EMemAlloc(size_t(fieldCount) * DescriptorSize + 1));
    m_Records = static_cast<uint8_t *>(EMemAlloc(size_t(m_RecordCount) * m_RecordLength + 1));
    m_RecordBuffer = static_cast<char *>(EMemAlloc(size_t(m_RecordLength) + 256));
    m_ValueBuffer = static_cast<char *>(EMemAlloc(size_t(m_RecordLength) + 256));
    bool read = m_Descriptors && m_Records && m_RecordBuffer && m_ValueBuffer;
    read = read && FileSeek(m_File, HeaderSize, 0) == HeaderSize &&
           FileRead(m_File, m_Descriptors, DescriptorSize, fieldCount) == fieldCount * DescriptorSize;
    read = read && FileSeek(m_File, headerLength, 0) == headerLength &&
           FileRead(m_File, m_Records, m_RecordLength, m_RecordCount) == m_RecordCount * m_RecordLength;
    if (!keepOpen || !read) {
        FileClose(m_File);
        m_File = -1;
    }
    if (!read) {
        Close();
        return 0;
    }
    m_Open = true;

    // Fields follow each other from offset 1, behind the record's flag byte; a
    // field that would reach past the record ends the list.
    int offset = 1;
    for (int i = 0; i < fieldCount; ++i) {
        const uint8_t *d = m_Descriptors + i * DescriptorSize;
        int length = d[16];
        if (offset + length > m_RecordLength)
            break;
        TDbfField *field = new (std::nothrow) TDbfField{};
        if (!field)
            break;
        std::memcpy(field->Descriptor, d, DescriptorSize);
        std::memcpy(field->Name, d, 11);
        field->Name[11] = 0;
        field->Type = char(d[11]);
        field->Offset = offset;
        field->Length = length;
        field->Decimals = d[17];
        std::memcpy(field->Descriptor + 12, &field->Offset, 4);
        m_Fields[m_FieldCount++] = field;
        offset += length;
    }
    m_Current = 0;
    ReadRecord(0);
    return 1;
}

void TDbfTable::Close()
{
    if (m_File >= 1)
        FileClose(m_File);
    m_File = -1;
    for (int i = 0; i < m_FieldCount; ++i) {
        delete m_Fields[i];
        m_Fields[i] = nullptr;
    }
    EMemFree(m_Descriptors);
    EMemFree(m_Records);
    EMemFree(m_RecordBuffer);
    EMemFree(m_ValueBuffer);
    m_Descriptors = m_Records = nullptr;
    m_RecordBuffer = m_ValueBuffer = nullptr;
    m_FieldCount = m_RecordCount = m_RecordLength = 0;
    m_Current = 0;
    m_Open = false;
}

int TDbfTable::ReadRecord(int i)
{
    if (!m_Open || i < 0 || i >= m_RecordCount)
        return 0;
    std::memcpy(m_RecordBuffer, m_Records + size_t(i) * m_RecordLength, m_RecordLength);
    return 1;
}

int TDbfTable::GoToRecord(int i)
{
    if (!m_Open || i < 0 || i >= m_RecordCount)
        return 0;
    m_Current = i;
    return ReadRecord(i);
}

int TDbfTable::FindField(const char *name) const
{
    if (!name)
        return -1;
    for (int i = 0; i < m_FieldCount; ++i)
        if (lstrcmpiA(m_Fields[i]->Name, name) == 0)
            return i;
    return -1;
}

int TDbfTable::ReadField(int i)
{
    if (!m_Open || i < 0 || i >= m_FieldCount)
        return 0;
    const TDbfField *field = m_Fields[i];
    std::memcpy(m_ValueBuffer, m_RecordBuffer + field->Offset, field->Length);
    m_ValueBuffer[field->Length] = 0;
    return 1;
}

const char *TDbfTable::GetFieldText(const char *name)
{
    return ReadField(FindField(name)) ? m_ValueBuffer : nullptr;
}

int TDbfTable::FindLastRecordNotAbove(const char *fieldName, long number)
{
    int field = FindField(fieldName);
    if (field < 0)
        return -1;
    int before = m_Current;
    for (int i = 0; i < m_RecordCount; ++i) {
        GoToRecord(i);
        ReadField(field);
        long value = std::strtol(m_ValueBuffer, nullptr, 10);
        if (value > number)
            return i - 1;
    }
    GoToRecord(before);
    return -1;
}
