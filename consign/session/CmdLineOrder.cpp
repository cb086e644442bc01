#include "consign/session/CmdLineOrder.h"

#include <cstdlib>
#include <cstring>

#include "consign/session/ConsignState.h"
#include "consign/session/Helpers.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "platform/win/Text.h"
#include "platform/win/Window.h"

using namespace win;

const char MAIN_WINDOW_KEY[] = "TesselConsign50";
const char MAIN_WINDOW_VALUE[] = "hMainWnd";

namespace {

// Field n of the line into a work buffer of 256 bytes, then into the record's
// field: at most `length` bytes without splitting a double-byte character, the
// field's zero bytes after them.
void ReadField(const char *line, int n, char *field, size_t length)
{
    char work[256];
    GetField(line, work, '|', n, sizeof work);
    GbkCopyToField(field, length, work);
}

int ReadNumber(const char *line, int n)
{
    char work[256];
    GetField(line, work, '|', n, sizeof work);
    return static_cast<int>(std::atol(work));
}

template <size_t N> void Terminate(char (&field)[N]) { field[N - 1] = 0; }

} // namespace

int ParseCmdLineOrder(const char *commandLine, CCmdLineOrder &record)
{
    if (!commandLine || commandLine[0] != '|') {
        ConsignLog().WriteLine("命令行参数，格式错误", 1);
        return 0;
    }
    std::memset(&record, 0, sizeof record);
    record.requestCode = ReadNumber(commandLine, 2);
    ReadField(commandLine, 2, record.codeText, sizeof record.codeText - 1);
    ReadField(commandLine, 3, record.reserved1, 32);
    ReadField(commandLine, 4, record.reserved2, 128);
    if (record.requestCode != CMDLINE_ORDER_REQUEST)
        return 1;
    ReadField(commandLine, 5, record.contract, sizeof record.contract - 1);
    ReadField(commandLine, 6, record.tradeCode, sizeof record.tradeCode - 1);
    ReadField(commandLine, 7, record.direction, sizeof record.direction - 1);
    ReadField(commandLine, 8, record.openClose, sizeof record.openClose - 1);
    ReadField(commandLine, 9, record.hedge, sizeof record.hedge - 1);
    ReadField(commandLine, 10, record.price, sizeof record.price - 1);
    ReadField(commandLine, 11, record.quantity, sizeof record.quantity - 1);
    char direct[256];
    GetField(commandLine, direct, '|', 12, sizeof direct);
    record.sendDirectly = direct[0] == '0' ? 0 : 1;
    record.callerWnd = ReadNumber(commandLine, 13);
    record.announceMsg = ReadNumber(commandLine, 14);
    record.withdrawMsg = ReadNumber(commandLine, 15);
    return 1;
}

int RelayCmdLineOrder(const CCmdLineOrder &record)
{
    DWORD stored = 0;
    DWORD type = REG_DWORD;
    DWORD size = sizeof stored;
    ReadRegistryValue(HKEY_CURRENT_USER, MAIN_WINDOW_KEY, MAIN_WINDOW_VALUE, &stored, &type, &size);
    const HWND target = static_cast<HWND>(stored);
    if (target == 0 || !IsWindow(target)) {
        // The running copy has no main window yet (it is still logging in) or the
        // value is left over: the request would be lost without a word.
        ConsignLog().WriteLine("没有找到正在运行的委托程序窗口，委托请求未能转交", 1);
        MessageBoxA(0, "没有找到正在运行的委托程序窗口，委托请求未能转交。\n请在登录完成后重试。",
                    ProgramName(), MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    COPYDATASTRUCT data{static_cast<ULONG_PTR>(static_cast<uint32_t>(record.requestCode)),
                        sizeof record, const_cast<CCmdLineOrder *>(&record)};
    SendMessageA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return 1;
}

bool TakeCopyDataOrder(const COPYDATASTRUCT *data, CCmdLineOrder &record)
{
    if (!data || data->cbData != sizeof record || !data->lpData)
        return false;
    std::memcpy(&record, data->lpData, sizeof record);
    Terminate(record.codeText);
    Terminate(record.reserved1);
    Terminate(record.reserved2);
    Terminate(record.contract);
    Terminate(record.tradeCode);
    Terminate(record.direction);
    Terminate(record.price);
    Terminate(record.quantity);
    Terminate(record.openClose);
    Terminate(record.hedge);
    return true;
}

StartupAction DecideStartup(int useCmdLine, const char *commandLine, int parsed, bool mutexExisted,
                            int singleApp, int requestCode)
{
    if (!useCmdLine) {
        if (commandLine && commandLine[0] == '|')
            return StartupAction::EndSilently;
        return mutexExisted && singleApp ? StartupAction::SingleInstanceBox : StartupAction::Continue;
    }
    if (!parsed)
        return mutexExisted ? StartupAction::SingleInstanceBox : StartupAction::Continue;
    if (mutexExisted)
        return StartupAction::Relay;
    return requestCode == CMDLINE_ORDER_REQUEST ? StartupAction::Continue : StartupAction::End;
}
