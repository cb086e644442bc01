#include "chatdesk/IniFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;

namespace {

bool SameName(LPCSTR a, LPCSTR b)
{
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (x == 0)
            return true;
    }
}

// atoi's reading (leading blanks, a sign, digits), saturated instead of
// overflowing on text of huge numbers.
int TextToInt(LPCSTR text)
{
    const long long v = std::strtoll(text, nullptr, 10);
    if (v > 2147483647LL)
        return 2147483647;
    if (v < -2147483647LL - 1)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

bool ReadWholeFile(LPCSTR path, std::string &bytes)
{
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return ok;
}

} // namespace

bool CIniFile::LoadFromFile(LPCSTR path)
{
    m_fileName = path;
    return Load();
}

void CIniFile::Clear()
{
    m_headerComments.RemoveAll();
    m_sections.clear();
}

bool CIniFile::Load()
{
    Clear();
    std::string bytes;
    if (!ReadText(bytes))
        return false;

    CString current;
    bool inSection = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        // A line is text: what follows a NUL byte is not part of it.
        line.resize(std::strlen(line.c_str()));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const size_t mark = line.find_first_of(";#[=");
        if (mark == std::string::npos)
            continue;
        const char c = line[mark];
        if (c == ';' || c == '#') {
            const std::string text = line.substr(mark + 1);
            if (inSection)
                AddComment(current, text.c_str());
            else
                AddHeaderComment(text.c_str());
        } else if (c == '=') {
            const std::string key = line.substr(0, mark), value = line.substr(mark + 1);
            SetValue(inSection ? static_cast<LPCSTR>(current) : "", key.c_str(), value.c_str(), true);
            if (!inSection) {
                current = "";
                inSection = true;
            }
        } else {
            const size_t close = line.rfind(']');
            if (close == std::string::npos || close < mark)
                continue;
            current = CString(line.substr(mark + 1, close - mark - 1).c_str());
            AddSection(current);
            inSection = true;
        }
    }
    return !m_sections.empty();
}

bool CIniFile::Save() const
{
    std::string text;
    for (int i = 0; i < m_headerComments.GetSize(); ++i)
        text.append(";").append(m_headerComments.GetAt(i)).append("\r\n");
    if (m_headerComments.GetSize() > 0)
        text.append("\r\n");
    for (const Section &s : m_sections) {
        text.append("[").append(s.name).append("]\r\n");
        for (int i = 0; i < s.comments.GetSize(); ++i)
            text.append(";").append(s.comments.GetAt(i)).append("\r\n");
        for (int i = 0; i < s.keys.GetSize(); ++i)
            text.append(s.keys.GetAt(i)).append("=").append(s.values.GetAt(i)).append("\r\n");
        text.append("\r\n");
    }
    return WriteText(text);
}

bool CIniFile::ReadText(std::string &bytes) const
{
    return ReadWholeFile(m_fileName, bytes);
}

bool CIniFile::WriteText(const std::string &bytes) const
{
    const HANDLE file = CreateFileA(m_fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

int CIniFile::FindSection(LPCSTR name) const
{
    for (size_t i = 0; i < m_sections.size(); ++i)
        if (SameName(m_sections[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int CIniFile::FindKey(int section, LPCSTR name) const
{
    if (section < 0 || section >= GetSectionCount())
        return -1;
    const Section &s = m_sections[static_cast<size_t>(section)];
    for (int i = 0; i < s.keys.GetSize(); ++i)
        if (SameName(s.keys.GetAt(i), name))
            return i;
    return -1;
}

int CIniFile::AddSection(LPCSTR name)
{
    Section s;
    s.name = name;
    m_sections.push_back(std::move(s));
    return GetSectionCount() - 1;
}

bool CIniFile::SetValue(LPCSTR section, LPCSTR key, LPCSTR value, bool create)
{
    int index = FindSection(section);
    if (index < 0) {
        if (!create)
            return false;
        index = AddSection(section);
    }
    Section &s = m_sections[static_cast<size_t>(index)];
    const int k = FindKey(index, key);
    if (k >= 0) {
        s.values.SetAt(k, value);
        return true;
    }
    if (!create)
        return false;
    s.keys.Add(key);
    s.values.Add(value);
    return true;
}

bool CIniFile::SetInt(LPCSTR section, LPCSTR key, int value, bool create)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return SetValue(section, key, text, create);
}

bool CIniFile::SetBool(LPCSTR section, LPCSTR key, bool value, bool create)
{
    return SetInt(section, key, value ? 1 : 0, create);
}

CString CIniFile::GetString(LPCSTR section, LPCSTR key, LPCSTR defaultValue) const
{
    const int index = FindSection(section);
    const int k = FindKey(index, key);
    if (k < 0)
        return CString(defaultValue);
    return m_sections[static_cast<size_t>(index)].values.GetAt(k);
}

int CIniFile::GetInt(LPCSTR section, LPCSTR key, int defaultValue) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", defaultValue);
    return TextToInt(GetString(section, key, text));
}

bool CIniFile::GetBool(LPCSTR section, LPCSTR key, bool defaultValue) const
{
    return GetInt(section, key, defaultValue ? 1 : 0) != 0;
}

void CIniFile::AddHeaderComment(LPCSTR text)
{
    m_headerComments.Add(text);
}

bool CIniFile::AddSectionComment(int section, LPCSTR text)
{
    if (section < 0 || section >= GetSectionCount())
        return false;
    m_sections[static_cast<size_t>(section)].comments.Add(text);
    return true;
}

bool CIniFile::AddComment(LPCSTR section, LPCSTR text)
{
    return AddSectionComment(FindSection(section), text);
}
