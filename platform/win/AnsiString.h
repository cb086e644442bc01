// The form library's string: 8-bit GBK text with 1-based character indexes, the
// text type of lumon and toolpick.
#pragma once

#include <string>

namespace win {

class AnsiString {
public:
    AnsiString() = default;
    // A null pointer gives the empty text.
    AnsiString(const char *text);
    // The first `length` bytes of `text` (none when length < 1 or text is null).
    AnsiString(const char *text, int length);
    AnsiString(char c);
    // Decimal text of the number.
    AnsiString(int value);
    // Numbers of other types have no text form here; refusing them keeps a double
    // or a 64-bit value from being cut to an int without notice.
    AnsiString(double) = delete;
    AnsiString(long) = delete;
    AnsiString(unsigned long) = delete;
    AnsiString(long long) = delete;
    AnsiString(unsigned long long) = delete;

    // Never null; the bytes up to Length() may be written through the pointer.
    char *c_str() { return text_.data(); }
    const char *c_str() const { return text_.c_str(); }
    int Length() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    // Cuts the text or extends it with NUL bytes.
    AnsiString &SetLength(int length);

    // `count` bytes from the 1-based `index`: an index below 1 counts as 1, an
    // index past the end or a count below 1 gives the empty text, and the count is
    // cut at the end of the text.
    AnsiString SubString(int index, int count) const;
    // 1-based index of the first occurrence of `sub`, 0 when there is none or
    // `sub` is empty. Only matches that start on a character boundary count.
    int Pos(const AnsiString &sub) const;
    // Inserts `text` before the 1-based `index`; below 1 inserts at the front,
    // past the end appends.
    AnsiString &Insert(const AnsiString &text, int index);
    // Removes `count` bytes from the 1-based `index`; nothing when the index is
    // outside the text or the count is below 1; the count is cut at the end.
    AnsiString &Delete(int index, int count);

    // Trimming removes the control characters and blanks (bytes up to 0x20).
    AnsiString Trim() const;
    AnsiString TrimLeft() const;
    AnsiString TrimRight() const;
    // ASCII letters only; double-byte characters stay as they are.
    AnsiString UpperCase() const;
    AnsiString LowerCase() const;
    // -1, 0 or 1: byte order, and byte order after upper-casing.
    int AnsiCompare(const AnsiString &other) const;
    int AnsiCompareIC(const AnsiString &other) const;

    // Number conversions accept leading blanks, a sign, and for integers decimal
    // digits or hexadecimal after "$" or "0x"; anything after the number (for
    // ToDouble, anything but trailing blanks) makes the text invalid, as does an
    // integer outside 32 bits. Invalid text gives 0, or the default of ToIntDef.
    int ToInt() const;
    int ToIntDef(int defaultValue) const;
    double ToDouble() const;

    // Replaces the text with the printf-style result, of any length.
    AnsiString &sprintf(const char *format, ...) __attribute__((format(printf, 2, 3)));

    // 1-based byte access. Reading outside the text gives '\0'; writing there goes
    // to a scratch byte and changes nothing.
    char operator[](int index) const;
    char &operator[](int index);

    AnsiString &operator+=(const AnsiString &other);

    friend bool operator==(const AnsiString &a, const AnsiString &b) { return a.text_ == b.text_; }
    friend bool operator!=(const AnsiString &a, const AnsiString &b) { return a.text_ != b.text_; }
    // Comparison by unsigned byte values.
    friend bool operator<(const AnsiString &a, const AnsiString &b) { return a.text_ < b.text_; }
    friend bool operator>(const AnsiString &a, const AnsiString &b) { return b.text_ < a.text_; }
    friend bool operator<=(const AnsiString &a, const AnsiString &b) { return !(b.text_ < a.text_); }
    friend bool operator>=(const AnsiString &a, const AnsiString &b) { return !(a.text_ < b.text_); }

private:
    explicit AnsiString(std::string text) : text_(std::move(text)) {}

    std::string text_;
};

AnsiString operator+(const AnsiString &a, const AnsiString &b);

} // namespace win
