#include "lumon/core/TNormalClnt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/RequestRing.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Stdio.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

constexpr char kServerIni[] = ".\\server.ini";
constexpr int kBalancePort = 6669;
constexpr int kMaxNameTableRecords = TNormalClnt::kWorkSize / int(sizeof(StockStaticRecord));

HWND FrameWindow()
{
    return MFrame ? MFrame->GetFrameWindow() : 0;
}

TMarketData *MarketAt(int market)
{
    if (market < 0 || market >= MarketTable.Count || market >= MaxMarkets)
        return nullptr;
    return MarketTable.Markets[market];
}

int TodayYmd()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
}

int Ymd(const SYSTEMTIME &st)
{
    return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
}

// The local last-write time of a file; false when it does not open.
bool LastWriteTime(const char *path, SYSTEMTIME &st, FILETIME *utc = nullptr)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, 0);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILETIME written{}, local{};
    bool ok = GetFileTime(h, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local) &&
              FileTimeToSystemTime(&local, &st);
    CloseHandle(h);
    if (utc)
        *utc = written;
    return ok;
}

// Rewrites the file's last record in place, which makes its last-write time now.
void TouchFile(int handle, const void *record, int size, int offset)
{
    FileSeek(handle, offset, 0);
    FileWrite(handle, record, size, 1);
}

void FillRequest(DataRequest &r, int type, int market, const char *code)
{
    std::memset(&r, 0, sizeof r);
    r.Type = type;
    r.Four = 4;
    r.Market = int16_t(market);
    if (code)
        std::memcpy(r.Code, code, strnlen(code, 11));
}

} // namespace

TNormalClnt::TNormalClnt()
{
    std::memset(m_UserName, 0, sizeof m_UserName);
    std::memset(m_Password, 0, sizeof m_Password);
    std::memset(m_ErrorText, 0, sizeof m_ErrorText);
    std::memset(m_Host, 0, sizeof m_Host);
    std::strcpy(m_UserName, "Guest");
    m_Compress = new LCompress;
    m_WorkBuf = static_cast<uint8_t *>(EMemAlloc(kWorkSize));
    if (!m_WorkBuf) {
        MessageBoxA(0, "Can't alloc enough memory!", "Error", MB_OK | MB_ICONERROR | MB_TOPMOST);
        PostQuitMessage(0);
    }
    LoadServerConfig(1);
}

TNormalClnt::~TNormalClnt()
{
    Disconnect();
    DropSortFile();
    EMemFree(m_WorkBuf);
    delete m_Compress;
}

void TNormalClnt::SetUser(const char *user, const char *password)
{
    std::memset(m_UserName, 0, sizeof m_UserName);
    std::memset(m_Password, 0, sizeof m_Password);
    std::memcpy(m_UserName, user, strnlen(user, sizeof m_UserName - 1));
    std::memcpy(m_Password, password, strnlen(password, sizeof m_Password - 1));
}

void TNormalClnt::LoadServerConfig(int mode)
{
    if (mode == 0) {
        const uint8_t *a = reinterpret_cast<const uint8_t *>(&m_ServerAddr);
        std::snprintf(m_Host, sizeof m_Host, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
        m_ServerPort = ProfilePort("Server", "Port", 6666, kServerIni);
    } else {
        GetPrivateProfileStringA("Server", "Address", "127.0.0.1", m_Host, sizeof m_Host, kServerIni);
        m_ServerPort = kBalancePort;
        m_ServerAddr = 0;
        m_LoginValue = 0;
    }
    LoadProxySettings(m_Proxy, kServerIni);
}

int TNormalClnt::Open()
{
    m_Notify = 0;
    Attach();
    m_RecvFill = 0;
    m_BodyPending = 0;
    m_SkipBytes = 0;
    if (!Create(kStream, 0)) {
        Close();
        return 0;
    }
    if (!m_Proxy.UseProxy) {
        if (!Connect(m_Host, m_ServerPort) || !BoundReads(*this)) {
            Close();
            return 0;
        }
        m_Connected = 1;
        ClearRequestRing();
    } else {
        m_Connected = ConnectThroughProxy(*this, m_Proxy, m_Host, m_ServerPort);
    }
    return m_Connected;
}

int TNormalClnt::ConnectServer()
{
    if (m_Connected) {
        Disconnect();
    } else {
        // No balancing server: the address typed in the login dialog, a dotted
        // address or a name to look up.
        in_addr address{};
        address.s_addr = inet_addr(m_Host);
        if (address.s_addr == INADDR_NONE) {
            hostent *entry = gethostbyname(m_Host);
            if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
                return 0;
            std::memcpy(&address, entry->h_addr_list[0], sizeof address);
        }
        m_ServerAddr = address.s_addr;
    }
    // News ids belong to one server: another server's index starts afresh.
    char number[16], held[32];
    std::snprintf(number, sizeof number, "%u", m_ServerAddr);
    GetPrivateProfileStringA("Server", "BALADDR", "...", held, sizeof held, kServerIni);
    if (std::strcmp(number, held) != 0) {
        char path[600];
        std::snprintf(path, sizeof path, "%sdata\\info\\news.ntl", DataRoot);
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
            int h = FileOpen(path, "r+b");
            if (h >= 1) {
                FileTruncate(h, 0);
                FileClose(h);
            }
        }
        WritePrivateProfileStringA("Server", "BALADDR", number, kServerIni);
    }
    LoadServerConfig(0);
    return Open();
}

