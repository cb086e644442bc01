#include "lumon/shell/OrderBridge.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/MFrame.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

using namespace win;

char OrderClientPath[MaxOrderProgramPath + 1] = {};
char OrderClientDir[MaxOrderProgramPath + 2] = {};
char OrderClientIniCopy[340] = {};
PROCESS_INFORMATION OrderProcess = {};

namespace {

bool Exists(const char *path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct Product {
    const char *Prefix;
    const char *Letters;
    int Exchange;
    bool Parity; // the year also follows the parity of the code's third digit
};

constexpr Product Products[] = {
    {"0100", "cu", 1, false}, {"0101", "al", 1, false}, {"0107", "ru", 1, false}, {"0102", "fu", 1, false},
    {"0210", "a", 2, true},   {"0220", "a", 2, true},   {"0230", "b", 2, false},  {"0201", "m", 2, false},
    {"0203", "c", 2, false},  {"0310", "WT", 3, true},  {"0320", "WT", 3, true},  {"0311", "WS", 3, false},
    {"0305", "CF", 3, false}, {"0306", "CS", 3, false},
};

struct WindowSearch {
    DWORD ProcessId;
    HWND Window;
};

} // namespace

int PrepareOrderClient()
{
    char windows[MAX_PATH];
    if (GetWindowsDirectoryA(windows, sizeof windows) == 0)
        return 0;
    char exe[512];
    const DWORD length = GetPrivateProfileStringA("CONSIGN", "Exe0", "", exe, sizeof exe, TradingIni);
    // A path the hand-over would have to cut names another file: no program.
    if (length == 0 || length > DWORD(MaxOrderProgramPath))
        return 0;
    // The folder runs to the last separator; one at the very start counts as none.
    const char *cut = nullptr;
    for (const char *p = exe + 1; *p; ++p)
        if (*p == '\\' || *p == '/')
            cut = p;
    char dir[MaxOrderProgramPath + 2];
    const char *file = exe;
    if (cut) {
        std::snprintf(dir, sizeof dir, "%.*s", int(cut - exe + 1), exe);
        file = cut + 1;
    } else {
        std::strcpy(dir, ".\\");
    }
    // The settings file is named after the program without its extension; a
    // name of 4 characters or fewer, or one without an extension, is kept whole.
    char base[MaxOrderProgramPath + 1];
    size_t n = std::strlen(file);
    if (n > 4 && file[n - 4] == '.')
        n -= 4;
    std::snprintf(base, sizeof base, "%.*s", int(n), file);
    char ini[MaxOrderProgramPath * 2 + 8];
    std::snprintf(ini, sizeof ini, "%s%s.ini", dir, base);
    char copy[sizeof OrderClientIniCopy];
    std::snprintf(copy, sizeof copy, "%s\\%s.ini", windows, base);
    if (FindProgramFile(exe).empty() || !Exists(ini))
        return 0;
    WritePrivateProfileStringA("Config", "UseCmdLine", "1", ini);
    WritePrivateProfileStringA("Config", "Client Mode", "1", ini);
    CopyFileA(ini, copy, FALSE);
    std::strcpy(OrderClientPath, exe);
    std::strcpy(OrderClientDir, dir);
    std::strcpy(OrderClientIniCopy, copy);
    return 1;
}

void InitOrderRequest(OrderRequest *request)
{
    std::memset(request, 0, sizeof *request);
    request->Code = 1001;
    request->Side = -1;
    request->FlagB = -1;
    request->FlagC = -1;
    request->Price = -1.0f;
}

void SetCode(OrderRequest *request, const char *contract)
{
    std::snprintf(request->Contract, sizeof request->Contract, "%s", contract);
}

void SetDirection(OrderRequest *request, int side) { request->Side = side; }

void SetPrice(OrderRequest *request, int price) { request->Price = float(price); }

int ToExchangeCode(const char *code6, char *out)
{
    out[0] = 0;
    if (!code6 || std::strlen(code6) != 6)
        return 0;
    for (int i = 0; i < 6; ++i)
        if (code6[i] < '0' || code6[i] > '9')
            return 0;
    const Product *product = nullptr;
    for (const Product &p : Products)
        if (std::strncmp(code6, p.Prefix, 4) == 0)
            product = &p;
    if (!product)
        return 0;
    const int month = (code6[4] - '0') * 10 + (code6[5] - '0');
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int current = now.wYear;
    int year = current;
    if (product->Parity) {
        if ((code6[2] - '0') % 2 != current % 2)
            ++year;
        if (month < now.wMonth && year == current)
            year += 2;
    } else if (month < now.wMonth) {
        ++year;
    }
    if (product->Exchange == 3)
        std::sprintf(out, "%s%03d", product->Letters, (year % 10) * 100 + month);
    else
        std::sprintf(out, "%s%04d", product->Letters, (year % 100) * 100 + month);
    return std::strlen(out) >= 5 ? 1 : 0;
}

int BuildCommandLine(OrderRequest *request, int callerWindow)
{
    auto optional = [](int32_t value, int32_t unset, bool lowBit) {
        std::string s;
        if (value != unset)
            s = std::to_string(lowBit ? (value & 1) : value);
        return s;
    };
    const std::string price = request->Price > 0.0f ? std::to_string(int32_t(request->Price)) : std::string();
    int n = std::snprintf(request->CommandLine, sizeof request->CommandLine,
                          "|%d|veve||%s|%s|%s|%s|%s|%s|%s|%d|%d|4025|4026|", request->Code, request->Contract,
                          optional(request->OptA, 0, false).c_str(), optional(request->Side, -1, true).c_str(),
                          optional(request->FlagB, -1, true).c_str(), optional(request->FlagC, -1, true).c_str(),
                          price.c_str(), optional(request->OptD, 0, false).c_str(), request->Immediate ? 1 : 0,
                          callerWindow);
    if (n >= int(sizeof request->CommandLine))
        n = int(sizeof request->CommandLine) - 1;
    request->Length = n;
    return n;
}

void LaunchOrderClient(OrderRequest *request, int callerWindow)
{
    BuildCommandLine(request, callerWindow);
    if (OrderProcess.hProcess)
        CloseHandle(OrderProcess.hProcess);
    if (OrderProcess.hThread)
        CloseHandle(OrderProcess.hThread);
    OrderProcess = {};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(OrderClientPath, request->CommandLine, nullptr, nullptr, FALSE, 0, nullptr, OrderClientDir,
                        &startup, &OrderProcess))
        OrderProcess = {};
}

