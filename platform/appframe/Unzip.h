// The unzip library the order client hands settlement statements to: given the
// archive (a zip archive, recognised by content whatever its ".rar" name says),
// it leaves the unpacked text at the text path.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

// Unpacks into a text file. The object holds no resource, so callers that never
// destroy it lose nothing; it fits in the 268 bytes callers set aside for it.
class CMamaZip {
public:
    // Writes the contents of the archive's files, one after the other in archive
    // order, to `textPath` (replacing it whole: a temporary file renamed into
    // place). FALSE for a missing, empty, corrupt, truncated or unreadable archive
    // or an unwritable text path; the text file is then absent, so that no stale
    // or partial text passes for the statement.
    BOOL SwapSize(const char *textPath);

protected:
    CMamaZip() = default;

    char archive_[MAX_PATH] = {};
    BOOL valid_ = FALSE;
};

class CUnzip : public CMamaZip {
public:
    // Remembers the archive path (Windows form, relative to the working folder);
    // a null path or one of MAX_PATH bytes or more makes SwapSize fail.
    explicit CUnzip(const char *archive);
};

static_assert(sizeof(CUnzip) <= 268);

} // namespace win
