#include "consign/session/ConsignSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"

using namespace win;

const char CONSIGN_PRODUCT_CODE[] = "20261210-0505-000003";

namespace {

int ReadInt(const char *section, const char *key, int defaultValue, const char *path)
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path));
}

CString ReadText(const char *section, const char *key, const char *defaultValue, const char *path,
                 DWORD size = 128)
{
    char buffer[128];
    GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path);
    return CString(buffer);
}

void ReadText(const char *section, const char *key, const char *path, char (&out)[128])
{
    GetPrivateProfileStringA(section, key, "", out, sizeof out, path);
}

char FirstChar(const char *key, const char *defaultValue, const char *path)
{
    return ReadText("Config", key, defaultValue, path)[0];
}

bool CanRead(const CString &path)
{
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

CString Numbered(const char *format, int n)
{
    CString text;
    text.Format(format, n);
    return text;
}

// The server-group dialog keeps at most this many groups; a larger count in an
// old file is damage, not groups to convert.
constexpr int kMaxServerGroups = 20;

} // namespace

BOOL GetSettingsPath(CString &path)
{
    char module[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(0, module, sizeof module);
    CString name(module, static_cast<int>(length < sizeof module ? length : 0));
    const int slash = name.ReverseFind('/') > name.ReverseFind('\\') ? name.ReverseFind('/')
                                                                      : name.ReverseFind('\\');
    name = name.Mid(slash + 1);
    const int dot = name.ReverseFind('.');
    if (dot >= 0)
        name = name.Left(dot);
    name += ".ini";

    char windows[MAX_PATH * 4];
    const UINT windowsLength = GetWindowsDirectoryA(windows, sizeof windows);
    if (windowsLength == 0 || windowsLength >= sizeof windows) {
        MessageBoxA(0, "获取系统目录出错!", nullptr, MB_OK);
        return FALSE;
    }
    CString candidate;
    candidate.Format("%s\\%s", windows, static_cast<LPCTSTR>(name));
    if (!CanRead(candidate)) {
        candidate.Format(".\\%s", static_cast<LPCTSTR>(name));
        if (!CanRead(candidate)) {
            MessageBoxA(0, "配置文件无法读取，请检查系统目录和当前目录下配置文件是否存在!", nullptr,
                        MB_OK);
            return FALSE;
        }
    }
    path = candidate;
    return TRUE;
}

void ReadStartSettings(const char *path, ConsignStartSettings &s)
{
    s.randomKey = ReadInt("Config", "RandomKey", 1, path);
    char clear[80];
    GetPrivateProfileStringA("Config", "ClearAllAfterOrder", "", clear, sizeof clear, path);
    if (clear[0] == 0) {
        WritePrivateProfileStringA("Config", "ClearAllAfterOrder", "1", path);
        s.clearAllAfterOrder = 1;
    } else {
        s.clearAllAfterOrder = std::atoi(clear) != 0 ? 1 : 0;
    }
    s.quoteRefreshMs = ReadInt("Config", "HQRefurbisgTime", 0, path) * 1000;
    const int red = ReadInt("HQColor", "Read", 0, path);
    const int green = ReadInt("HQColor", "Green", 0, path);
    const int blue = ReadInt("HQColor", "Blue", 0, path);
    s.quoteColor = COLORREF(red & 0xFF) | (COLORREF(green & 0xFF) << 8) | (COLORREF(blue & 0xFF) << 16);
    WritePrivateProfileStringA("version", "version", CONSIGN_PRODUCT_CODE, path);
    s.hotKey = ReadInt("Config", "热键", 123, path);
    s.hotKeyModifiers = ReadInt("Config", "热键状态", 0, path);
    // The wait holds the whole program: a negative value is no wait, and no
    // value holds it longer than two minutes.
    s.transferWaitMs = std::clamp(ReadInt("Config", "YQZZWaitingTime", 8000, path), 0, MAX_TRANSFER_WAIT_MS);
    s.keyBuy = FirstChar("买入", "1", path);
    s.keySell = FirstChar("卖出", "3", path);
    s.keyOpen = FirstChar("开仓", "1", path);
    s.keyClose = FirstChar("平仓", "3", path);
    s.keyCloseToday = FirstChar("平今", "2", path);
    s.keySpeculation = FirstChar("投机", "1", path);
    s.keyHedge = FirstChar("保值", "3", path);
    s.batchVerify = ReadInt("Config", "PLVerify", 1, path);
    static const char *const kSequenceKeys[6] = {"MM", "SL", "JG", "KP", "TB", "SHSKIP"};
    static const int kSequenceDefaults[6] = {1, 2, 3, 4, 5, 0};
    for (int i = 0; i < 6; ++i)
        s.sequence[i] = ReadInt("Order Cequence", kSequenceKeys[i], kSequenceDefaults[i], path);
    s.autoFlushOrder = ReadInt("Config", "AutoFlushOrder", 0, path);
    s.autoFlushQueryOrder = ReadInt("Config", "AutoFlushQOrder", 0, path);
    s.autoFlushFund = ReadInt("Config", "AutoFlushFund", 0, path);
    s.autoFlushPosition = ReadInt("Config", "AutoFlushPosition", 0, path);
    s.autoFlushDeal = ReadInt("Config", "AutoFlushDeal", 0, path);
    GetPrivateProfileStringA("Config", "custom", "岫云砚川", s.custom, sizeof s.custom, path);
    s.systemModal = ReadInt("Config", "SysModal", 0, path) == 1 ? 1 : 0;
}

void BuildOrderSequence(const int numbers[5], OrderFocusEntry sequence[5])
{
    static const OrderFocusEntry kFields[5] = {
        {0, 1236, 1039}, // direction
        {0, 1004, 1042}, // quantity
        {0, 1005, 1041}, // price
        {0, 1237, 1040}, // open/close
        {0, 1238, 1043}, // hedge
    };
    for (int i = 0; i < 5; ++i) {
        sequence[i] = kFields[i];
        sequence[i].order = numbers[i];
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 5; ++j)
            if (sequence[i].order > sequence[j].order) {
                const OrderFocusEntry swap = sequence[i];
                sequence[i] = sequence[j];
                sequence[j] = swap;
            }
}

void LoadConnectionSettings(const char *path, int group, const char *customer, const char *password,
                            const char *identityPassword, ConnectionSettings &c)
{
    std::memset(&c, 0, sizeof c);
    std::snprintf(c.customer, sizeof c.customer, "%s", customer ? customer : "");
    std::snprintf(c.password, sizeof c.password, "%s", password ? password : "");
    std::snprintf(c.identityPassword, sizeof c.identityPassword, "%s",
                  identityPassword ? identityPassword : "");
    c.proxyInUse = ReadInt("Login", "ProxyInuse", 0, path);
    ReadText("Login", "ProxyIP", path, c.proxyAddress);
    c.proxyPort = static_cast<WORD>(ReadInt("Login", "ProxyPort", 1080, path));
    ReadText("Login", "ProxyUserName", path, c.proxyUser);
    ReadText("Login", "ProxyPassword", path, c.proxyPassword);

    const CString section = Numbered("ServerGroup%d", group);
    const int first = ReadInt(section, "FirstServer", 1, path);
    static const int kOrders[3][3] = {{1, 2, 3}, {2, 3, 1}, {3, 1, 2}};
    const int *order = kOrders[first == 2 ? 1 : first == 3 ? 2 : 0];
    for (int i = 0; i < 3; ++i) {
        const int k = order[i];
        ServerSlot &slot = c.servers[i];
        slot.enabled = ReadInt(section, Numbered("UseServer%d", k), 0, path);
        if (slot.enabled) {
            slot.port = static_cast<WORD>(ReadInt(section, Numbered("Server%dPort", k), 0, path));
            GetPrivateProfileStringA(section, Numbered("Server%dIP", k), "", slot.address,
                                     sizeof slot.address, path);
        }
    }
    c.identityInUse = ReadInt(section, "UseValidate", 0, path);
    ReadText(section, "ValidateIP", path, c.identityAddress);
    c.identityPort = static_cast<WORD>(ReadInt(section, "ValidatePort", 0, path));
    ReadText(section, "ValidateDll", path, c.identityLibrary);
}

namespace {

// A write of the conversions; false when the file refused it.
bool Put(const char *section, const char *key, const char *value, const char *path)
{
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

} // namespace

// Every new key is written before any old one goes, and the old layout's mark
// ([Config] ServerSelect) goes only when all of them are written: a write that
// fails leaves the old layout whole, to be converted at the next start.
BOOL ConvertFirstLayout(const char *path)
{
    const int select = ReadInt("Config", "ServerSelect", -1, path);
    if (select < 0)
        return TRUE;
    struct Move {
        CString fromKey, toSection, toKey;
    };
    std::vector<Move> moves = {
        {"SaveName", "Login", "SaveName"},       {"LoginName", "Login", "LoginName"},
        {"Proxy Mode", "Login", "Proxy Mode"},   {"Proxy Addr", "Login", "Proxy Addr"},
        {"Proxy Port", "Login", "Proxy Port"},   {"Server Name", "Server1", "ServerName"},
        {"TCP Host", "Server1", "ServerIP"},     {"TCP Port", "Server1", "ServerPort"},
    };
    int count = 1;
    for (int k = 1;; ++k) {
        const CString host = Numbered("TCP Host%d", k);
        if (ReadText("Config", host, "", path).IsEmpty())
            break;
        const CString target = Numbered("Server%d", k + 1);
        moves.push_back({host, target, "ServerIP"});
        moves.push_back({Numbered("Server Name%d", k), target, "ServerName"});
        moves.push_back({Numbered("TCP Port%d", k), target, "ServerPort"});
        ++count;
    }
    for (const Move &m : moves)
        if (!Put(m.toSection, m.toKey, ReadText("Config", m.fromKey, "", path), path))
            return FALSE;
    if (!Put("Login", "ServerCount", Numbered("%d", count), path) ||
        !Put("Login", "ServerSelect", Numbered("%d", select), path) || !Put("Config", "ServerSelect", nullptr, path))
        return FALSE;
    // An old key that stays behind is never read again.
    for (const Move &m : moves)
        Put("Config", m.fromKey, nullptr, path);
    return TRUE;
}

// The server groups are written first from the old sections; then the proxy keys,
// whose "ProxyInuse" marks the layout as converted; the old keys and sections go
// last.
BOOL ConvertSecondLayout(const char *path)
{
    if (!ReadText("Login", "ProxyInuse", "", path).IsEmpty())
        return TRUE;
    // The converted mode is never empty: an empty ProxyInuse is what marks a file
    // still to convert, and a second conversion would overwrite the server groups
    // with the defaults of sections already removed.
    CString mode = ReadText("Login", "Proxy Mode", "0", path);
    if (mode.IsEmpty())
        mode = "0";
    const CString address = ReadText("Login", "Proxy Addr", "", path);
    const CString port = ReadText("Login", "Proxy Port", "", path);

    struct OldKey {
        const char *name;
        const char *defaultValue;
    };
    static const OldKey kOld[15] = {
        {"ServerName", ""},   {"ValidateDefaultIP", "0"}, {"ValidateUsePassword", "0"},
        {"ValidateDll", ""},  {"UseValidate", "0"},       {"ValidateIP", ""},
        {"ValidatePort", ""}, {"ServerIP", ""},           {"ServerPort", ""},
        {"UseServer1", ""},   {"ServerIP1", ""},          {"ServerPort1", ""},
        {"UseServer2", ""},   {"ServerIP2", ""},          {"ServerPort2", ""}};
    int count = ReadInt("Login", "ServerCount", 0, path);
    if (count > kMaxServerGroups)
        count = kMaxServerGroups;
    for (int n = 1; n <= count; ++n) {
        const CString oldSection = Numbered("Server%d", n);
        CString value[15];
        for (int i = 0; i < 15; ++i)
            value[i] = ReadText(oldSection, kOld[i].name, kOld[i].defaultValue, path);
        const CString group = Numbered("ServerGroup%d", n);
        bool ok = true;
        for (int i = 0; i < 7; ++i)
            ok = ok && Put(group, kOld[i].name, value[i], path);
        ok = ok && Put(group, "FirstServer", "1", path) && Put(group, "UseServer1", "1", path) &&
             Put(group, "Server1IP", value[7], path) && Put(group, "Server1Port", value[8], path) &&
             Put(group, "UseServer2", value[9], path) && Put(group, "Server2IP", value[10], path) &&
             Put(group, "Server2Port", value[11], path) && Put(group, "UseServer3", value[12], path) &&
             Put(group, "Server3IP", value[13], path) && Put(group, "Server3Port", value[14], path);
        if (!ok)
            return FALSE;
    }
    if (!Put("Login", "ProxyInuse", mode, path))
        return FALSE;
    if (!Put("Login", "ProxyIP", address, path) || !Put("Login", "ProxyPort", port, path)) {
        Put("Login", "ProxyInuse", nullptr, path); // not converted after all
        return FALSE;
    }
    Put("Login", "Proxy Mode", nullptr, path);
    Put("Login", "Proxy Addr", nullptr, path);
    Put("Login", "Proxy Port", nullptr, path);
    for (int n = 1; n <= count; ++n) {
        const CString oldSection = Numbered("Server%d", n);
        for (int i = 0; i < 15; ++i)
            Put(oldSection, kOld[i].name, nullptr, path);
        Put(oldSection, nullptr, nullptr, path);
    }
    return TRUE;
}

BOOL ConvertOldLayouts(const char *path)
{
    if (ConvertFirstLayout(path) && ConvertSecondLayout(path))
        return TRUE;
    MessageBoxA(0, "配置文件无法写入，请检查配置文件是否可写!", nullptr, MB_OK);
    return FALSE;
}
