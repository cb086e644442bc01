#include "consign/pages/VarietyName.h"

#include <cstdio>
#include <cstring>

#include "consign/session/ConsignState.h"
#include "platform/win/Profile.h"
#include "platform/win/Text.h"

using namespace win;

CString LookupVarietyName(const char *contract)
{
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < 10; ++i) {
        char key[4], code[128] = {};
        std::snprintf(key, sizeof key, "%d", i);
        GetPrivateProfileStringA("Variety key", key, "", code, sizeof code, SettingsPath);
        const size_t length = std::strlen(code);
        if (length == 0 || std::strlen(contract) < length)
            continue;
        if (!GbkEqualNoCase(std::string_view(contract, length), code))
            continue;
        if (length > bestLength) {
            best = i;
            bestLength = length;
        }
    }
    if (best < 0)
        return CString();
    char key[4], name[128] = {};
    std::snprintf(key, sizeof key, "%d", best);
    GetPrivateProfileStringA("Variety name", key, "", name, sizeof name, SettingsPath);
    return name;
}