BOOL FindWindowOfProcess(HWND window, LPARAM record)
{
    auto *search = reinterpret_cast<WindowSearch *>(record);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->ProcessId)
        return TRUE;
    search->Window = window;
    return FALSE;
}

void TMFrame::PlaceOrder(StockId stock, int buy)
{
    if (!OrderBridgeReady)
        OrderBridgeReady = uint8_t(PrepareOrderClient());
    if (!OrderBridgeReady)
        return;
    const StockStaticRecord *s = TDataIO::GetStock(stock);
    const int market = StockMarket(stock), index = StockIndex(stock);
    if (!s || market >= MarketTable.Count || market >= MaxMarkets || !MarketTable.Markets[market] ||
        !MarketTable.Markets[market]->Quotes || index >= MarketTable.Markets[market]->StockCount)
        return;
    const RealQuoteRecord &q = MarketTable.Markets[market]->Quotes[index];
    // The hand-over reads a zero scale as 1000, as the order client expects.
    const uint32_t divisor = s->ScaleDivisor ? s->ScaleDivisor : 1000;
    char code[8] = {};
    std::memcpy(code, s->Code, sizeof s->Code);
    auto *request = new OrderRequest;
    InitOrderRequest(request);
    char contract[64];
    if (!ToExchangeCode(code, contract)) {
        delete request;
        return;
    }
    SetCode(request, contract);
    SetDirection(request, buy ? 0 : 1);
    SetPrice(request, int(uint32_t(buy ? q.Ask[0].Price : q.Bid[0].Price) / divisor));
    LaunchOrderClient(request, int(uint32_t(Handle)));
    if (OrderWindow && !IsWindow(OrderWindow))
        OrderWindow = 0;
    if (!OrderWindow && OrderProcess.dwProcessId) {
        WindowSearch search{OrderProcess.dwProcessId, 0};
        EnumWindows(FindWindowOfProcess, LPARAM(&search));
        OrderWindow = search.Window;
    }
    if (OrderWindow) {
        SendMessageA(OrderWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
        BringWindowToTop(OrderWindow);
    }
    delete request;
}
