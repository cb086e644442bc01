// The flat-file layer of every binary data file: Win32 file handles held as
// signed 32-bit numbers (below 1 = no file), opened with C-like mode strings that
// never truncate, and read and written in whole records.
#pragma once

#include <cstdint>

// Open flags of a mode string.
constexpr uint8_t FILE_MODE_READ = 0x01;
constexpr uint8_t FILE_MODE_WRITE = 0x02;
constexpr uint8_t FILE_MODE_TEXT = 0x10;
constexpr uint8_t FILE_MODE_APPEND = 0x20;

// "r" read, "w" write, "a" append (write at the end); a second '+' adds read and
// write; 'b' in second or third place clears the text flag.
uint8_t ParseFileMode(const char *mode);

// The handle, or -1. The name is opened in upper case, as the data files have
// always been named; the caller's text is left as it is. Read-only opens an
// existing file; the write modes create a missing file and never truncate one, so
// a writer that rewrites a file cuts it with FileTruncate afterwards.
int FileOpen(const char *name, const char *mode);
void FileClose(int handle);
// origin 0 begin, 1 current, 2 end; the new position, or -1.
int FileSeek(int handle, int offset, int origin);
int FileTell(int handle);
// Bytes read or written (size x count at most); 0 on failure.
int FileRead(int handle, void *buffer, int size, int count);
int FileWrite(int handle, const void *buffer, int size, int count);
// The low 32 bits of the size; -1 for no file.
int FileGetSize(int handle);
// Cuts or extends the file to `length`; the new position, negative on failure.
int FileTruncate(int handle, int length);
int FileLockRange(int handle, int offset, int length);
int FileUnlockRange(int handle, int offset, int length);
