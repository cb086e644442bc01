#include "platform/win/CString.h"

#include <cstdarg>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>

#include "platform/win/Text.h"

namespace win {
namespace {

constexpr size_t npos = std::string_view::npos;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view View(LPCTSTR text) { return text ? std::string_view(text) : std::string_view(); }

int Sign(int r) { return r < 0 ? -1 : r > 0 ? 1 : 0; }

// Calls `visit(offset, length)` for each character of the text in order.
template <typename F>
void ForEachChar(std::string_view text, F visit)
{
    for (size_t i = 0; i < text.size();) {
        size_t n = GbkCharLength(text.data() + i, text.size() - i);
        visit(i, n);
        i += n;
    }
}

struct StringTable {
    std::mutex lock;
    std::map<UINT, std::string> texts;
};

StringTable &Strings()
{
    static StringTable table;
    return table;
}

} // namespace

CString::CString(LPCTSTR text) : text_(View(text)) {}

CString::CString(LPCTSTR text, int length)
{
    if (text && length > 0)
        text_.assign(text, static_cast<size_t>(length));
}

CString::CString(TCHAR c, int repeat)
{
    if (repeat > 0)
        text_.assign(static_cast<size_t>(repeat), c);
}

TCHAR CString::GetAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= text_.size())
        return '\0';
    return text_[static_cast<size_t>(index)];
}

void CString::SetAt(int index, TCHAR c)
{
    if (index >= 0 && static_cast<size_t>(index) < text_.size())
        text_[static_cast<size_t>(index)] = c;
}

CString CString::Left(int count) const
{
    return CString(text_.substr(0, count > 0 ? static_cast<size_t>(count) : 0));
}

