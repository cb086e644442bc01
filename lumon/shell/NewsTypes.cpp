#include "lumon/shell/NewsTypes.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win/Profile.h"

using namespace win;

std::vector<NewsTypeRecord> NewsTypeTable;

namespace {

// Values are read into 255 bytes, as the file's writers expect.
constexpr DWORD ValueSize = 255;

// The text from `p` up to the next comma or the end; `consumed` counts the comma.
std::string TakeWord(const char *p, size_t &consumed)
{
    const char *comma = std::strchr(p, ',');
    const size_t n = comma ? size_t(comma - p) : std::strlen(p);
    consumed = comma ? n + 1 : n;
    return std::string(p, n);
}

} // namespace

void ReadNewsFilter(uint32_t mask[4])
{
    char value[ValueSize];
    GetPrivateProfileStringA("NEWSTYPE", "Filter", "0,0,0,0", value, ValueSize, NewsTypeIni);
    std::memset(mask, 0, 4 * sizeof mask[0]);
    const char *p = value;
    for (int w = 0; w < 4; ++w) {
        char *end = nullptr;
        errno = 0;
        const long long n = std::strtoll(p, &end, 10);
        if (end == p || errno == ERANGE)
            return;
        // The word's 32 bits, as a signed number writes them.
        mask[w] = uint32_t(n);
        p = end;
        if (w < 3) {
            if (*p != ',')
                return;
            ++p;
        }
    }
}

bool NewsTypeEnabled(const uint32_t mask[4], int id)
{
    if (id < 1 || id > 128)
        return false;
    return (mask[(id - 1) / 32] >> ((id - 1) % 32)) & 1u;
}

std::string ReadNewsTypeName(int id)
{
    char key[16], value[ValueSize];
    std::snprintf(key, sizeof key, "ID%d", id);
    GetPrivateProfileStringA("NEWSTYPE", key, "", value, ValueSize, NewsTypeIni);
    return value;
}

bool SplitNewsBranch(const char *value, NewsBranch &branch)
{
    branch.Title.clear();
    branch.Keywords.clear();
    const size_t length = std::strlen(value);
    size_t p = 0, consumed = 0;
    branch.Title = " " + TakeWord(value, consumed) + " ";
    p += consumed;
    // An empty word, or a last word without a comma after it, ends the list.
    while (consumed >= 2 && p < length) {
        std::string word = TakeWord(value + p, consumed);
        if (!word.empty())
            branch.Keywords.push_back(std::move(word));
        p += consumed;
    }
    return branch.Title.size() > 2 && !branch.Keywords.empty();
}

bool LoadNewsBranch(NewsBranch &branch, int id, int k)
{
    char key[40], value[ValueSize];
    std::snprintf(key, sizeof key, "ID%d_BRANCH%d", id, k + 1);
    GetPrivateProfileStringA("NEWSTYPE", key, "", value, ValueSize, "..\\CFG\\NewsType.INI");
    if (!value[0])
        return false;
    return SplitNewsBranch(value, branch);
}

bool LoadNewsType(NewsTypeRecord &record, int id)
{
    if (id < 1 || id >= max_news_type)
        return false;
    record.Name = ReadNewsTypeName(id);
    if (record.Name.empty())
        return false;
    record.Id = uint8_t(id);
    record.Branches.clear();
    for (int k = 0;; ++k) {
        NewsBranch branch;
        if (!LoadNewsBranch(branch, id, k))
            break;
        record.Branches.push_back(std::move(branch));
    }
    return true;
}

void LoadNewsTypes()
{
    uint32_t mask[4];
    ReadNewsFilter(mask);
    NewsTypeTable.clear();
    for (int id = 1; id < max_news_type; ++id) {
        NewsTypeRecord record;
        if (NewsTypeEnabled(mask, id) && LoadNewsType(record, id))
            NewsTypeTable.push_back(std::move(record));
    }
}