void TNormalClnt::Disconnect()
{
    if (m_Connected) {
        Close();
        m_Connected = 0;
    }
}

int TNormalClnt::StartAsyncEvents()
{
    if (m_Connected &&
        WSAAsyncSelect(m_hSocket, LSocketPool::GetWindow(), kSocketMessage, FD_READ | FD_CONNECT | FD_CLOSE) ==
            SOCKET_ERROR) {
        Close();
        m_Connected = 0;
    }
    m_Notify = 1;
    return m_Connected;
}

int TNormalClnt::SendFrame(int length)
{
    if (!m_Connected)
        return -1;
    int sent = Send(m_SendBuf, length, 100);
    if (sent < 1) {
        OnClose();
        return -1;
    }
    return sent;
}

int TNormalClnt::SendRequest(const DataRequest &request)
{
    if (!m_Connected)
        return -1;
    int n = BuildRequestFrame(request, m_SendBuf);
    return n ? SendFrame(n) : 0;
}

void TNormalClnt::SendHeartbeat()
{
    if (m_Connected)
        SendFrame(BuildHeartbeatFrame(m_SendBuf));
}

bool TNormalClnt::SetBody(const uint8_t *body, int length)
{
    m_Body = body;
    m_BodyLength = length;
    if (!m_Head.Compressed)
        return true;
    uint16_t out = 0;
    if (m_Compress->Decompress(body, uint16_t(length), m_Unpacked, kUnpackSize, &out) != LCompress::kOk) {
        m_BodyLength = 0;
        return false;
    }
    m_Body = m_Unpacked;
    m_BodyLength = out;
    return true;
}

bool TNormalClnt::ReadFrameSync()
{
    if (ReceiveExact(*this, &m_Head, sizeof m_Head, kLinkTimeoutMs) != 1) {
        OnClose();
        return false;
    }
    // A body that the receive buffer cannot hold is as broken as one that
    // never comes.
    if (m_Head.wDataSize > kReceiveSize ||
        (m_Head.wDataSize > 0 && ReceiveExact(*this, m_RecvBuf, m_Head.wDataSize, kLinkTimeoutMs) != 1)) {
        MessageBoxA(FrameWindow(), "网络故障，请检查您的网络！", "提示", MB_OK | MB_ICONERROR | MB_TOPMOST);
        Disconnect();
        return false;
    }
    SetBody(m_RecvBuf, m_Head.wDataSize);
    return true;
}

int TNormalClnt::Login()
{
    std::strcpy(m_ErrorText, "网络连接发生错误！");
    if (SendFrame(BuildLoginFrame(m_UserName, m_Password, m_LoginValue, m_SendBuf)) < 1 || !ReadFrameSync())
        return 15;
    const uint8_t *b = m_Body;
    const int n = m_BodyLength;
    if (m_Head.Type == kFrameNothing && n >= 3) {
        size_t length = n > 3 ? strnlen(reinterpret_cast<const char *>(b + 3), size_t(n - 3)) : 0;
        if (length > sizeof m_ErrorText - 1)
            length = sizeof m_ErrorText - 1;
        std::memcpy(m_ErrorText, b + 3, length);
        m_ErrorText[length] = 0;
        // A refusal never reads as an accepted login.
        return b[2] ? b[2] : 15;
    }
    if (m_Head.Type == kFrameLogin && n >= 58) {
        m_ErrorText[0] = 0;
        if (m_LoginValue)
            return 0;
        const uint16_t date = Get16(b);
        // Years since 2000: the frame keeps the date as yymmdd.
        const int ymd = ((date >> 9) & 0x3F) * 10000 + ((date >> 5) & 0xF) * 100 + (date & 0x1F);
        if (MFrame)
            MFrame->SetRights(b + 2, ymd);
        if (!m_ServerAddr)
            std::memcpy(&m_ServerAddr, b + 50, 4);
        m_LoginValue = Get32(b + 54);
        return 0;
    }
    std::strcpy(m_ErrorText, "未知错误.");
    return 15;
}