CString CString::Right(int count) const
{
    size_t n = count > 0 ? static_cast<size_t>(count) : 0;
    if (n >= text_.size())
        return *this;
    return CString(text_.substr(text_.size() - n));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const
{
    size_t start = first > 0 ? static_cast<size_t>(first) : 0;
    if (start >= text_.size() || count <= 0)
        return CString();
    return CString(text_.substr(start, static_cast<size_t>(count)));
}

int CString::Find(TCHAR c, int start) const
{
    size_t at = GbkFind(text_, std::string_view(&c, 1), start > 0 ? static_cast<size_t>(start) : 0);
    return at == npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCTSTR sub, int start) const
{
    if (!sub)
        return -1;
    size_t at = GbkFind(text_, sub, start > 0 ? static_cast<size_t>(start) : 0);
    return at == npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(TCHAR c) const
{
    int last = -1;
    ForEachChar(text_, [&](size_t at, size_t n) {
        if (n == 1 && text_[at] == c)
            last = static_cast<int>(at);
    });
    return last;
}

void CString::TrimLeft()
{
    size_t i = 0;
    while (i < text_.size() && IsSpace(text_[i]))
        ++i;
    text_.erase(0, i);
}

void CString::TrimRight()
{
    size_t n = text_.size();
    while (n > 0 && IsSpace(text_[n - 1]))
        --n;
    text_.resize(n);
}

void CString::MakeUpper() { text_ = GbkUpper(text_); }

void CString::MakeLower()
{
    // CharLowerA works up to the first NUL; the bytes after one stay as they are.
    CharLowerA(text_.data());
}

int CString::Compare(LPCTSTR other) const { return Sign(std::string_view(text_).compare(View(other))); }

int CString::CompareNoCase(LPCTSTR other) const
{
    return Sign(GbkUpper(text_).compare(GbkUpper(View(other))));
}

void CString::Format(LPCTSTR format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    text_ = std::move(out);
}

LPTSTR CString::GetBuffer(int minLength)
{
    if (minLength > 0 && static_cast<size_t>(minLength) > text_.size())
        text_.resize(static_cast<size_t>(minLength));
    return text_.data();
}

LPTSTR CString::GetBufferSetLength(int length)
{
    text_.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text_.data();
}

void CString::ReleaseBuffer(int newLength)
{
    size_t n = newLength < 0 ? strnlen(text_.data(), text_.size()) : static_cast<size_t>(newLength);
    if (n < text_.size())
        text_.resize(n);
}

int CString::Replace(TCHAR from, TCHAR to)
{
    int count = 0;
    ForEachChar(text_, [&](size_t at, size_t n) {
        if (n == 1 && text_[at] == from) {
            text_[at] = to;
            ++count;
        }
    });
    return count;
}

int CString::Replace(LPCTSTR from, LPCTSTR to)
{
    std::string_view find = View(from);
    if (find.empty())
        return 0;
    std::string out;
    int count = 0;
    size_t done = 0;
    for (size_t at = GbkFind(text_, find); at != npos; at = GbkFind(text_, find, done)) {
        out.append(text_, done, at - done);
        out.append(View(to));
        done = at + find.size();
        ++count;
    }
    if (count > 0) {
        out.append(text_, done);
        text_ = std::move(out);
    }
    return count;
}

int CString::Remove(TCHAR c)
{
    std::string out;
    out.reserve(text_.size());
    int count = 0;
    ForEachChar(text_, [&](size_t at, size_t n) {
        if (n == 1 && text_[at] == c)
            ++count;
        else
            out.append(text_, at, n);
    });
    text_ = std::move(out);
    return count;
}

int CString::Insert(int index, TCHAR c) { return Insert(index, std::string(1, c).c_str()); }

int CString::Insert(int index, LPCTSTR text)
{
    size_t at = index > 0 ? static_cast<size_t>(index) : 0;
    text_.insert(at < text_.size() ? at : text_.size(), View(text));
    return GetLength();
}

int CString::Delete(int index, int count)
{
    size_t at = index > 0 ? static_cast<size_t>(index) : 0;
    if (count > 0 && at < text_.size())
        text_.erase(at, static_cast<size_t>(count));
    return GetLength();
}

BOOL CString::LoadString(UINT id)
{
    StringTable &table = Strings();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.texts.find(id);
    if (it == table.texts.end()) {
        text_.clear();
        return FALSE;
    }
    text_ = it->second;
    return TRUE;
}

void RegisterStringResource(UINT id, LPCTSTR text)
{
    StringTable &table = Strings();
    std::lock_guard<std::mutex> guard(table.lock);
    table.texts[id] = std::string(View(text));
}

CString &CString::operator+=(const CString &other)
{
    text_ += other.text_;
    return *this;
}

CString &CString::operator+=(LPCTSTR other)
{
    text_ += View(other);
    return *this;
}

CString &CString::operator+=(TCHAR c)
{
    text_ += c;
    return *this;
}

CString operator+(const CString &a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString &a, LPCTSTR b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(LPCTSTR a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString &a, TCHAR b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(TCHAR a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}

bool operator==(const CString &a, const CString &b) { return a.Compare(b) == 0; }
bool operator==(const CString &a, LPCTSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCTSTR a, const CString &b) { return b.Compare(a) == 0; }
bool operator!=(const CString &a, const CString &b) { return a.Compare(b) != 0; }
bool operator!=(const CString &a, LPCTSTR b) { return a.Compare(b) != 0; }
bool operator!=(LPCTSTR a, const CString &b) { return b.Compare(a) != 0; }
bool operator<(const CString &a, const CString &b) { return a.Compare(b) < 0; }
bool operator<(const CString &a, LPCTSTR b) { return a.Compare(b) < 0; }
bool operator<(LPCTSTR a, const CString &b) { return b.Compare(a) > 0; }
bool operator>(const CString &a, const CString &b) { return a.Compare(b) > 0; }
bool operator>(const CString &a, LPCTSTR b) { return a.Compare(b) > 0; }
bool operator>(LPCTSTR a, const CString &b) { return b.Compare(a) < 0; }
bool operator<=(const CString &a, const CString &b) { return a.Compare(b) <= 0; }
bool operator<=(const CString &a, LPCTSTR b) { return a.Compare(b) <= 0; }
bool operator<=(LPCTSTR a, const CString &b) { return b.Compare(a) >= 0; }
bool operator>=(const CString &a, const CString &b) { return a.Compare(b) >= 0; }
bool operator>=(const CString &a, LPCTSTR b) { return a.Compare(b) >= 0; }
bool operator>=(LPCTSTR a, const CString &b) { return b.Compare(a) <= 0; }

} // namespace win
