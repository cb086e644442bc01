// An INI document held in memory: header comments, then sections in file order,
// each with its comments and its keys and values as text. Names of sections and
// keys are compared with A-Z taken as a-z; values keep their spaces. Read from
// and written back to one file.
#pragma once

#include <string>
#include <vector>

#include "platform/win/CString.h"
#include "platform/win/Collections.h"

class CIniFile {
public:
    CIniFile() = default;
    virtual ~CIniFile() = default;

    // Sets the document's file and parses it; false when the file cannot be read
    // or holds no section.
    bool LoadFromFile(win::LPCSTR path);
    // Parses the document's file into a cleared document.
    bool Load();
    // Rewrites the document's file with CR LF line ends; true on success.
    bool Save() const;
    void Clear();

    void SetFileName(win::LPCSTR path) { m_fileName = path; }
    const win::CString &GetFileName() const { return m_fileName; }

    int GetSectionCount() const { return static_cast<int>(m_sections.size()); }
    // Index or -1; the first match wins.
    int FindSection(win::LPCSTR name) const;
    int FindKey(int section, win::LPCSTR name) const;
    // Appends a section, also when one of that name exists; its index.
    int AddSection(win::LPCSTR name);

    // Sets an existing key; with `create` a missing section or key is appended.
    bool SetValue(win::LPCSTR section, win::LPCSTR key, win::LPCSTR value, bool create);
    bool SetInt(win::LPCSTR section, win::LPCSTR key, int value, bool create);
    bool SetBool(win::LPCSTR section, win::LPCSTR key, bool value, bool create);

    win::CString GetString(win::LPCSTR section, win::LPCSTR key, win::LPCSTR defaultValue) const;
    int GetInt(win::LPCSTR section, win::LPCSTR key, int defaultValue) const;
    bool GetBool(win::LPCSTR section, win::LPCSTR key, bool defaultValue) const;

    void AddHeaderComment(win::LPCSTR text);
    bool AddSectionComment(int section, win::LPCSTR text);
    bool AddComment(win::LPCSTR section, win::LPCSTR text);

protected:
    // Where the document's text lives: its file, unless a derived document keeps
    // it elsewhere.
    virtual bool ReadText(std::string &bytes) const;
    virtual bool WriteText(const std::string &bytes) const;

private:
    struct Section {
        win::CString name;
        win::CStringArray comments;
        win::CStringArray keys;
        win::CStringArray values;
    };

    win::CString m_fileName;
    win::CStringArray m_headerComments;
    std::vector<Section> m_sections;
};