int TNormalClnt::CheckVersion(HWND dialog)
{
    std::strcpy(m_ErrorText, "网络连接发生错误！");
    DataRequest r;
    FillRequest(r, kRequestVersion, 0, nullptr);
    if (SendRequest(r) < 1 || !ReadFrameSync())
        return 15;
    if (m_Head.Type != kFrameVersion || m_BodyLength < 4)
        return 0;
    const int32_t serverVersion = int32_t(Get32(m_Body));
    const long long local = ReadLocalVersion();
    SendMessageA(dialog, WM_LOGIN_VERSION, 1, 1);
    if (local >= serverVersion)
        return 0;
    if (!MFrame || MFrame->ShowUpdateNotice() != 1)
        return 0;
    if (ShellExecuteA(0, "open", ".\\update.exe", nullptr, nullptr, SW_SHOWNORMAL) > 32) {
        PostQuitMessage(0);
        return 1;
    }
    MessageBoxA(FrameWindow(), "无法启动更新程序, 升级失败.", "提示", MB_OK | MB_ICONERROR | MB_TOPMOST);
    return 0;
}

int TNormalClnt::LoadNameTable(int market)
{
    TMarketData *md = MarketAt(market);
    if (!md || !md->Statics || !m_WorkBuf)
        return -1;
    DataRequest r;
    FillRequest(r, kRequestNameTable, market, nullptr);
    if (SendRequest(r) < 1)
        return -1;
    int capacity = int(md->Capacity) < kMaxNameTableRecords ? int(md->Capacity) : kMaxNameTableRecords;
    int held = 0;
    // Every frame names its place in the answer; a count of 0 means one frame,
    // and no answer runs past 65536 frames.
    for (int frames = 0; frames < 65536; ++frames) {
        if (!ReadFrameSync())
            return -1;
        if (m_Head.Type == kFrameNameTable && m_BodyLength > 1) {
            int n = (m_BodyLength - 1) / int(sizeof(StockStaticRecord));
            if (n > capacity - held)
                n = capacity - held;
            std::memcpy(m_WorkBuf + held * sizeof(StockStaticRecord), m_Body + 1, size_t(n) * sizeof(StockStaticRecord));
            held += n;
        }
        const int count = m_Head.FrameCount ? m_Head.FrameCount : 1;
        if (m_Head.FrameIndex + 1 >= count)
            break;
    }
    if (held == 0)
        return 0;
    StockStaticRecord *records = reinterpret_cast<StockStaticRecord *>(m_WorkBuf);
    const int lastClass = md->Info.ClassCount > 0 ? md->Info.ClassCount - 1 : 0;
    for (int i = 0; i < held; ++i) {
        StockStaticRecord &s = records[i];
        s.Byte27 = 0;
        s.Market = uint8_t(market);
        s.Index = uint16_t(i);
        if (s.Class > lastClass)
            s.Class = uint8_t(lastClass);
    }
    std::memcpy(static_cast<void *>(md->Statics), records, size_t(held) * sizeof(StockStaticRecord));
    char path[600];
    std::snprintf(path, sizeof path, "%sdata\\%s\\nametbl.%s", DataRoot, md->Info.Dir, md->Info.Ext);
    int h = FileOpen(path, "wb");
    if (h >= 1) {
        int bytes = FileWrite(h, records, sizeof(StockStaticRecord), held);
        FileTruncate(h, bytes);
        FileClose(h);
    }
    md->StockCount = held;
    md->RebuildCodeIndex();
    return held;
}

void TNormalClnt::OnError(int)
{
    OnClose();
}

void TNormalClnt::OnClose()
{
    Disconnect();
    ReportLinkFault();
}

