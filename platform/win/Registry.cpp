#include "platform/win/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/Handle.h"
#include "platform/win/Text.h"

namespace win {
namespace {

class RegistryKey : public KernelObject {
public:
    RegistryKey(HKEY root, std::string path, REGSAM access)
        : root(root), path(std::move(path)), access(access)
    {
    }
    HKEY root;
    std::string path; // below the root, components joined by '\'
    REGSAM access;
};

// A key as a call names it: a root, the path below it and the access its handle
// grants.
struct KeyRef {
    HKEY root = 0;
    std::string path;
    REGSAM access = KEY_ALL_ACCESS;
};

const char *RootName(HKEY root)
{
    return root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT" : "HKEY_CURRENT_USER";
}

std::string SectionOf(const KeyRef &key)
{
    std::string section = RootName(key.root);
    if (!key.path.empty())
        section += "\\" + key.path;
    return section;
}

LONG ResolveKey(HKEY key, LPCSTR subKey, KeyRef *out)
{
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER) {
        out->root = key;
    } else {
        auto object = FindKernelObjectAs<RegistryKey>(key);
        if (!object)
            return LONG(ERROR_INVALID_HANDLE);
        out->root = object->root;
        out->path = object->path;
        out->access = object->access;
    }
    if (subKey == nullptr)
        return LONG(ERROR_SUCCESS);
    std::string_view rest(subKey);
    while (!rest.empty()) {
        const size_t cut = rest.find('\\');
        const std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (part.empty())
            continue;
        for (unsigned char c : part) {
            if (c < 0x20 || c == 0x7F)
                return LONG(ERROR_INVALID_PARAMETER);
        }
        if (!out->path.empty())
            out->path += '\\';
        out->path.append(part);
    }
    return LONG(ERROR_SUCCESS);
}

// ---- The read-only classes root: how a web page is opened.

struct ClassValue {
    const char *key;
    const char *value;
};
const ClassValue kClasses[] = {
    {".htm", "htmlfile"},
    {"htmlfile\\shell\\open\\command", "xdg-open \"%1\""},
};

bool ClassKeyExists(const std::string &path)
{
    if (path.empty())
        return true;
    for (const ClassValue &c : kClasses) {
        const std::string_view key(c.key);
        if (key.size() >= path.size() && GbkEqualNoCase(key.substr(0, path.size()), path) &&
            (key.size() == path.size() || key[path.size()] == '\\'))
            return true;
    }
    return false;
}

const char *ClassDefaultValue(const std::string &path)
{
    for (const ClassValue &c : kClasses) {
        if (GbkEqualNoCase(c.key, path))
            return c.value;
    }
    return nullptr;
}

// ---- The text of the store.

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string *out, unsigned char c)
{
    static const char digits[] = "0123456789abcdef";
    out->push_back(digits[c >> 4]);
    out->push_back(digits[c & 15]);
}

std::string Unescape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out.push_back(s[i]);
            continue;
        }
        const char e = s[i + 1];
        if (e == '\\' || e == 'r' || e == 'n' || e == 't' || e == '0') {
            out.push_back(e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e == '0' ? '\0' : '\\');
            ++i;
        } else if (e == 'x' && i + 3 < s.size() && HexDigit(s[i + 2]) >= 0 && HexDigit(s[i + 3]) >= 0) {
            out.push_back(char(HexDigit(s[i + 2]) * 16 + HexDigit(s[i + 3])));
            i += 3;
        } else {
            // Not an escape of ours (a hand-written Windows path): kept as it is.
            out.push_back('\\');
        }
    }
    return out;
}

std::string EscapeValue(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 8);
    for (unsigned char c : s) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            AppendHexByte(&out, c);
        } else {
            out.push_back(char(c));
        }
    }
    return out;
}

// Value names also escape what would end the name, start a section or a comment,
// stand for the default value, or be trimmed away.
std::string EscapeName(std::string_view s)
{
    if (s.empty())
        return "@";
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const bool edge = i == 0 || i + 1 == s.size();
        const bool first = i == 0;
        if (c == '\\' || c == '=' || c < 0x20 || c == 0x7F || (edge && c == ' ') ||
            (first && (c == '[' || c == ';' || c == '#' || c == '@'))) {
            out += "\\x";
            AppendHexByte(&out, c);
        } else {
            out.push_back(char(c));
        }
    }
    return out;
}

bool ParseSection(std::string_view line, std::string_view *name)
{
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return false;
    *name = Trim(line.substr(1, line.size() - 2));
    return true;
}

