#include "platform/win/ProfileDocument.h"

#include <cstring>
#include <unordered_set>

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

// Position of the ASCII byte `c` in s, stepping over whole GBK characters so
// that a trail byte with the same value is never taken for it.
size_t FindAscii(std::string_view s, char c)
{
    for (size_t i = 0; i < s.size();) {
        if (s[i] == c)
            return i;
        i += GbkCharLength(s.data() + i, s.size() - i);
    }
    return std::string_view::npos;
}

bool HasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

ProfileDocument::ProfileDocument(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

void ProfileDocument::Parse()
{
    lines_.clear();
    sections_.clear();
    firstSection_.clear();
    const size_t n = bytes_.size();
    for (size_t pos = 0; pos < n;) {
        Line line;
        line.begin = pos;
        // A line ends at CRLF, LF or a lone CR; neither byte is ever part of a
        // double-byte character.
        size_t eol = bytes_.find_first_of("\r\n", pos);
        size_t contentEnd = eol == std::string::npos ? n : eol;
        line.hasLineEnd = eol != std::string::npos;
        line.next = !line.hasLineEnd ? n : bytes_[eol] == '\r' && eol + 1 < n && bytes_[eol + 1] == '\n' ? eol + 2 : eol + 1;
        const void *nul = std::memchr(bytes_.data() + pos, '\0', contentEnd - pos);
        size_t end = nul ? static_cast<size_t>(static_cast<const char *>(nul) - bytes_.data()) : contentEnd;
        std::string_view text = Trim(std::string_view(bytes_).substr(pos, end - pos));
        line.text.begin = text.empty() ? pos : static_cast<size_t>(text.data() - bytes_.data());
        line.text.end = line.text.begin + text.size();
        lines_.push_back(line);
        pos = line.next;
    }

    auto rangeOf = [this](std::string_view v) {
        size_t b = v.empty() ? 0 : static_cast<size_t>(v.data() - bytes_.data());
        return Range{b, b + v.size()};
    };
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view text = View(lines_[i].text);
        if (text.empty() || text.front() == ';')
            continue;
        if (text.front() == '[') {
            if (!sections_.empty())
                sections_.back().endLine = i;
            std::string_view inner = text.substr(1);
            size_t close = FindAscii(inner, ']');
            if (close != std::string_view::npos)
                inner = inner.substr(0, close);
            inner = Trim(inner);
            Section s;
            s.header = i;
            s.endLine = lines_.size();
            s.name = rangeOf(inner);
            s.upperName = GbkUpper(inner);
            firstSection_.try_emplace(s.upperName, sections_.size());
            sections_.push_back(std::move(s));
            continue;
        }
        if (sections_.empty())
            continue; // lines before the first header belong to no section
        Entry e;
        e.line = i;
        size_t eq = text.find('=');
        std::string_view key = Trim(text.substr(0, eq));
        e.key = rangeOf(key);
        e.hasEquals = eq != std::string_view::npos;
        e.value = e.hasEquals ? rangeOf(Trim(text.substr(eq + 1))) : Range{};
        e.upperKey = GbkUpper(key);
        sections_.back().entries.push_back(std::move(e));
    }
}

const ProfileDocument::Section *ProfileDocument::Find(std::string_view section) const
{
    auto it = firstSection_.find(GbkUpper(Trim(section)));
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

const ProfileDocument::Entry *ProfileDocument::FindEntry(const Section &s, std::string_view key) const
{
    std::string upper = GbkUpper(Trim(key));
    for (const Entry &e : s.entries)
        if (e.upperKey == upper)
            return &e;
    return nullptr;
}

std::optional<std::string_view> ProfileDocument::Value(std::string_view section, std::string_view key) const
{
    const Section *s = Find(section);
    const Entry *e = s ? FindEntry(*s, key) : nullptr;
    if (!e)
        return std::nullopt;
    std::string_view v = View(e->value);
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\''))
        v = v.substr(1, v.size() - 2);
    return v;
}

std::vector<std::string_view> ProfileDocument::SectionNames() const
{
    std::vector<std::string_view> names;
    for (size_t i = 0; i < sections_.size(); ++i)
        if (firstSection_.at(sections_[i].upperName) == i)
            names.push_back(View(sections_[i].name));
    return names;
}

