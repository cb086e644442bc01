// The bytes of one INI file read with the private-profile rules (sections and keys
// matched without regard to ASCII case, blanks trimmed, one pair of enclosing
// quotes removed from a value) and edited so that every line not concerned keeps
// its bytes. Text is GBK and is never converted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace win {

class ProfileDocument {
public:
    ProfileDocument() = default;
    explicit ProfileDocument(std::string bytes);

    const std::string &Bytes() const { return bytes_; }

    // Reads. A section is the first one of that name in the file; a key is the
    // first line of that name inside it. A line without '=' is a key with an
    // empty value. Lines starting with ';' are comments; a NUL ends what is read
    // of a line. Lines end at CRLF, LF or CR.
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    // Section names once each, in file order, as first spelt.
    std::vector<std::string_view> SectionNames() const;
    // Key names of a section once each, in file order, as first spelt.
    std::vector<std::string_view> KeyNames(std::string_view section) const;
    // Every key line of a section as "key=value" (or the bare key), trimmed.
    std::vector<std::string> SectionLines(std::string_view section) const;

    // Edits; each returns true when the bytes changed. Lines written end in CRLF.
    // SetValue rewrites the key's line (keeping the file's spelling of the key),
    // or adds the key after the section's last key, or adds the section at the
    // end of the file.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of the key from its section.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes every section of that name with all its lines.
    bool DeleteSection(std::string_view section);
    // Replaces the lines of a section from its header to its last key line
    // (comments between them included) by `lines`; adds the section when it is
    // missing.
    bool ReplaceSection(std::string_view section, const std::vector<std::string_view> &lines);

    // What a write may hold: no line break anywhere, no ']' in a section name,
    // no '=' in a key, no key that would read back as a header or a comment.
    static bool IsValidSectionName(std::string_view section);
    static bool IsValidKeyName(std::string_view key);
    static bool IsValidValue(std::string_view value);
    // A line written into a section by ReplaceSection.
    static bool IsValidSectionLine(std::string_view line);

private:
    struct Range {
        size_t begin = 0;
        size_t end = 0;
    };
    struct Line {
        size_t begin = 0; // first byte of the line
        size_t next = 0;  // first byte after its line end
        Range text;       // trimmed readable content (up to a NUL, without the line end)
        bool hasLineEnd = false;
    };
    struct Entry {
        size_t line = 0;
        Range key;
        Range value;
        bool hasEquals = false;
        std::string upperKey;
    };
    struct Section {
        size_t header = 0;  // line index of the header
        size_t endLine = 0; // index of the next header, or the line count
        Range name;
        std::string upperName;
        std::vector<Entry> entries;
    };

    void Parse();
    std::string_view View(Range r) const { return std::string_view(bytes_).substr(r.begin, r.end - r.begin); }
    const Section *Find(std::string_view section) const;
    const Entry *FindEntry(const Section &s, std::string_view key) const;
    // The line after which a new key of the section goes: its last key line, or
    // the header. Comments and blank lines after it stay with the next section.
    size_t LastUsedLine(const Section &s) const;
    // Inserts `text` after line `index`, giving that line a line end when it has none.
    void InsertAfter(size_t index, std::string_view text);
    void Splice(size_t begin, size_t end, std::string_view text);
    void AppendSection(std::string_view section, const std::string &body);

    std::string bytes_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> firstSection_;
};

} // namespace win