// A value line: the unescaped name ("" for the default value) and the text after
// the '='.
bool ParseValue(std::string_view line, std::string *name, std::string_view *raw)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || trimmed.front() == '[')
        return false;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    const std::string_view rawName = Trim(line.substr(0, eq));
    *name = rawName == "@" ? std::string() : Unescape(rawName);
    size_t start = eq + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    *raw = line.substr(start);
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && GbkEqualNoCase(s.substr(0, prefix.size()), prefix);
}

LONG DecodeValue(std::string_view raw, DWORD *type, std::string *bytes)
{
    bytes->clear();
    if (StartsWithNoCase(raw, "sz:")) {
        *type = REG_SZ;
        *bytes = Unescape(raw.substr(3));
        return LONG(ERROR_SUCCESS);
    }
    if (StartsWithNoCase(raw, "dword:")) {
        const std::string_view digits = Trim(raw.substr(6));
        if (digits.empty() || digits.size() > 10)
            return LONG(ERROR_BADDB);
        uint64_t v = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return LONG(ERROR_BADDB);
            v = v * 10 + uint64_t(c - '0');
        }
        if (v > 0xFFFFFFFFu)
            return LONG(ERROR_BADDB);
        *type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            bytes->push_back(char((v >> (8 * i)) & 0xFF));
        return LONG(ERROR_SUCCESS);
    }
    if (StartsWithNoCase(raw, "hex:")) {
        std::string_view hex = raw.substr(4);
        int high = -1;
        for (char c : hex) {
            if (c == ',' || c == ' ' || c == '\t')
                continue;
            const int d = HexDigit(c);
            if (d < 0)
                return LONG(ERROR_BADDB);
            if (high < 0) {
                high = d;
            } else {
                bytes->push_back(char(high * 16 + d));
                high = -1;
            }
        }
        if (high >= 0)
            return LONG(ERROR_BADDB);
        *type = REG_BINARY;
        return LONG(ERROR_SUCCESS);
    }
    return LONG(ERROR_BADDB);
}

std::string EncodeValue(DWORD type, std::string_view bytes)
{
    if (type == REG_SZ)
        return "sz:" + EscapeValue(bytes);
    if (type == REG_DWORD) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[size_t(i)]);
        return "dword:" + std::to_string(v);
    }
    std::string out = "hex:";
    for (unsigned char c : bytes)
        AppendHexByte(&out, c);
    return out;
}

struct StoreText {
    std::vector<std::string> lines;
    bool crlf = false;
};

bool KeyExistsIn(const StoreText &text, const std::string &section)
{
    for (const std::string &line : text.lines) {
        std::string_view name;
        if (!ParseSection(line, &name))
            continue;
        if (GbkEqualNoCase(name, section) ||
            (name.size() > section.size() && StartsWithNoCase(name, section) && name[section.size()] == '\\'))
            return true;
    }
    return false;
}

// The index of the first line holding the value, or -1.
long FindValueLine(const StoreText &text, const std::string &section, const std::string &name)
{
    bool inKey = false;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        std::string_view sectionName;
        if (ParseSection(text.lines[i], &sectionName)) {
            inKey = GbkEqualNoCase(sectionName, section);
            continue;
        }
        std::string valueName;
        std::string_view raw;
        if (inKey && ParseValue(text.lines[i], &valueName, &raw) && GbkEqualNoCase(valueName, name))
            return long(i);
    }
    return -1;
}

// Adds a section for the key at the end when it has none.
void AddSection(StoreText *text, const std::string &section)
{
    if (!text->lines.empty() && !Trim(text->lines.back()).empty())
        text->lines.emplace_back();
    text->lines.push_back("[" + section + "]");
}

// Sets the value line: in place of the old one, else after the last line of the
// key's first section, else in a new section at the end.
void PutValueLine(StoreText *text, const std::string &section, const std::string &name,
                  const std::string &line)
{
    const long found = FindValueLine(*text, section, name);
    if (found >= 0) {
        text->lines[size_t(found)] = line;
        return;
    }
    long header = -1;
    for (size_t i = 0; i < text->lines.size(); ++i) {
        std::string_view sectionName;
        if (ParseSection(text->lines[i], &sectionName) && GbkEqualNoCase(sectionName, section)) {
            header = long(i);
            break;
        }
    }
    if (header < 0) {
        AddSection(text, section);
        text->lines.push_back(line);
        return;
    }
    size_t insertAt = size_t(header) + 1;
    for (size_t i = insertAt; i < text->lines.size(); ++i) {
        std::string_view sectionName;
        if (ParseSection(text->lines[i], &sectionName))
            break;
        if (!Trim(text->lines[i]).empty())
            insertAt = i + 1;
    }
    text->lines.insert(text->lines.begin() + long(insertAt), line);
}

// ---- The store file.

