#include "platform/win/ProfileDocument.h"

#include <algorithm>
#include <cstring>

#include "platform/win/Text.h"

namespace win {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Blanks are ASCII and never the trail byte of a double-byte character, so
// trimming from either end is safe on GBK text.
std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view CutAtNul(std::string_view s)
{
    const void *nul = std::memchr(s.data(), '\0', s.size());
    return nul ? s.substr(0, static_cast<size_t>(static_cast<const char *>(nul) - s.data())) : s;
}

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A hash of the name as compared: ASCII letters folded, the bytes of double-byte
// characters as they are.
uint32_t FoldedHash(std::string_view s)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < s.size();) {
        size_t n = GbkCharLength(s.data() + i, s.size() - i);
        for (size_t k = 0; k < n; ++k) {
            char c = n == 1 ? FoldAscii(s[i]) : s[i + k];
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        }
        i += n;
    }
    return h;
}

// Equal without regard to ASCII case. Folding never changes a lead byte, so equal
// texts have the same character boundaries and one walk serves both.
bool EqualFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size();) {
        size_t n = GbkCharLength(a.data() + i, a.size() - i);
        if (n == 1) {
            if (FoldAscii(a[i]) != FoldAscii(b[i]))
                return false;
        } else if (std::memcmp(a.data() + i, b.data() + i, n) != 0) {
            return false;
        }
        i += n;
    }
    return true;
}

// Position of the last ASCII byte `c` in s, stepping over whole GBK characters so
// that a trail byte with the same value is never taken for it.
size_t FindLastAscii(std::string_view s, char c)
{
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size();) {
        if (s[i] == c)
            found = i;
        i += GbkCharLength(s.data() + i, s.size() - i);
    }
    return found;
}

bool HasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

