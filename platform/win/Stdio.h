// The C run-time file calls as the programs know them from Windows: names go
// through the path mapper, and text mode (no 'b' in the mode) writes "\n" as
// "\r\n" and reads "\r\n" back as "\n". The streams are ordinary FILE* streams.
#pragma once

#include <cstdio>

namespace win {

// Modes "r", "w", "a", "r+", "w+", "a+" with the C meanings ("w" truncates),
// each with an optional 'b' (binary) or 't' (text, the default); other Windows
// mode letters are ignored. A file without write permission (the read-only
// attribute) is not opened for writing, even by root. Null with errno set on
// failure. Positions (ftell, fseek) are byte offsets on disk in both modes.
std::FILE *fopen(const char *winPath, const char *mode);

// Deletes a file (not a folder); a read-only file is refused with EACCES.
// 0, or -1 with errno.
int remove(const char *winPath);
// Renames a file or folder; an existing new name is refused with EACCES, as on
// Windows. 0, or -1 with errno.
int rename(const char *oldWinPath, const char *newWinPath);

// Mode 0 tests existence, 2 write permission (refused for a read-only file), 4
// read permission, 6 both. 0, or -1 with errno.
int access(const char *winPath, int mode);

} // namespace win
