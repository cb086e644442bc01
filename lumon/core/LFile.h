// A file opened for reading by name with a chosen sharing mode, read in blocks,
// with its size and its information record.
#pragma once

#include <cstdint>

#include "platform/win/File.h"

class LFile {
public:
    LFile();
    LFile(const LFile &) = delete;
    LFile &operator=(const LFile &) = delete;
    ~LFile();

    // Opens an existing file for reading; 1, or 0.
    int OpenRead(const char *name, win::DWORD shareMode);
    // The size in bytes (low 32 bits), 0 when closed.
    win::DWORD GetSize() const;
    // origin 0 begin, 1 current, 2 end; 1, or 0.
    int Seek(int offset, int origin);
    // Bytes read; 0 on failure.
    int Read(void *buffer, int bytes);
    // The file's information in one process-wide record, or null.
    const win::BY_HANDLE_FILE_INFORMATION *GetInfo();
    void Close();

    const char *GetName() const { return m_Name; }
    bool IsOpen() const { return m_Handle != win::INVALID_HANDLE_VALUE; }

private:
    char m_Name[260];
    win::HANDLE m_Handle;
};