void TNormalClnt::OnReceive()
{
    for (;;) {
        int room = kReceiveSize - m_RecvFill;
        if (room == 0) {
            ParseReceived();
            room = kReceiveSize - m_RecvFill;
            if (room == 0)
                m_RecvFill = 0;
        }
        if (!m_Connected)
            return;
        int n = Receive(m_RecvBuf + m_RecvFill, room);
        if (n <= 0)
            return;
        m_RecvFill += n;
        ParseReceived();
        if (n < room)
            return;
    }
}

int TNormalClnt::FeedReceived(const uint8_t *bytes, int length)
{
    int room = kReceiveSize - m_RecvFill;
    if (room == 0) {
        ParseReceived();
        room = kReceiveSize - m_RecvFill;
        if (room == 0) {
            m_RecvFill = 0;
            room = kReceiveSize;
        }
    }
    const int n = length < room ? length : room;
    if (n <= 0)
        return 0;
    std::memcpy(m_RecvBuf + m_RecvFill, bytes, size_t(n));
    m_RecvFill += n;
    ParseReceived();
    return n;
}

// Frames from the front of the receive buffer. A body larger than the buffer is
// skipped byte for byte as it arrives, so that the next header is read where it
// starts.
void TNormalClnt::ParseReceived()
{
    int pos = 0;
    for (;;) {
        if (m_SkipBytes > 0) {
            int take = m_RecvFill - pos < m_SkipBytes ? m_RecvFill - pos : m_SkipBytes;
            pos += take;
            m_SkipBytes -= take;
            if (m_SkipBytes > 0)
                break;
            continue;
        }
        if (!m_BodyPending) {
            if (m_RecvFill - pos < int(sizeof m_Head))
                break;
            std::memcpy(&m_Head, m_RecvBuf + pos, sizeof m_Head);
            pos += int(sizeof m_Head);
            if (m_Head.wDataSize > kReceiveSize) {
                m_SkipBytes = m_Head.wDataSize;
                continue;
            }
            m_BodyPending = 1;
        }
        if (m_RecvFill - pos < m_Head.wDataSize)
            break;
        const uint8_t *body = m_RecvBuf + pos;
        pos += m_Head.wDataSize;
        m_BodyPending = 0;
        if (SetBody(body, m_Head.wDataSize))
            DispatchFrame(m_Body, m_BodyLength);
    }
    if (pos > 0) {
        std::memmove(m_RecvBuf, m_RecvBuf + pos, size_t(m_RecvFill - pos));
        m_RecvFill -= pos;
    }
}

int TNormalClnt::CanRequest(int market, const char *code) const
{
    TMarketData *md = MarketAt(market);
    if (!md || !code)
        return 0;
    int stock = md->FindStockByCode(code);
    if (stock < 0)
        return 0;
    return !MFrame || MFrame->HasMarketRight(market, md->GetStockClass(stock));
}

bool TNormalClnt::FileTimeOnMarketClock(const char *path, int market, SYSTEMTIME &out) const
{
    SYSTEMTIME local;
    FILETIME utc{};
    if (!LastWriteTime(path, local, &utc))
        return false;
    TMarketData *md = MarketAt(market);
    // UTC of the file, moved by the market's hour offset and by how far the data
    // server's clock (held in the start time) runs from ours.
    SYSTEMTIME now;
    GetSystemTime(&now);
    int skew = (StartTime.wHour * 60 + StartTime.wMinute) - (now.wHour * 60 + now.wMinute);
    if (skew >= 720)
        skew -= 1440;
    if (skew < -720)
        skew += 1440;
    long long minutes = (md ? md->Info.HourOffset : 0) * 60LL + skew;
    unsigned long long t = (unsigned long long)utc.dwHighDateTime << 32 | utc.dwLowDateTime;
    t += (unsigned long long)(minutes * 600000000LL);
    FILETIME shifted{DWORD(t), DWORD(t >> 32)};
    return FileTimeToSystemTime(&shifted, &out);
}

