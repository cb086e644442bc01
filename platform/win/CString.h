// The application framework's string: 8-bit GBK text with 0-based indexes, the
// text type of consign and chatdesk, and the program's table of string resources.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

namespace win {


class CString {
public:
    CString() = default;
    // A null pointer gives the empty text.
    CString(LPCTSTR text);
    // The first `length` bytes of `text` (none when length < 1 or text is null).
    CString(LPCTSTR text, int length);
    CString(TCHAR c, int repeat = 1);

    // Never null.
    operator LPCTSTR() const { return text_.c_str(); }
    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }

    // Byte access; reading outside the text gives '\0', writing there is ignored.
    TCHAR GetAt(int index) const;
    TCHAR operator[](int index) const { return GetAt(index); }
    void SetAt(int index, TCHAR c);

    // Parts of the text, with arguments clamped to it: a negative first index or
    // count counts as 0, a count beyond the end stops at the end.
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Searches return a 0-based byte index or -1, and match only on character
    // boundaries of the GBK text. A negative start counts as 0.
    int Find(TCHAR c, int start = 0) const;
    int Find(LPCTSTR sub, int start = 0) const;
    int ReverseFind(TCHAR c) const;

    // Trimming removes blanks, tabs, CR, LF, VT and FF.
    void TrimLeft();
    void TrimRight();
    // ASCII letters only; double-byte characters stay as they are.
    void MakeUpper();
    void MakeLower();
    // Below 0, 0 or above 0: byte order, and byte order ignoring the case of ASCII
    // letters.
    int Compare(LPCTSTR other) const;
    int CompareNoCase(LPCTSTR other) const;

    // Replaces the text with the printf-style result, of any length; the format and
    // the arguments may be this text itself. A CString argument for "%s" is passed
    // as (LPCTSTR).
    void Format(LPCTSTR format, ...) __attribute__((format(printf, 2, 3)));

    // A buffer of at least `minLength` + 1 bytes holding the text, to be written by
    // the caller and ended with ReleaseBuffer (until then GetLength counts the whole
    // buffer). ReleaseBuffer(-1) takes the text up to the first NUL; a length is cut
    // to the buffer.
    LPTSTR GetBuffer(int minLength);
    LPTSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // Replacements work on whole characters, left to right, and return how many
    // were made; an empty `from` replaces nothing.
    int Replace(TCHAR from, TCHAR to);
    int Replace(LPCTSTR from, LPCTSTR to);
    int Remove(TCHAR c);
    // Insert before `index` (clamped to the text); Delete `count` bytes from
    // `index`, cut at the end. Both return the new length.
    int Insert(int index, TCHAR c);
    int Insert(int index, LPCTSTR text);
    int Delete(int index, int count = 1);

    // The string resource `id` registered by the program; an unknown id empties the
    // text and gives FALSE.
    BOOL LoadString(UINT id);

    CString &operator+=(const CString &other);
    CString &operator+=(LPCTSTR other);
    CString &operator+=(TCHAR c);

private:
    explicit CString(std::string text) : text_(std::move(text)) {}

    std::string text_;
};

CString operator+(const CString &a, const CString &b);
CString operator+(const CString &a, LPCTSTR b);
CString operator+(LPCTSTR a, const CString &b);
CString operator+(const CString &a, TCHAR b);
CString operator+(TCHAR a, const CString &b);

// Comparisons by unsigned byte values; a null pointer compares as the empty text.
// Every mix of operands is declared, so that none of them falls back to comparing
// the pointers of the converted texts.
bool operator==(const CString &a, const CString &b);
bool operator==(const CString &a, LPCTSTR b);
bool operator==(LPCTSTR a, const CString &b);
bool operator!=(const CString &a, const CString &b);
bool operator!=(const CString &a, LPCTSTR b);
bool operator!=(LPCTSTR a, const CString &b);
bool operator<(const CString &a, const CString &b);
bool operator<(const CString &a, LPCTSTR b);
bool operator<(LPCTSTR a, const CString &b);
bool operator>(const CString &a, const CString &b);
bool operator>(const CString &a, LPCTSTR b);
bool operator>(LPCTSTR a, const CString &b);
bool operator<=(const CString &a, const CString &b);
bool operator<=(const CString &a, LPCTSTR b);
bool operator<=(LPCTSTR a, const CString &b);
bool operator>=(const CString &a, const CString &b);
bool operator>=(const CString &a, LPCTSTR b);
bool operator>=(LPCTSTR a, const CString &b);

// Enters the text of string resource `id`, replacing an earlier one; the program
// registers its string table at start-up.
void RegisterStringResource(UINT id, LPCTSTR text);

} // namespace win
