// The bytes of one INI file read with the Windows private-profile rules and edited
// so that every line not concerned keeps its bytes. Text is GBK and is never
// converted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

class ProfileDocument {
public:
    ProfileDocument() { Parse(); }
    explicit ProfileDocument(std::string bytes);

    const std::string &Bytes() const { return bytes_; }

    // How a file reads:
    // - Lines end at CRLF, LF or CR; blanks around names and values are trimmed.
    // - A header is a line starting with '[' and runs to the line's last ']'
    //   (`[B]x]` is the section "B]x"); a line starting with '[' without a ']' is
    //   an ordinary line of the section before it.
    // - Lines before the first header form the section "" (empty), which a later
    //   `[]` never replaces: a section is always the first one of its name.
    // - A line with '=' is a key; there are no comments (`;x=1` is the key ";x").
    //   A NUL ends a name or a value (`\0k=x` is the key "" with the value "x").
    // - A line without '=' is no key: reading its name gives nothing, and it shows
    //   only among the section's lines.
    // - Names match without regard to ASCII case (never touching the trail byte of
    //   a double-byte character); the first line of a name wins.

    // The value with one pair of enclosing quotes removed, or nothing.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    // Every header's name in file order as written, duplicates included; the
    // sections named "" are not listed (an empty name would end the list).
    std::vector<std::string_view> SectionNames() const;
    // Every key line's name of the section in file order as written, an empty name
    // and names differing only in case included. Nothing when there is no such
    // section.
    std::vector<std::string_view> KeyNames(std::string_view section) const;
    // The section's non-blank lines, trimmed: "key=value" for a key line (the
    // value as written, quotes kept) and the line itself otherwise.
    std::vector<std::string> SectionLines(std::string_view section) const;

    // One pair of enclosing double or single quotes removed, as a value reads.
    static std::string_view Unquote(std::string_view value);

    // Edits; each returns true when the bytes changed. Lines written end in CRLF.
    // SetValue rewrites the first line of the key's name (keeping the file's
    // spelling of the name), or adds the key after the section's last line, or
    // adds the section at the end of the file (keys of "" go before the first
    // header).
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the key's name from its section.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    bool DeleteSection(std::string_view section);
    // Replaces the lines of a section from its header to its last non-blank line
    // by `lines`; adds the section when it is missing.
    bool ReplaceSection(std::string_view section, const std::vector<std::string_view> &lines);

    // What a write may hold: no line break or NUL anywhere, no ']' in a section
    // name, no '=' in a key, no key or line that would read back as a header.
    static bool IsValidSectionName(std::string_view section);
    static bool IsValidKeyName(std::string_view key);
    static bool IsValidValue(std::string_view value);
    // A line written into a section by ReplaceSection.
    static bool IsValidSectionLine(std::string_view line);

private:
    // Offsets into the bytes. Only the first 4 GiB of a file are read as lines
    // (a settings file is a few kilobytes), so 32 bits hold every offset and an
    // entry stays small: a parse fills one table and touches little memory.
    using Offset = uint32_t;
    struct Range {
        Offset begin = 0;
        Offset end = 0;
    };
    struct LineSpan {
        Offset begin = 0; // first byte of the line
        Offset next = 0;  // first byte after its line end
    };
    struct Entry {
        LineSpan line;
        Range name;
        Range value;
        uint32_t hash = 0; // of the name, case folded
        bool hasEquals = false;
        bool hasLineEnd = false;
    };
    struct Section {
        bool hasHeader = false; // false for the lines before the first header
        bool headerHasLineEnd = false;
        bool hasUsedLine = false;
        bool lastUsedHasLineEnd = false;
        LineSpan header;
        LineSpan lastUsed; // the last non-blank line after the header
        Offset end = 0;    // first byte of the next header, or the file's end
        Range name;
        uint32_t hash = 0;
        uint32_t firstEntry = 0;
        uint32_t endEntry = 0;
    };

    void Parse();
    std::string_view View(Range r) const { return std::string_view(bytes_).substr(r.begin, r.end - r.begin); }
    const Section *Find(std::string_view section) const;
    const Entry *FindEntry(const Section &s, std::string_view key) const;
    // Inserts `text` as the section's new last line.
    void Append(const Section &s, std::string_view text);
    void Splice(size_t begin, size_t end, std::string_view text);
    void AppendSection(std::string_view section, const std::string &body);

    std::string bytes_;
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
};

} // namespace win