std::string StorePath()
{
    const char *explicitPath = std::getenv("LUMO_REGISTRY");
    if (explicitPath != nullptr && *explicitPath != '\0')
        return explicitPath;
    std::string base;
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config != '\0') {
        base = config;
    } else {
        const char *home = std::getenv("HOME");
        if (home != nullptr && *home != '\0') {
            base = home;
        } else {
            passwd entry{};
            passwd *found = nullptr;
            char buffer[4096];
            if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
                base = found->pw_dir;
        }
        base += "/.config";
    }
    return base + "/lumo/registry.ini";
}

LONG ReadError(int err) { return LONG(err == EACCES || err == EPERM ? ERROR_ACCESS_DENIED : ERROR_CANTREAD); }

LONG WriteError(int err)
{
    return LONG(err == EACCES || err == EPERM || err == EROFS ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE);
}

// Reads the whole store; a missing file is an empty store.
LONG ReadStore(const std::string &path, StoreText *text)
{
    text->lines.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? LONG(ERROR_SUCCESS) : ReadError(errno);
    std::string data;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return ReadError(err);
        }
        if (n == 0)
            break;
        data.append(buffer, size_t(n));
    }
    ::close(fd);
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (text->lines.empty())
                text->crlf = true;
        }
        text->lines.push_back(std::move(line));
        start = end + 1;
    }
    return LONG(ERROR_SUCCESS);
}

bool WriteAll(int fd, const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Creates the folders leading to the store, as the user's own.
void MakeParentFolders(const std::string &path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

// Replaces the store with `text` through a temporary file beside it.
LONG ReplaceStore(const std::string &path, const StoreText &text)
{
    std::string data;
    for (const std::string &line : text.lines) {
        data += line;
        data += text.crlf ? "\r\n" : "\n";
    }
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return WriteError(errno);
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
        // Root keeps the owner of a store it rewrites; for anyone else the owner
        // is already right or cannot be given away, and the store stays theirs.
        const int owned = ::fchown(fd, old.st_uid, old.st_gid);
        (void)owned;
    } else {
        ::fchmod(fd, 0600);
    }
    const bool written = WriteAll(fd, data) && ::fsync(fd) == 0;
    const int writeErr = errno;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = written ? errno : writeErr;
        ::unlink(temp.c_str());
        return WriteError(err);
    }
    return LONG(ERROR_SUCCESS);
}

// Runs `edit` on the store under the lock of its lock file and writes the result
// back when `edit` succeeded and changed it.
LONG ModifyStore(const std::function<LONG(StoreText *text, bool *changed)> &edit)
{
    std::string path = StorePath();
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char *real = ::realpath(path.c_str(), nullptr);
        if (real != nullptr) {
            path = real;
            std::free(real);
        }
    }
    MakeParentFolders(path);
    const std::string lockPath = path + ".lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return WriteError(errno);
    while (::flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int err = errno;
            ::close(lockFd);
            return WriteError(err);
        }
    }
    StoreText text;
    LONG result = ReadStore(path, &text);
    bool changed = false;
    // The store is replaced by a rename, which the folder allows; a store the
    // user may not write is refused as the file itself would refuse it.
    if (result == LONG(ERROR_SUCCESS) && ::access(path.c_str(), F_OK) == 0 &&
        ::access(path.c_str(), W_OK) != 0)
        result = WriteError(errno);
    if (result == LONG(ERROR_SUCCESS))
        result = edit(&text, &changed);
    if (result == LONG(ERROR_SUCCESS) && changed)
        result = ReplaceStore(path, text);
    ::close(lockFd);
    return result;
}

LONG KeyExists(const KeyRef &key, bool *exists)
{
    if (key.root == HKEY_CLASSES_ROOT) {
        *exists = ClassKeyExists(key.path);
        return LONG(ERROR_SUCCESS);
    }
    if (key.path.empty()) {
        *exists = true;
        return LONG(ERROR_SUCCESS);
    }
    StoreText text;
    const LONG result = ReadStore(StorePath(), &text);
    *exists = result == LONG(ERROR_SUCCESS) && KeyExistsIn(text, SectionOf(key));
    return result;
}