int TNormalClnt::CheckLocalFile(int type, const char *path, int32_t &start, int32_t &end, int extend)
{
    start = 0;
    end = 0;
    // Opening for update would create a missing file.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return 1;
    int h = FileOpen(path, "r+b");
    if (h < 1)
        return 1;
    int result = 0;
    SYSTEMTIME written{};
    LastWriteTime(path, written);
    const int today = TodayYmd();
    const int size = FileGetSize(h);
    if (type == kRequestMinuteHistory || type == kRequestDayHistory) {
        const int records = size / int(sizeof(KLineRecord));
        KLineRecord bar{};
        if (records < 1) {
            result = 1;
        } else if (!extend) {
            FileSeek(h, (records - 1) * int(sizeof bar), 0);
            FileRead(h, &bar, sizeof bar, 1);
            PackedDateTime next = NextDay(bar.Time);
            if (PackedToYmd(next) < today && Ymd(written) != today) {
                TouchFile(h, &bar, sizeof bar, (records - 1) * int(sizeof bar));
                start = int32_t(MakePackedDateTime(PackedYear(next), PackedMonth(next), PackedDay(next), 0, 0));
                result = 1;
            }
        } else if (records < MaxDataRecords) {
            FileRead(h, &bar, sizeof bar, 1);
            PackedDateTime t = bar.Time;
            if (type == kRequestMinuteHistory) {
                int hour = PackedHour(t), minute = PackedMinute(t);
                if (minute > 0)
                    --minute;
                else if (hour > 0) {
                    --hour;
                    minute = 59;
                }
                t = MakePackedDateTime(PackedYear(t), PackedMonth(t), PackedDay(t), hour, minute);
            } else {
                t = PrevDay(t);
            }
            end = int32_t(t);
            result = 1;
        }
    } else if (Ymd(written) < today) {
        start = int32_t(MakePackedDateTime(written.wYear, written.wMonth, written.wDay, 0, 0));
        result = 1;
    }
    FileClose(h);
    return result;
}

int TNormalClnt::RequestHistory(int market, const char *code, int periodKind, int extend, const void *requester)
{
    if (!CanRequest(market, code))
        return 0;
    TMarketData *md = MarketAt(market);
    char path[600];
    const char *form = periodKind < 4   ? "%sDATA\\%s\\MIN1\\%s.M1"
                       : periodKind < 8 ? "%sDATA\\%s\\MIN\\%s.MIN"
                                        : "%sDATA\\%s\\DAY\\%s.DAY";
    std::snprintf(path, sizeof path, form, DataRoot, md->Info.Dir, code);
    const int type = periodKind < 8 ? kRequestMinuteHistory : kRequestDayHistory;
    SYSTEMTIME onClock;
    if (type == kRequestMinuteHistory && !extend && FileTimeOnMarketClock(path, market, onClock)) {
        if (Ymd(onClock) == PackedToYmd(md->TradingDate))
            return 0;
        DeleteFileA(path);
    }
    int32_t start = 0, end = 0;
    if (!CheckLocalFile(type, path, start, end, extend))
        return 0;
    DataRequest r;
    FillRequest(r, type, market, code);
    r.SubKind = periodKind;
    r.First = start;
    r.Second = end;
    r.Requester = requester;
    return QueueRequest(r);
}

int TNormalClnt::RequestTickData(int market, const char *code, const void *requester)
{
    if (!CanRequest(market, code) || IsTickRequestPending(code, market))
        return 0;
    TMarketData *md = MarketAt(market);
    char path[600];
    std::snprintf(path, sizeof path, "%sDATA\\%s\\TICK\\%s.TIK", DataRoot, md->Info.Dir, code);
    SYSTEMTIME onClock{};
    const bool exists = FileTimeOnMarketClock(path, market, onClock);
    const bool sameDate = exists && Ymd(onClock) == PackedToYmd(md->TradingDate);
    const ClassRecord &c0 = md->Info.Classes[0];
    const bool tradingDay = DayOfWeekFromYmd(PackedToYmd(md->Now)) % 6 != 0 && c0.SessionCount > 0;
    const int open = tradingDay ? c0.SessionStart[0] : 0;
    const int close = tradingDay ? c0.SessionEnd[c0.SessionCount - 1] : 0;
    int32_t first = 0;
    if (tradingDay && md->ClockMinute >= open && md->ClockMinute < close) {
        // Ticks come from the real-time feed while the market trades.
        DeleteFileA(path);
        return 0;
    }
    if (tradingDay && md->ClockMinute >= close) {
        if (!sameDate || onClock.wHour * 60 + onClock.wMinute < close) {
            DeleteFileA(path);
        } else {
            int h = FileOpen(path, "rb");
            first = h >= 1 ? FileGetSize(h) / int(sizeof(TickRecord)) : 0;
            if (h >= 1)
                FileClose(h);
        }
    } else {
        if (sameDate)
            return 0;
        DeleteFileA(path);
    }
    DataRequest r;
    FillRequest(r, kRequestTicks, market, code);
    r.TickMark = 5;
    r.First = first;
    r.Requester = requester;
    return QueueRequest(r);
}