std::vector<std::string_view> ProfileDocument::KeyNames(std::string_view section) const
{
    std::vector<std::string_view> names;
    const Section *s = Find(section);
    if (!s)
        return names;
    std::unordered_set<std::string_view> seen;
    for (const Entry &e : s->entries)
        if (seen.insert(e.upperKey).second)
            names.push_back(View(e.key));
    return names;
}

std::vector<std::string> ProfileDocument::SectionLines(std::string_view section) const
{
    std::vector<std::string> out;
    const Section *s = Find(section);
    if (!s)
        return out;
    for (const Entry &e : s->entries) {
        std::string line(View(e.key));
        if (e.hasEquals) {
            line += '=';
            line += View(e.value);
        }
        out.push_back(std::move(line));
    }
    return out;
}

size_t ProfileDocument::LastUsedLine(const Section &s) const
{
    return s.entries.empty() ? s.header : s.entries.back().line;
}

void ProfileDocument::Splice(size_t begin, size_t end, std::string_view text)
{
    bytes_.replace(begin, end - begin, text);
    Parse();
}

void ProfileDocument::InsertAfter(size_t index, std::string_view text)
{
    const Line &line = lines_[index];
    std::string insert = line.hasLineEnd ? std::string() : std::string("\r\n");
    insert += text;
    Splice(line.next, line.next, insert);
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
    std::string line(key);
    line += '=';
    line += value;
    line += "\r\n";
    if (!s) {
        AppendSection(section, line);
        return true;
    }
    const Entry *e = FindEntry(*s, key);
    if (!e) {
        InsertAfter(LastUsedLine(*s), line);
        return true;
    }
    if (e->hasEquals && View(e->value) == value)
        return false;
    // The line keeps the key as the file spells it.
    std::string rewritten(View(e->key));
    rewritten += '=';
    rewritten += value;
    rewritten += "\r\n";
    const Line &old = lines_[e->line];
    Splice(old.begin, old.next, rewritten);
    return true;
}

bool ProfileDocument::DeleteKey(std::string_view section, std::string_view key)
{
    const Section *s = Find(section);
    if (!s)
        return false;
    std::string upper = GbkUpper(Trim(key));
    std::vector<size_t> doomed;
    for (const Entry &e : s->entries)
        if (e.upperKey == upper)
            doomed.push_back(e.line);
    if (doomed.empty())
        return false;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        bytes_.erase(lines_[*it].begin, lines_[*it].next - lines_[*it].begin);
    Parse();
    return true;
}

bool ProfileDocument::DeleteSection(std::string_view section)
{
    std::string upper = GbkUpper(Trim(section));
    bool changed = false;
    for (size_t i = sections_.size(); i-- > 0;) {
        const Section &s = sections_[i];
        if (s.upperName != upper)
            continue;
        size_t begin = lines_[s.header].begin;
        size_t end = s.endLine < lines_.size() ? lines_[s.endLine].begin : bytes_.size();
        bytes_.erase(begin, end - begin);
        changed = true;
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
    size_t last = LastUsedLine(*s);
    if (last == s->header) {
        if (body.empty())
            return false;
        InsertAfter(s->header, body);
        return true;
    }
    size_t from = lines_[s->header].next;
    size_t to = lines_[last].next;
    if (std::string_view(bytes_).substr(from, to - from) == body)
        return false;
    Splice(from, to, body);
    return true;
}

bool ProfileDocument::IsValidSectionName(std::string_view section)
{
    return !HasLineBreakOrNul(section) && FindAscii(section, ']') == std::string_view::npos;
}

bool ProfileDocument::IsValidKeyName(std::string_view key)
{
    std::string_view t = Trim(key);
    return !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
           (t.empty() || (t.front() != '[' && t.front() != ';'));
}

bool ProfileDocument::IsValidValue(std::string_view value) { return !HasLineBreakOrNul(value); }

bool ProfileDocument::IsValidSectionLine(std::string_view line)
{
    std::string_view t = Trim(line);
    return !HasLineBreakOrNul(line) && (t.empty() || t.front() != '[');
}

} // namespace win
