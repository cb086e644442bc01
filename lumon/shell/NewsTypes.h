// The news types of NEWSTYPE.INI: their names, the user's filter of the types
// shown, and each type's branches (a title and the keywords that pick the news
// titles of the branch). The news view and the type dialog read them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the types are configured.
constexpr const char *NewsTypeIni = "..\\CFG\\NEWSTYPE.INI";
// Type ids are below this.
constexpr int max_news_type = 100;

struct NewsBranch {
    std::string Title;                  // " " + the first word + " "
    std::vector<std::string> Keywords;  // none empty
};

struct NewsTypeRecord {
    uint8_t Id;
    std::string Name;
    std::vector<NewsBranch> Branches;
};

// The enabled, named types in increasing id order; rebuilt by LoadNewsTypes.
extern std::vector<NewsTypeRecord> NewsTypeTable;

// Reads "Filter": four signed 32-bit words of a 128-bit mask. The words are read
// while they are numbers; those after the first that is not stay 0.
void ReadNewsFilter(uint32_t mask[4]);
// Whether type id (1-based) is enabled in the mask.
bool NewsTypeEnabled(const uint32_t mask[4], int id);
// The name of type id ("ID<id>"), at most 254 bytes; empty when there is none.
std::string ReadNewsTypeName(int id);
void LoadNewsTypes();
// False for a type without a name or an id outside 1..99.
bool LoadNewsType(NewsTypeRecord &record, int id);
// Branch k (from 0) of type id, key "ID<id>_BRANCH<k+1>": true when it has a
// title and at least one keyword.
bool LoadNewsBranch(NewsBranch &branch, int id, int k);
// The same split of a branch value.
bool SplitNewsBranch(const char *value, NewsBranch &branch);
