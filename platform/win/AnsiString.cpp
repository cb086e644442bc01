#include "platform/win/AnsiString.h"

#include <charconv>
#include <cstdarg>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/win/Text.h"

namespace win {
namespace {

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The text after leading blanks, for the number conversions.
std::string_view SkipBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

std::optional<int> ParseInt(std::string_view s)
{
    s = SkipBlanks(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty())
        return std::nullopt;
    // Hexadecimal text gives the 32 bits it spells; decimal text must fit an int.
    unsigned long long magnitude = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        auto bits = static_cast<uint32_t>(magnitude);
        return static_cast<int>(negative ? 0u - bits : bits);
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull))
        return std::nullopt;
    long long value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return static_cast<int>(value);
}

} // namespace

AnsiString::AnsiString(const char *text) : text_(text ? text : "") {}

AnsiString::AnsiString(const char *text, int length)
{
    if (text && length > 0)
        text_.assign(text, static_cast<size_t>(length));
}

AnsiString::AnsiString(char c) : text_(1, c) {}

AnsiString::AnsiString(int value) : text_(std::to_string(value)) {}

AnsiString &AnsiString::SetLength(int length)
{
    text_.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return *this;
}

AnsiString AnsiString::SubString(int index, int count) const
{
    if (index < 1)
        index = 1;
    size_t start = static_cast<size_t>(index) - 1;
    if (start >= text_.size() || count < 1)
        return AnsiString();
    return AnsiString(text_.substr(start, static_cast<size_t>(count)));
}

int AnsiString::Pos(const AnsiString &sub) const
{
    if (sub.text_.empty())
        return 0;
    size_t at = GbkFind(text_, sub.text_);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

AnsiString &AnsiString::Insert(const AnsiString &text, int index)
{
    size_t at = index < 1 ? 0 : static_cast<size_t>(index) - 1;
    text_.insert(at < text_.size() ? at : text_.size(), text.text_);
    return *this;
}

AnsiString &AnsiString::Delete(int index, int count)
{
    if (index < 1 || count < 1)
        return *this;
    size_t start = static_cast<size_t>(index) - 1;
    if (start < text_.size())
        text_.erase(start, static_cast<size_t>(count));
    return *this;
}

AnsiString AnsiString::Trim() const { return TrimLeft().TrimRight(); }

AnsiString AnsiString::TrimLeft() const
{
    size_t i = 0;
    while (i < text_.size() && IsTrimmed(text_[i]))
        ++i;
    return AnsiString(text_.substr(i));
}

AnsiString AnsiString::TrimRight() const
{
    size_t n = text_.size();
    while (n > 0 && IsTrimmed(text_[n - 1]))
        --n;
    return AnsiString(text_.substr(0, n));
}

AnsiString AnsiString::UpperCase() const { return AnsiString(GbkUpper(text_)); }

AnsiString AnsiString::LowerCase() const
{
    std::string s(text_);
    // CharLowerA works up to the first NUL; the bytes after one stay as they are.
    CharLowerA(s.data());
    return AnsiString(std::move(s));
}

int AnsiString::AnsiCompare(const AnsiString &other) const
{
    int r = text_.compare(other.text_);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int AnsiString::AnsiCompareIC(const AnsiString &other) const
{
    int r = GbkUpper(text_).compare(GbkUpper(other.text_));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int AnsiString::ToInt() const { return ParseInt(text_).value_or(0); }

int AnsiString::ToIntDef(int defaultValue) const { return ParseInt(text_).value_or(defaultValue); }

double AnsiString::ToDouble() const
{
    std::string_view s = SkipBlanks(text_);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    // from_chars takes no '+' and knows no locale; infinities, NaN and hexadecimal
    // forms are not numbers here.
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.find_first_not_of("0123456789.eE+-") != std::string_view::npos ||
        s.front() == '+' || s.front() == '-')
        return 0.0;
    double value = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size())
        return 0.0;
    return negative ? -value : value;
}

AnsiString &AnsiString::sprintf(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    // Formatting into a separate buffer first lets an argument be this text itself.
    text_ = std::move(out);
    return *this;
}

char AnsiString::operator[](int index) const
{
    if (index < 1 || static_cast<size_t>(index) > text_.size())
        return '\0';
    return text_[static_cast<size_t>(index) - 1];
}

char &AnsiString::operator[](int index)
{
    if (index < 1 || static_cast<size_t>(index) > text_.size()) {
        thread_local char scratch;
        scratch = '\0';
        return scratch;
    }
    return text_[static_cast<size_t>(index) - 1];
}

AnsiString &AnsiString::operator+=(const AnsiString &other)
{
    text_ += other.text_;
    return *this;
}

AnsiString operator+(const AnsiString &a, const AnsiString &b)
{
    AnsiString r(a);
    r += b;
    return r;
}

} // namespace win
