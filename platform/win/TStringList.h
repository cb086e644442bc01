// The form library's list of strings: lines of GBK text kept byte for byte, read
// from text files with CRLF, LF or CR line ends and saved with CRLF.
#pragma once

#include <vector>

#include "platform/win/AnsiString.h"

namespace win {

class TStringList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Appends and returns the new string's index.
    int Add(const AnsiString &s);
    // Inserts before `index` (Count() appends); false, with nothing changed, for an
    // index outside 0..Count().
    bool Insert(int index, const AnsiString &s);
    // False, with nothing changed, for an index outside the list.
    bool Delete(int index);
    void Clear() { items_.clear(); }
    // The string at `index`; the empty string for an index outside the list.
    const AnsiString &Strings(int index) const;
    const AnsiString &operator[](int index) const { return Strings(index); }
    // The first string equal to `s` without regard to ASCII case, or -1.
    int IndexOf(const AnsiString &s) const;
    void Assign(const TStringList &other) { items_ = other.items_; }

    // Every string followed by CRLF.
    AnsiString Text() const;
    // Splits `text` into lines at CRLF, LF or CR; a final line end adds no line.
    void SetText(const AnsiString &text);

    // False, with the list unchanged and the reason as the last error, when the
    // file cannot be read.
    bool LoadFromFile(const AnsiString &fileName);
    // Replaces the file at once and as a whole; false when it cannot be written.
    bool SaveToFile(const AnsiString &fileName) const;

private:
    std::vector<AnsiString> items_;
};

} // namespace win
