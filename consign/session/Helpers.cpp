#include "consign/session/Helpers.h"

#include <cstring>

#include "consign/session/RecordLists.h"
#include "platform/win/MessageBox.h"

using namespace win;

int FindNthChar(const char *text, char c, int n)
{
    if (!text || n <= 0)
        return -1;
    for (int i = 0; text[i]; ++i)
        if (text[i] == c && --n == 0)
            return i;
    return -1;
}

char *GetField(const char *source, char *destination, char separator, int n, int size)
{
    if (!destination || size <= 0)
        return destination;
    destination[0] = 0;
    if (!source || n <= 0)
        return destination;
    int start = 0;
    if (n > 1) {
        const int before = FindNthChar(source, separator, n - 1);
        if (before < 0)
            return destination;
        start = before + 1;
    }
    const char *end = std::strchr(source + start, separator);
    if (!end)
        return destination;
    // Copy whole characters only: a GBK lead byte takes its trail byte with it.
    const unsigned char *p = reinterpret_cast<const unsigned char *>(source + start);
    const unsigned char *stop = reinterpret_cast<const unsigned char *>(end);
    int copied = 0;
    while (p < stop) {
        const int width = (*p >= 0x81 && *p <= 0xFE && p + 1 < stop) ? 2 : 1;
        if (copied + width > size - 1)
            break;
        std::memcpy(destination + copied, p, width);
        copied += width;
        p += width;
    }
    destination[copied] = 0;
    return destination;
}

char *PadLeft(char *text, int width, char fill)
{
    if (!text || width < 0)
        return text;
    const int length = static_cast<int>(std::strlen(text));
    if (length < width) {
        std::memmove(text + (width - length), text, length);
        std::memset(text, fill, width - length);
    }
    text[width] = 0;
    return text;
}

char *TrimRight(char *text)
{
    if (!text)
        return text;
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t'))
        --length;
    text[length] = 0;
    return text;
}

char *TrimLeft(char *text)
{
    if (!text)
        return text;
    size_t skip = 0;
    while (text[skip] == ' ' || text[skip] == '\t')
        ++skip;
    if (skip)
        std::memmove(text, text + skip, std::strlen(text + skip) + 1);
    return text;
}

char *TrimBoth(char *text)
{
    return TrimLeft(TrimRight(text));
}

LONG WriteRegistryValue(HKEY root, const char *subKey, const char *valueName, const void *data,
                        DWORD type, DWORD size)
{
    HKEY key = 0;
    DWORD disposition = 0;
    const LONG opened = RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &key, &disposition);
    if (opened != ERROR_SUCCESS)
        return opened;
    RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE *>(data), size);
    return RegCloseKey(key);
}

void ReadRegistryValue(HKEY root, const char *subKey, const char *valueName, void *buffer,
                       DWORD *type, DWORD *size)
{
    HKEY key = 0;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return;
    RegQueryValueExA(key, valueName, nullptr, type, static_cast<BYTE *>(buffer), size);
    RegCloseKey(key);
}

CString GetKeyName(int virtualKey)
{
    if ((virtualKey >= 0x30 && virtualKey <= 0x39) || (virtualKey >= 0x41 && virtualKey <= 0x5A))
        return CString(static_cast<char>(virtualKey));
    if (virtualKey >= 112 && virtualKey <= 123) {
        CString name;
        name.Format("F%d", virtualKey - 111);
        return name;
    }
    if (virtualKey >= 96 && virtualKey <= 105) {
        CString name;
        name.Format(" ([Extended]%d) ", virtualKey - 96);
        return name;
    }
    struct KeyName {
        int code;
        const char *name;
    };
    static const KeyName kNames[] = {
        {186, ";"}, {187, "="}, {188, ","}, {189, "-"}, {190, "."}, {191, "/"}, {192, "`"},
        {219, "["}, {220, "\\"}, {221, "]"}, {222, "'"},
        {3, " (Cancel) "}, {8, " (Back Space) "}, {9, " (Tab) "}, {12, " (Clear) "},
        {13, " (Return) "}, {16, " (Shift) "}, {17, " (Ctrl) "}, {18, " (Alt) "},
        {19, " (Pause) "}, {20, " (Caps Lock) "}, {27, " (Esc) "}, {32, " (Space) "},
        {33, " (Page Up) "}, {34, " (Page Dawn) "}, {35, " (End) "}, {36, " (Home) "},
        {37, " (Left Arrow) "}, {38, " (Up Arrow) "}, {39, " (Right Arrow) "},
        {40, " (Down Arrow) "}, {44, " (Print Screen) "}, {45, " (Insert) "}, {46, " (Delete) "},
        {91, " (Left Windows) "}, {92, " (Right Windows) "}, {93, " (Menu) "}, {95, " (Sleep) "},
        {106, " ([Extended]*) "}, {107, " ([Extended]+) "}, {109, " ([Extended]-) "},
        {110, " ([Extended].) "}, {111, " ([Extended]/) "}, {144, " (Num Lock) "},
        {145, " (Scroll Lock) "}, {255, " (WakeUp/ShutDown) "}};
    for (const KeyName &k : kNames)
        if (k.code == virtualKey)
            return CString(k.name);
    return CString();
}

int CheckClientExists(const char *customer)
{
    if (!customer || !*customer)
        return 0;
    if (std::strcmp(customer, "*") == 0)
        return 1;
    if (ClientList.empty())
        return 0;
    for (CClientRecord &client : ClientList) {
        // The field need not be terminated: trim a terminated copy and write it back.
        char number[sizeof client.customer + 1] = {};
        std::memcpy(number, client.customer, sizeof client.customer);
        TrimBoth(number);
        std::memset(client.customer, 0, sizeof client.customer);
        std::memcpy(client.customer, number, std::strlen(number));
        if (std::strcmp(number, customer) == 0)
            return 1;
    }
    MessageBoxA(0, "客户不存在", nullptr, MB_OK);
    return 0;
}