ProfileDocument::ProfileDocument(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

// One pass over the bytes; the only allocations are the section and entry
// tables, the entries' reserved at once for a line count taken by memchr.
void ProfileDocument::Parse()
{
    sections_.clear();
    entries_.clear();
    const char *data = bytes_.data();
    const size_t n = std::min<size_t>(bytes_.size(), UINT32_MAX - 1);
    auto rangeOf = [data](std::string_view v) {
        Offset b = static_cast<Offset>(v.data() - data);
        return Range{b, static_cast<Offset>(b + v.size())};
    };
    size_t lineCount = 1;
    for (const char *p = data; (p = static_cast<const char *>(std::memchr(p, '\n', n - (p - data)))) != nullptr; ++p)
        ++lineCount;
    entries_.reserve(lineCount);
    sections_.push_back(Section{}); // the lines before the first header
    sections_.back().hash = FoldedHash({});
    for (size_t pos = 0; pos < n;) {
        // A line ends at CRLF, LF or a lone CR; neither byte is ever part of a
        // double-byte character.
        const char *lf = static_cast<const char *>(std::memchr(data + pos, '\n', n - pos));
        size_t lfAt = lf ? static_cast<size_t>(lf - data) : n;
        const char *cr = static_cast<const char *>(std::memchr(data + pos, '\r', lfAt - pos));
        size_t eol = cr ? static_cast<size_t>(cr - data) : lfAt;
        const bool hasLineEnd = eol < n;
        const size_t next = !hasLineEnd ? n : data[eol] == '\r' && eol + 1 < n && data[eol + 1] == '\n' ? eol + 2 : eol + 1;
        const LineSpan line{static_cast<Offset>(pos), static_cast<Offset>(next)};
        const Range empty{line.begin, line.begin};
        std::string_view text = Trim(std::string_view(data + pos, eol - pos));
        pos = next;
        if (text.empty())
            continue;
        if (text.front() == '[') {
            size_t close = FindLastAscii(text, ']');
            if (close != std::string_view::npos) {
                Section &prev = sections_.back();
                prev.end = line.begin;
                prev.endEntry = static_cast<uint32_t>(entries_.size());
                Section s;
                s.hasHeader = true;
                s.headerHasLineEnd = hasLineEnd;
                s.header = line;
                std::string_view name = Trim(CutAtNul(text.substr(1, close - 1)));
                s.name = name.empty() ? empty : rangeOf(name);
                s.hash = FoldedHash(name);
                s.firstEntry = static_cast<uint32_t>(entries_.size());
                sections_.push_back(s);
                continue;
            }
        }
        Section &current = sections_.back();
        current.hasUsedLine = true;
        current.lastUsedHasLineEnd = hasLineEnd;
        current.lastUsed = line;
        Entry e;
        e.line = line;
        e.hasLineEnd = hasLineEnd;
        const void *eq = std::memchr(text.data(), '=', text.size());
        std::string_view name = text;
        if (eq) {
            size_t at = static_cast<size_t>(static_cast<const char *>(eq) - text.data());
            name = text.substr(0, at);
            std::string_view value = Trim(CutAtNul(text.substr(at + 1)));
            e.value = value.empty() ? empty : rangeOf(value);
            e.hasEquals = true;
        }
        name = Trim(CutAtNul(name));
        if (name.empty() && !e.hasEquals)
            continue; // nothing readable: shown nowhere
        e.name = name.empty() ? empty : rangeOf(name);
        e.hash = FoldedHash(name);
        entries_.push_back(e);
    }
    sections_.back().end = static_cast<Offset>(n);
    sections_.back().endEntry = static_cast<uint32_t>(entries_.size());
}

const ProfileDocument::Section *ProfileDocument::Find(std::string_view section) const
{
    section = Trim(section);
    uint32_t hash = FoldedHash(section);
    for (const Section &s : sections_)
        if (s.hash == hash && EqualFolded(View(s.name), section))
            return &s;
    return nullptr;
}

const ProfileDocument::Entry *ProfileDocument::FindEntry(const Section &s, std::string_view key) const
{
    key = Trim(key);
    uint32_t hash = FoldedHash(key);
    for (size_t i = s.firstEntry; i < s.endEntry; ++i)
        if (entries_[i].hash == hash && EqualFolded(View(entries_[i].name), key))
            return &entries_[i];
    return nullptr;
}

std::string_view ProfileDocument::Unquote(std::string_view v)
{
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\''))
        v = v.substr(1, v.size() - 2);
    return v;
}

std::optional<std::string_view> ProfileDocument::Value(std::string_view section, std::string_view key) const
{
    const Section *s = Find(section);
    const Entry *e = s ? FindEntry(*s, key) : nullptr;
    if (!e || !e->hasEquals)
        return std::nullopt;
    return Unquote(View(e->value));
}

std::vector<std::string_view> ProfileDocument::SectionNames() const
{
    std::vector<std::string_view> names;
    for (const Section &s : sections_)
        if (s.name.end > s.name.begin)
            names.push_back(View(s.name));
    return names;
}

std::vector<std::string_view> ProfileDocument::KeyNames(std::string_view section) const
{
    std::vector<std::string_view> names;
    if (const Section *s = Find(section))
        for (size_t i = s->firstEntry; i < s->endEntry; ++i)
            if (entries_[i].hasEquals)
                names.push_back(View(entries_[i].name));
    return names;
}

std::vector<std::string> ProfileDocument::SectionLines(std::string_view section) const
{
    std::vector<std::string> out;
    const Section *s = Find(section);
    if (!s)
        return out;
    for (size_t i = s->firstEntry; i < s->endEntry; ++i) {
        const Entry &e = entries_[i];
        std::string line(View(e.name));
        if (e.hasEquals) {
            line += '=';
            line += View(e.value);
        }
        out.push_back(std::move(line));
    }
    return out;
}

void ProfileDocument::Splice(size_t begin, size_t end, std::string_view text)
{
    bytes_.replace(begin, end - begin, text);
    Parse();
}

