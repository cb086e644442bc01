#include "consign/pages/PreOrderStore.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win/Profile.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"

using namespace win;

std::list<COrderRecord> PreOrderList;

namespace {

constexpr LPCSTR Head = "Pre Order";
// The settings' texts are read into buffers of this size.
constexpr DWORD TextSize = 80;

void Today(char (&text)[16])
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::snprintf(text, sizeof text, "%04u%02u%02u", now.wYear % 10000u, now.wMonth % 100u, now.wDay % 100u);
}

void EntrySection(char (&name)[32], int n) { std::snprintf(name, sizeof name, "Pre Order %d", n); }

// A key's text cut to the record's field (on a character boundary).
void ReadField(LPCSTR section, LPCSTR key, char *field, size_t width, LPCSTR file)
{
    char text[TextSize] = {};
    GetPrivateProfileStringA(section, key, "", text, TextSize, file);
    GbkCopyToField(field, width, text);
}

// Text of a fixed-width record field that need not end with a NUL.
std::string FieldText(const char *field, size_t width) { return std::string(field, strnlen(field, width)); }

} // namespace

int LoadPreOrderList(LPCSTR file, LPCSTR account, std::list<COrderRecord> &list, int &localNumber)
{
    char today[16];
    Today(today);
    char last[TextSize] = {};
    GetPrivateProfileStringA(Head, "LastDate", "1900", last, TextSize, file);
    list.clear();
    if (std::strcmp(last, today) != 0) {
        WritePrivateProfileStringA(Head, "LastDate", today, file);
        WritePrivateProfileStringA(Head, "Count", "0", file);
        return 0;
    }
    int count = static_cast<int>(GetPrivateProfileIntA(Head, "Count", 0, file));
    char user[TextSize] = {};
    GetPrivateProfileStringA(Head, "User_no", "", user, TextSize, file);
    if (std::strcmp(user, account) != 0)
        count = 0;

    int loaded = 0;
    for (int n = 0; n < count; ++n) {
        char section[32];
        EntrySection(section, n);
        // A Count larger than what was saved (a hand-edited or damaged file) ends
        // at the first entry that is not there, instead of making empty orders.
        char probe[4];
        if (GetPrivateProfileSectionA(section, probe, sizeof probe, file) == 0)
            break;
        COrderRecord order{};
        GbkCopyToField(order.account, sizeof order.account, account);
        char number[16];
        std::snprintf(number, sizeof number, "%04d", localNumber);
        GbkCopyToField(order.localNumber, sizeof order.localNumber, number);
        ReadField(section, "custid", order.customer, sizeof order.customer, file);
        ReadField(section, "contr", order.contract, sizeof order.contract, file);
        ReadField(section, "price", order.price, sizeof order.price, file);
        ReadField(section, "map_no", order.tradeCode, sizeof order.tradeCode, file);
        order.volume = static_cast<int32_t>(GetPrivateProfileIntA(section, "vol", 0, file));
        order.volume2 = order.volume;
        // The flag byte keeps the low eight bits of what is stored.
        order.flags = static_cast<BYTE>(GetPrivateProfileIntA(section, "flag", 0, file));
        order.orderNumber = 0;
        order.dealtVolume = 0;
        list.push_back(order);
        ++localNumber;
        ++loaded;
    }
    return loaded;
}

void SavePreOrderList(LPCSTR file, LPCSTR account, const std::list<COrderRecord> &list)
{
    char today[16];
    Today(today);
    WritePrivateProfileStringA(Head, "LastDate", today, file);
    WritePrivateProfileStringA(Head, "User_no", account, file);
    int n = 0;
    // Each pre-order's section is written in one go (its six keys, the whole of
    // the section): a write rewrites the settings file, so a key at a time made
    // the close's cost six times the file's length for every pre-order.
    for (const COrderRecord &order : list) {
        char section[32], number[16];
        EntrySection(section, n);
        std::string keys;
        auto add = [&keys](const char *key, const std::string &value) {
            keys += key;
            keys += '=';
            keys += value;
            keys += '\0';
        };
        add("contr", FieldText(order.contract, sizeof order.contract));
        add("custid", FieldText(order.customer, sizeof order.customer));
        add("price", FieldText(order.price, sizeof order.price));
        std::snprintf(number, sizeof number, "%d", order.volume);
        add("vol", number);
        std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(order.flags));
        add("flag", number);
        add("map_no", FieldText(order.tradeCode, sizeof order.tradeCode));
        keys += '\0';
        WritePrivateProfileSectionA(section, keys.c_str(), file);
        ++n;
    }
    char count[16];
    std::snprintf(count, sizeof count, "%d", n);
    WritePrivateProfileStringA(Head, "Count", count, file);
}
