#include "lumon/shell/StockMatcher.h"

#include <cstring>

#include "lumon/core/MarketRecords.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

// The first character of each initial A .. Z, then the end mark. I, U and V
// begin where the next letter begins, so no character has them.
const char kBoundaries[] = "啊芭擦搭蛾发噶哈击击喀垃妈拿哦啪期然撒塌挖挖挖昔压匝座";
static_assert(sizeof kBoundaries == 27 * 2 + 1);

uint16_t Boundary(int i)
{
    return uint16_t(uint8_t(kBoundaries[2 * i]) << 8 | uint8_t(kBoundaries[2 * i + 1]));
}

// The initial of every character from the first boundary to the end mark,
// as letter + 1 (0: none).
struct InitialTable {
    uint16_t first, end;
    uint8_t letter[0x3000];
    InitialTable() : first(Boundary(0)), end(Boundary(26)), letter{}
    {
        static_assert(0xD7F9 - 0xB0A1 <= 0x3000);
        for (int l = 0; l < 26; ++l)
            for (unsigned c = Boundary(l); c < Boundary(l + 1); ++c)
                letter[c - first] = uint8_t(l + 1);
    }
};

const InitialTable &Initials()
{
    static const InitialTable table;
    return table;
}

inline char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline int Level2Bit(uint16_t c) { return ((c >> 8) - 0xA0) * 96 + ((c & 0xFF) - 0xA0); }

} // namespace

TStockMatcher::TStockMatcher()
{
    Initials();
    LoadLevel2("..\\CFG\\SETTING.INI");
}

void TStockMatcher::LoadLevel2(const char *settingsFile)
{
    std::memset(level2_, 0, sizeof level2_);
    std::memset(level2Count_, 0, sizeof level2Count_);
    std::memset(level2Any_, 0, sizeof level2Any_);
    level2Loaded_ = false;
    for (int letter = 0; letter < 26; ++letter) {
        char key[2] = {char('A' + letter), 0};
        char value[256] = {};
        GetPrivateProfileStringA("PYLEVEL2", key, "XXX", value, sizeof value, settingsFile);
        const auto *p = reinterpret_cast<const uint8_t *>(value);
        size_t n = std::strlen(value);
        for (size_t i = 0; i < n && level2Count_[letter] < 16;) {
            if (i + 1 < n && p[i] >= 0xA0 && p[i + 1] >= 0xA0) {
                uint16_t c = uint16_t(p[i] << 8 | p[i + 1]);
                level2_[letter][level2Count_[letter]++] = c;
                level2Any_[Level2Bit(c) / 8] |= uint8_t(1u << (Level2Bit(c) % 8));
                level2Loaded_ = true;
                i += 2;
            } else {
                ++i;
            }
        }
    }
}

int TStockMatcher::BoundaryInitial(uint16_t character)
{
    const InitialTable &t = Initials();
    if (character < t.first || character >= t.end)
        return -1;
    return t.letter[character - t.first] - 1;
}

bool TStockMatcher::IsPrefix(const char *text, int length, const char *s, int sLength)
{
    if (length > sLength)
        return false;
    for (int i = 0; i < length; ++i)
        if (Upper(text[i]) != Upper(s[i]))
            return false;
    return true;
}

bool TStockMatcher::LetterMatches(int letter, uint16_t c) const
{
    if (BoundaryInitial(c) == letter)
        return true;
    // The full-width form of the letter.
    if (c == uint16_t(0xA3C1 + letter))
        return true;
    if (!level2Loaded_ || (c & 0xFF) < 0xA0)
        return false;
    int bit = Level2Bit(c);
    if (!(level2Any_[bit / 8] & (1u << (bit % 8))))
        return false;
    for (int i = 0; i < level2Count_[letter]; ++i)
        if (level2_[letter][i] == c)
            return true;
    return false;
}

bool TStockMatcher::MatchPinyin(const char *name, int nameLength, const char *text, int length) const
{
    if (!name || !text || length <= 0)
        return false;
    bool letter = false;
    for (int j = 0; j < length; ++j) {
        if (uint8_t(text[j]) > 0x7F)
            return false;
        letter = letter || IsLetter(text[j]);
    }
    if (!letter)
        return false;
    int n = int(strnlen(name, size_t(nameLength)));
    if (n == 0)
        return false;
    // At most 8 symbols, from the bytes before the name's last byte: letters
    // upper-cased, digits, and two-byte characters whole.
    uint16_t symbols[8];
    int count = 0;
    for (int i = 0; i < n - 1 && count < 8;) {
        auto b = uint8_t(name[i]);
        if (b >= 0xA0) {
            symbols[count++] = uint16_t(b << 8 | uint8_t(name[i + 1]));
            i += 2;
            continue;
        }
        if (IsLetter(char(b)))
            symbols[count++] = uint8_t(Upper(char(b)));
        else if (IsDigit(char(b)))
            symbols[count++] = b;
        ++i;
    }
    for (int p = 0; p + length <= count; ++p) {
        bool all = true;
        for (int j = 0; j < length && all; ++j) {
            char t = text[j];
            uint16_t s = symbols[p + j];
            if (t == '.')
                continue;
            if (!IsLetter(t) || s < 0x100)
                all = uint8_t(Upper(t)) == s;
            else
                all = LetterMatches(Upper(t) - 'A', s);
        }
        if (all)
            return true;
    }
    return false;
}

int StockCodeLength(const StockStaticRecord &stock)
{
    int n = int(strnlen(stock.Code, sizeof stock.Code));
    while (n > 0 && stock.Code[n - 1] == ' ')
        --n;
    return n;
}

int StockNameLength(const StockStaticRecord &stock) { return int(strnlen(stock.Name, sizeof stock.Name)); }

TStockMatcher::Match TStockMatcher::MatchStock(const StockStaticRecord &stock, const char *text, int length) const
{
    // Most stocks differ from the text in their first character already.
    char first = Upper(text[0]);
    if (Upper(stock.Code[0]) == first) {
        int code = StockCodeLength(stock);
        if (IsPrefix(text, length, stock.Code, code))
            return length == code ? ExactCode : PrefixMatch;
    }
    if (Upper(stock.Name[0]) == first && IsPrefix(text, length, stock.Name, StockNameLength(stock)))
        return PrefixMatch;
    return MatchPinyin(stock.Name, int(sizeof stock.Name), text, length) ? PinyinMatch : NoMatch;
}