HKEY OpenHandle(const KeyRef &key, REGSAM access)
{
    return AddKernelObject(std::make_shared<RegistryKey>(key.root, key.path, access));
}

} // namespace

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES,
                     PHKEY result, LPDWORD disposition)
{
    if (result == nullptr)
        return LONG(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    LONG status = ResolveKey(key, subKey, &ref);
    if (status != LONG(ERROR_SUCCESS))
        return status;
    bool exists = false;
    status = KeyExists(ref, &exists);
    if (status != LONG(ERROR_SUCCESS))
        return status;
    bool created = false;
    if (!exists) {
        if (ref.root == HKEY_CLASSES_ROOT)
            return LONG(ERROR_ACCESS_DENIED);
        const std::string section = SectionOf(ref);
        status = ModifyStore([&](StoreText *text, bool *changed) {
            if (!KeyExistsIn(*text, section)) {
                AddSection(text, section);
                *changed = created = true;
            }
            return LONG(ERROR_SUCCESS);
        });
        if (status != LONG(ERROR_SUCCESS))
            return status;
    }
    *result = OpenHandle(ref, access);
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return LONG(ERROR_SUCCESS);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    if (result == nullptr)
        return LONG(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    LONG status = ResolveKey(key, subKey, &ref);
    if (status != LONG(ERROR_SUCCESS))
        return status;
    bool exists = false;
    status = KeyExists(ref, &exists);
    if (status != LONG(ERROR_SUCCESS))
        return status;
    if (!exists)
        return LONG(ERROR_FILE_NOT_FOUND);
    *result = OpenHandle(ref, access);
    return LONG(ERROR_SUCCESS);
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    KeyRef ref;
    LONG status = ResolveKey(key, nullptr, &ref);
    if (status != LONG(ERROR_SUCCESS))
        return status;
    if (data != nullptr && size == nullptr)
        return LONG(ERROR_INVALID_PARAMETER);
    if ((ref.access & KEY_QUERY_VALUE) == 0)
        return LONG(ERROR_ACCESS_DENIED);
    const std::string valueName = name != nullptr ? name : "";
    DWORD valueType = REG_NONE;
    std::string bytes;
    if (ref.root == HKEY_CLASSES_ROOT) {
        const char *value = valueName.empty() ? ClassDefaultValue(ref.path) : nullptr;
        if (value == nullptr)
            return LONG(ERROR_FILE_NOT_FOUND);
        valueType = REG_SZ;
        bytes = value;
    } else {
        StoreText text;
        status = ReadStore(StorePath(), &text);
        if (status != LONG(ERROR_SUCCESS))
            return status;
        const long line = FindValueLine(text, SectionOf(ref), valueName);
        if (line < 0)
            return LONG(ERROR_FILE_NOT_FOUND);
        std::string parsedName;
        std::string_view raw;
        ParseValue(text.lines[size_t(line)], &parsedName, &raw);
        status = DecodeValue(raw, &valueType, &bytes);
        if (status != LONG(ERROR_SUCCESS))
            return status;
    }
    if (valueType == REG_SZ)
        bytes.push_back('\0');
    if (bytes.size() > 0xFFFFFFFFu)
        return LONG(ERROR_BADDB);
    if (type != nullptr)
        *type = valueType;
    const DWORD needed = DWORD(bytes.size());
    if (data == nullptr) {
        if (size != nullptr)
            *size = needed;
        return LONG(ERROR_SUCCESS);
    }
    if (*size < needed) {
        *size = needed;
        return LONG(ERROR_MORE_DATA);
    }
    std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return LONG(ERROR_SUCCESS);
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE *data, DWORD size)
{
    KeyRef ref;
    const LONG status = ResolveKey(key, nullptr, &ref);
    if (status != LONG(ERROR_SUCCESS))
        return status;
    if ((ref.access & KEY_SET_VALUE) == 0 || ref.root == HKEY_CLASSES_ROOT)
        return LONG(ERROR_ACCESS_DENIED);
    if (data == nullptr && size != 0)
        return LONG(ERROR_INVALID_PARAMETER);
    if (type != REG_SZ && type != REG_DWORD && type != REG_BINARY)
        return LONG(ERROR_NOT_SUPPORTED);
    if (type == REG_DWORD && size != 4)
        return LONG(ERROR_INVALID_PARAMETER);
    std::string bytes(reinterpret_cast<const char *>(data), data != nullptr ? size : 0);
    if (type == REG_SZ && !bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    const std::string valueName = name != nullptr ? name : "";
    const std::string line = EscapeName(valueName) + "=" + EncodeValue(type, bytes);
    const std::string section = SectionOf(ref);
    return ModifyStore([&](StoreText *text, bool *changed) {
        const long found = FindValueLine(*text, section, valueName);
        if (found >= 0 && text->lines[size_t(found)] == line)
            return LONG(ERROR_SUCCESS);
        PutValueLine(text, section, valueName, line);
        *changed = true;
        return LONG(ERROR_SUCCESS);
    });
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER)
        return LONG(ERROR_SUCCESS);
    if (!FindKernelObjectAs<RegistryKey>(key))
        return LONG(ERROR_INVALID_HANDLE);
    CloseHandle(key);
    return LONG(ERROR_SUCCESS);
}

} // namespace win