int TNormalClnt::RequestBaseText(int market, const char *code)
{
    TMarketData *md = MarketAt(market);
    if (!md || !code)
        return 0;
    char path[600];
    std::snprintf(path, sizeof path, "%sData\\%s\\base\\%s.Txt", DataRoot, md->Info.Dir, code);
    int32_t start = 0, end = 0;
    if (!CheckLocalFile(kRequestBaseText, path, start, end, 0))
        return 0;
    DataRequest r;
    FillRequest(r, kRequestBaseText, market, code);
    r.First = start;
    return QueueRequest(r);
}

int TNormalClnt::RequestWeightFile(int market, const char *code)
{
    if (!CanRequest(market, code))
        return 0;
    TMarketData *md = MarketAt(market);
    char path[600];
    std::snprintf(path, sizeof path, "%sData\\%s\\weight\\%s.wgt", DataRoot, md->Info.Dir, code);
    int32_t start = 0, end = 0;
    if (!CheckLocalFile(kRequestWeights, path, start, end, 0))
        return 0;
    DataRequest r;
    FillRequest(r, kRequestWeights, market, code);
    r.First = start;
    return QueueRequest(r);
}

int TNormalClnt::RequestStockInfo(int market, const char *code)
{
    DataRequest r;
    FillRequest(r, kRequestStockInfo, market, code);
    return QueueRequest(r);
}

int TNormalClnt::RequestNewsSinceLast(int market)
{
    char path[600];
    MakeNewsIndexPath(path, sizeof path);
    DataRequest r;
    FillRequest(r, kRequestNews, market, nullptr);
    r.SubKind = kNewsIndexSince;
    {
        TNewsIndex index(path, 1);
        NewsRecord last;
        if (index.GetLast(last)) {
            r.First = last.Id + 1;
            r.Second = int32_t((last.DateTime & 0xFFFFF) * 10000u + (last.DateTime >> 20));
        }
    }
    return QueueRequest(r);
}

int TNormalClnt::RequestInfoText(int newsType, int messageId)
{
    DataRequest r;
    FillRequest(r, kRequestNews, newsType, nullptr);
    r.SubKind = kNewsText;
    r.First = messageId;
    return QueueRequest(r);
}

int TNormalClnt::RequestNotesList(int market, int32_t first, int32_t second)
{
    DataRequest r;
    FillRequest(r, kRequestNotesList, market, nullptr);
    r.First = first;
    r.Second = second;
    return QueueRequest(r);
}

int TNormalClnt::RequestNote(int market, const char name[16], int value)
{
    DataRequest r;
    FillRequest(r, kRequestNote, market, nullptr);
    std::memcpy(r.Code, name, 16);
    r.SubKind = value;
    return QueueRequest(r);
}

int TNormalClnt::RequestSortData(int32_t counter, int field, int count, STKMS *list, const void *requester,
                                 int mode)
{
    DataRequest r;
    FillRequest(r, kRequestSortData, mode, nullptr);
    r.SubKind = field;
    r.First = count;
    r.SortList = list;
    r.Third = counter;
    r.Requester = requester;
    return QueueRequest(r);
}

int TNormalClnt::RequestSystemMessages()
{
    DataRequest r;
    FillRequest(r, kRequestSystemMessages, 0, nullptr);
    return QueueRequest(r);
}

int TNormalClnt::RequestRealtimeMessages(int32_t lastId)
{
    DataRequest r;
    FillRequest(r, kRequestRealtimeMessages, 0, nullptr);
    r.First = lastId;
    return QueueRequest(r);
}

int TNormalClnt::RequestStockStats(EArray<STKMS> *list)
{
    DataRequest r;
    FillRequest(r, kRequestStockStats, 0, nullptr);
    r.StatsList = list;
    return QueueRequest(r);
}

long long ReadLocalVersion()
{
    char text[12] = {};
    if (std::FILE *f = win::fopen(".\\version.txt", "rb")) {
        size_t got = std::fread(text, 1, 11, f);
        text[got] = 0;
        std::fclose(f);
    }
    long long number = 0;
    for (const char *p = text; *p >= '0' && *p <= '9'; ++p)
        number = number * 10 + (*p - '0');
    return number;
}
