#include "consign/session/LoginSupport.h"

#include <cstring>
#include <string>

#include "consign/session/ConsignState.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"

using namespace win;

int PackCustomerNumber(const char *text, char *output)
{
    const size_t length = std::strlen(text);
    if (length <= 9) {
        std::memcpy(output, text, length + 1);
        return 0;
    }
    for (size_t i = 0; i < length; ++i)
        if (text[i] < '0' || text[i] > '9')
            return -1;
    if (length > 16)
        return -2;
    const int n = static_cast<int>((length + 1) / 2);
    output[0] = static_cast<char>((length % 2 ? 0xC0 : 0x80) + n);
    for (int i = 0; i < n; ++i) {
        const int high = text[2 * i] - '0' + 1;
        const int low = 2 * static_cast<size_t>(i) + 1 < length ? text[2 * i + 1] - '0' + 1 : 0;
        output[1 + i] = static_cast<char>(high << 4 | low);
    }
    for (int i = n + 1; i < 9; ++i)
        output[i] = '+';
    output[9] = 0;
    return 0;
}

const char *SocketErrorText(int code)
{
    struct Entry {
        int code;
        const char *text;
    };
    static const Entry texts[] = {
        {10004, "函数被中断"},   {10013, "无权限"},         {10014, "错误地址"},
        {10022, "非法参数"},     {10024, "打开过多文件"},   {10036, "操作正进行"},
        {10037, "操作正进行"},   {10039, "需要目标地址"},   {10040, "消息过长"},
        {10047, "地址类型不被协议支持"}, {10048, "地址已使用"}, {10049, "不能关联到指定地址"},
        {10050, "网络已关闭"},   {10052, "网络重置时连接丢失"}, {10053, "软件造成连接取消"},
        {10054, "连接被对方重置"}, {10056, "已经连接"},     {10060, "连接超时"},
        {10061, "连接被拒绝"},   {10064, "主机已关闭"},     {10065, "不能到达目标地址"},
    };
    for (const Entry &e : texts)
        if (e.code == code)
            return e.text;
    return "未知错误";
}

void ClearSettleFolder()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("settle/*.*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.cFileName[0] == '.' || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        DeleteFileA((std::string("settle/") + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

int ConnectGatewayServer(const char *address, UINT port, int errorFlag)
{
    CTradeSession &session = TheTradeSession();
    session.Close();
    session.m_TargetAddress = address;
    session.m_TargetPort = port;
    if (!session.Create()) {
        const char *text = "Windows 通信端口初始化失败。";
        ConsignLog().WriteLine(text, 1);
        if (errorFlag)
            MessageBoxA(0, text, ProgramName(), MB_OK);
        return -1;
    }
    const ConnectionSettings &c = LoginConnection;
    session.m_ProxyInUse = c.proxyInUse;
    bool connected;
    if (c.proxyInUse) {
        const bool withUser = c.proxyUser[0] != 0;
        connected = session.Connect(c.proxyAddress, c.proxyPort, withUser ? c.proxyUser : nullptr,
                                    withUser ? c.proxyPassword : nullptr);
    } else {
        connected = session.Connect(address, port, nullptr, nullptr);
    }
    if (connected)
        return 1;
    CString text;
    text.Format("连接错误：%s", SocketErrorText(CAsyncSocket::GetLastError()));
    ConsignLog().WriteLine(text, 1);
    return 0;
}