void ProfileDocument::Append(const Section &s, std::string_view text)
{
    if (!s.hasUsedLine && !s.hasHeader) {
        Splice(0, 0, text);
        return;
    }
    const LineSpan &after = s.hasUsedLine ? s.lastUsed : s.header;
    const bool hasLineEnd = s.hasUsedLine ? s.lastUsedHasLineEnd : s.headerHasLineEnd;
    std::string insert = hasLineEnd ? std::string() : std::string("\r\n");
    insert += text;
    Splice(after.next, after.next, insert);
}

void ProfileDocument::AppendSection(std::string_view section, const std::string &body)
{
    std::string text = !bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r' ? "\r\n" : "";
    text += '[';
    text += section;
    text += "]\r\n";
    text += body;
    Splice(bytes_.size(), bytes_.size(), text);
}

bool ProfileDocument::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(section);
    key = Trim(key);
    const Section *s = Find(section);
    const Entry *e = s ? FindEntry(*s, key) : nullptr;
    if (e && e->hasEquals && View(e->value) == value)
        return false;
    // A line rewritten keeps the name as the file spells it.
    std::string line(e ? View(e->name) : key);
    line += '=';
    line += value;
    line += "\r\n";
    if (e)
        Splice(e->line.begin, e->line.next, line);
    else if (s)
        Append(*s, line);
    else
        AppendSection(section, line);
    return true;
}

bool ProfileDocument::DeleteKey(std::string_view section, std::string_view key)
{
    const Section *s = Find(section);
    if (!s)
        return false;
    key = Trim(key);
    uint32_t hash = FoldedHash(key);
    bool changed = false;
    for (size_t i = s->endEntry; i-- > s->firstEntry;) {
        const Entry &e = entries_[i];
        if (e.hash == hash && EqualFolded(View(e.name), key)) {
            bytes_.erase(e.line.begin, e.line.next - e.line.begin);
            changed = true;
        }
    }
    if (changed)
        Parse();
    return changed;
}

bool ProfileDocument::DeleteSection(std::string_view section)
{
    section = Trim(section);
    uint32_t hash = FoldedHash(section);
    bool changed = false;
    for (size_t i = sections_.size(); i-- > 0;) {
        const Section &s = sections_[i];
        if (s.hash != hash || !EqualFolded(View(s.name), section))
            continue;
        size_t begin = s.hasHeader ? s.header.begin : 0;
        if (s.end > begin) {
            bytes_.erase(begin, s.end - begin);
            changed = true;
        }
    }
    if (changed)
        Parse();
    return changed;
}

bool ProfileDocument::ReplaceSection(std::string_view section, const std::vector<std::string_view> &lines)
{
    section = Trim(section);
    std::string body;
    for (std::string_view l : lines) {
        body += l;
        body += "\r\n";
    }
    const Section *s = Find(section);
    if (!s) {
        AppendSection(section, body);
        return true;
    }
    size_t from = s->hasHeader ? s->header.next : 0;
    size_t to = s->hasUsedLine ? s->lastUsed.next : from;
    if (!s->hasUsedLine) {
        if (body.empty())
            return false;
        Append(*s, body);
        return true;
    }
    if (std::string_view(bytes_).substr(from, to - from) == body)
        return false;
    Splice(from, to, body);
    return true;
}

bool ProfileDocument::IsValidSectionName(std::string_view section)
{
    return !HasLineBreakOrNul(section) && FindLastAscii(section, ']') == std::string_view::npos;
}

bool ProfileDocument::IsValidKeyName(std::string_view key)
{
    std::string_view t = Trim(key);
    return !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos && (t.empty() || t.front() != '[');
}

bool ProfileDocument::IsValidValue(std::string_view value) { return !HasLineBreakOrNul(value); }

bool ProfileDocument::IsValidSectionLine(std::string_view line)
{
    std::string_view t = Trim(line);
    return !HasLineBreakOrNul(line) && (t.empty() || t.front() != '[');
}

} // namespace win
