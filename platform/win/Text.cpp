#include "platform/win/Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace win {
namespace {

// iconv descriptors are not thread-safe; each conversion direction keeps one
// descriptor behind a lock, opened on first use.
struct Converter {
    Converter(const char *toCode, const char *fromCode) : to(toCode), from(fromCode) {}
    const char *to;
    const char *from;
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    std::mutex lock;
};

Converter gbkToUtf8{"UTF-8", "GB18030"};
Converter utf8ToGbk{"GBK", "UTF-8"};

// Runs `in` through the converter; on a sequence the target cannot take (or the
// source does not hold), writes `replacement` and skips one input character.
std::string Convert(Converter &c, std::string_view in, std::string_view replacement,
                    bool sourceIsGbk)
{
    std::lock_guard<std::mutex> guard(c.lock);
    if (c.cd == reinterpret_cast<iconv_t>(-1)) {
        c.cd = iconv_open(c.to, c.from);
        if (c.cd == reinterpret_cast<iconv_t>(-1))
            return std::string(in);
    }
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    char *src = const_cast<char *>(in.data());
    size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
        char *dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(c.cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (r != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: replace one character and go on.
        out.append(replacement);
        size_t skip = 1;
        if (sourceIsGbk) {
            skip = GbkCharLength(src, srcLeft);
        } else {
            unsigned char b = static_cast<unsigned char>(*src);
            skip = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            // Skip continuation bytes only when they are really there.
            size_t i = 1;
            while (i < skip && i < srcLeft && (static_cast<unsigned char>(src[i]) & 0xC0) == 0x80)
                ++i;
            skip = i;
        }
        if (skip > srcLeft)
            skip = srcLeft;
        src += skip;
        srcLeft -= skip;
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

bool IsAsciiOnly(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

size_t GbkCharLength(const char *s, size_t avail)
{
    if (avail == 0)
        return 0;
    unsigned char lead = static_cast<unsigned char>(s[0]);
    if (!IsGbkLeadByte(lead) || avail < 2)
        return 1;
    unsigned char second = static_cast<unsigned char>(s[1]);
    if (second >= 0x30 && second <= 0x39)
        return avail >= 4 ? 4 : 1;
    if (second >= 0x40 && second <= 0xFE && second != 0x7F)
        return 2;
    return 1;
}

std::string GbkToUtf8(std::string_view gbk)
{
    if (IsAsciiOnly(gbk))
        return std::string(gbk);
    return Convert(gbkToUtf8, gbk, "\xEF\xBF\xBD", true);
}

std::string Utf8ToGbk(std::string_view utf8)
{
    if (IsAsciiOnly(utf8))
        return std::string(utf8);
    return Convert(utf8ToGbk, utf8, "?", false);
}

std::u16string GbkToUtf16(std::string_view gbk)
{
    std::string utf8 = GbkToUtf8(gbk);
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        size_t n;
        if (b < 0x80) { cp = b; n = 1; }
        else if (b < 0xE0) { cp = b & 0x1F; n = 2; }
        else if (b < 0xF0) { cp = b & 0x0F; n = 3; }
        else { cp = b & 0x07; n = 4; }
        for (size_t k = 1; k < n && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        // GBK A3 A0 decodes to the private-use U+E5E5, which fonts have no glyph
        // for; Chinese Windows fonts show it as a full-width blank, and so do we.
        if (cp == 0xE5E5)
            cp = 0x3000;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToGbk(std::u16string_view utf16)
{
    std::string utf8;
    utf8.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = '?';
        }
        if (cp < 0x80) {
            utf8.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            utf8.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            utf8.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            utf8.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            utf8.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return Utf8ToGbk(utf8);
}

size_t GbkFitLength(std::string_view text, size_t maxBytes)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t n = GbkCharLength(text.data() + pos, text.size() - pos);
        if (pos + n > maxBytes)
            break;
        pos += n;
    }
    return pos;
}

std::string GbkCut(std::string_view text, size_t maxBytes)
{
    return std::string(text.substr(0, GbkFitLength(text, maxBytes)));
}

size_t GbkCopyToField(char *field, size_t fieldSize, std::string_view text)
{
    if (fieldSize == 0)
        return 0;
    size_t n = GbkFitLength(text, fieldSize);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, fieldSize - n);
    return n;
}

size_t GbkFind(std::string_view text, std::string_view sub, size_t from)
{
    for (size_t i = from; i <= text.size() && sub.size() <= text.size() - i;) {
        if (text.substr(i, sub.size()) == sub)
            return i;
        if (i == text.size())
            break;
        i += GbkCharLength(text.data() + i, text.size() - i);
    }
    return std::string_view::npos;
}

namespace {
template <typename F>
LPSTR MapAsciiLetters(LPSTR text, F map)
{
    if (!text)
        return text;
    size_t len = std::strlen(text);
    for (size_t i = 0; i < len;) {
        size_t n = GbkCharLength(text + i, len - i);
        if (n == 1)
            text[i] = map(text[i]);
        i += n;
    }
    return text;
}
char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
} // namespace

LPSTR CharUpperA(LPSTR text) { return MapAsciiLetters(text, Upper); }
LPSTR CharLowerA(LPSTR text) { return MapAsciiLetters(text, Lower); }

std::string GbkUpper(std::string_view text)
{
    std::string s(text);
    for (size_t i = 0; i < s.size();) {
        size_t n = GbkCharLength(s.data() + i, s.size() - i);
        if (n == 1)
            s[i] = Upper(s[i]);
        i += n;
    }
    return s;
}

bool GbkEqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && GbkUpper(a) == GbkUpper(b);
}

int lstrcmpiA(LPCSTR a, LPCSTR b)
{
    std::string ua = GbkUpper(a ? a : "");
    std::string ub = GbkUpper(b ? b : "");
    int r = std::strcmp(ua.c_str(), ub.c_str());
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int lstrcmpA(LPCSTR a, LPCSTR b)
{
    int r = std::strcmp(a ? a : "", b ? b : "");
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

LPSTR lstrcpyA(LPSTR dst, LPCSTR src)
{
    if (!dst)
        return nullptr;
    return std::strcpy(dst, src ? src : "");
}

LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int n)
{
    if (!dst || n <= 0)
        return dst;
    size_t i = 0;
    if (src)
        for (; i + 1 < static_cast<size_t>(n) && src[i]; ++i)
            dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

LPSTR lstrcatA(LPSTR dst, LPCSTR src)
{
    if (!dst)
        return nullptr;
    return std::strcat(dst, src ? src : "");
}

std::string FormatV(const char *format, va_list args)
{
    std::string out;
    if (!format)
        return out;
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, format, again);
    }
    va_end(again);
    return out;
}

} // namespace win
