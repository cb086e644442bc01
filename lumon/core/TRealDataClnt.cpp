#include "lumon/core/TRealDataClnt.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Time.h"

using namespace win;

QuoteChangeEntry QuoteChangeRing[QuoteChangeRingSize];
int32_t QuoteChangeIndex = 0;

namespace {

constexpr char kServerIni[] = ".\\server.ini";
constexpr int kMinutesPerDay = 1440;
// Words 0-7 and 10-29 of a quote, as the records carry them.
constexpr size_t kHeadBytes = 8 * 4;
constexpr size_t kBookBytes = 20 * 4;
constexpr size_t kBookOffset = 10 * 4;

// The news record of the last flash, handed to the frame while it is handled.
NewsRecord flashRecord;
bool receiving = false;

HWND FrameWindow()
{
    return MFrame ? MFrame->GetFrameWindow() : 0;
}

long long Whole(float v)
{
    return v > -9.2e18f && v < 9.2e18f ? static_cast<long long>(v) : 0;
}

template <typename T>
bool Changed(T before, T after)
{
    return before != after && before != 0;
}
bool Changed(float before, float after)
{
    return Changed(Whole(before), Whole(after));
}

} // namespace

TRealDataClnt::TRealDataClnt(uint32_t serverAddress) : m_ServerAddr(serverAddress)
{
    std::memset(m_Host, 0, sizeof m_Host);
    m_Compress = new LCompress;
    m_ReadBuf = static_cast<uint8_t *>(EMemAlloc(kReadSize));
    if (!m_ReadBuf) {
        MessageBoxA(0, "Can't alloc enough memory!", "Error", MB_OK | MB_ICONERROR | MB_TOPMOST);
        PostQuitMessage(0);
    }
    LoadServerConfig();
}

TRealDataClnt::~TRealDataClnt()
{
    m_Connected = 0;
    Close();
    delete m_List;
    EMemFree(m_ReadBuf);
    delete m_Compress;
}

void TRealDataClnt::LoadServerConfig()
{
    const uint8_t *a = reinterpret_cast<const uint8_t *>(&m_ServerAddr);
    std::snprintf(m_Host, sizeof m_Host, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
    m_Port = ProfilePort("Server", "R_Port", 6668, kServerIni);
    LoadProxySettings(m_Proxy, kServerIni);
}

int TRealDataClnt::Connect()
{
    if (!m_ReadBuf)
        return 0;
    LoadServerConfig();
    m_Notify = 0;
    Attach();
    if (!Create(kStream, 0)) {
        Close();
        return 0;
    }
    if (m_Proxy.UseProxy) {
        if (!ConnectThroughProxy(*this, m_Proxy, m_Host, m_Port))
            return 0;
    } else if (!LClient::Connect(m_Host, m_Port)) {
        Close();
        return 0;
    }
    if (WSAAsyncSelect(m_hSocket, LSocketPool::GetWindow(), kSocketMessage,
                       FD_READ | FD_ACCEPT | FD_CONNECT | FD_CLOSE) == SOCKET_ERROR) {
        Close();
        return 0;
    }
    m_Fill = 0;
    m_Skip = 0;
    m_Notify = 1;
    m_Connected = 1;
    return 1;
}

int TRealDataClnt::Subscribe(EArray<STKMS> *list, int newCount, int flag)
{
    if (!m_Connected) {
        if (list != m_List)
            delete list;
        return -1;
    }
    std::memset(m_SendBuf, 0, sizeof m_SendBuf);
    FRAME_HEAD head{kFrameMarker, kFrameSubscribe, 1, 0, 518, 0, 0};
    std::memcpy(m_SendBuf, &head, sizeof head);
    uint8_t *body = m_SendBuf + sizeof head;
    int n = list ? list->GetCount() : 0;
    if (n > 256)
        n = 256;
    for (int i = 0; i < n; ++i) {
        const STKMS e = list->GetAt(i);
        body[2 * i] = uint8_t(e);
        body[2 * i + 1] = uint8_t(e >> 8);
    }
    const int fresh = newCount < 0 ? 0 : (newCount > n ? n : newCount);
    body[512] = uint8_t(n);
    body[513] = uint8_t(n >> 8);
    body[514] = uint8_t(fresh);
    body[515] = uint8_t(fresh >> 8);
    body[516] = flag ? 1 : 0;
    if (list != m_List) {
        delete m_List;
        m_List = list;
    }
    int sent = Send(m_SendBuf, int(sizeof m_SendBuf), 100);
    if (sent < 1) {
        OnClose();
        return -1;
    }
    return sent;
}

void TRealDataClnt::OnError(int)
{
    OnClose();
}

void TRealDataClnt::OnClose()
{
    m_Connected = 0;
    Close();
    ReportLinkFault();
}

void TRealDataClnt::OnReceive()
{
    // A 2026 handled inside may run the message loop; a notification met there
    // finds the data read by the loop below.
    if (receiving || !m_ReadBuf)
        return;
    receiving = true;
    for (;;) {
        int room = kFrameBufferSize - m_Fill;
        int want = room < 65536 ? room : 65536;
        int n = Receive(m_ReadBuf, want);
        if (n <= 0)
            break;
        FeedFrames(m_ReadBuf, n);
        if (!m_Connected)
            break;
    }
    receiving = false;
}

int TRealDataClnt::FeedFrames(const uint8_t *bytes, int length)
{
    int room = kFrameBufferSize - m_Fill;
    int n = length < room ? length : room;
    std::memcpy(m_FrameBuf + m_Fill, bytes, size_t(n));
    m_Fill += n;
    ParseFrames();
    return n;
}

// Whole frames from the front of the frame buffer: bytes before a marker are
// dropped one at a time, a frame too large to hold is skipped as it arrives.
void TRealDataClnt::ParseFrames()
{
    int pos = 0;
    for (;;) {
        if (m_Skip > 0) {
            int take = m_Fill - pos < m_Skip ? m_Fill - pos : m_Skip;
            pos += take;
            m_Skip -= take;
            if (m_Skip > 0)
                break;
            continue;
        }
        if (pos >= m_Fill)
            break;
        if (m_FrameBuf[pos] != kFrameMarker) {
            ++pos;
            continue;
        }
        if (m_Fill - pos < int(sizeof(FRAME_HEAD)))
            break;
        FRAME_HEAD head;
        std::memcpy(&head, m_FrameBuf + pos, sizeof head);
        if (head.wDataSize >= kMaxBody) {
            m_Skip = int(sizeof head) + head.wDataSize;
            continue;
        }
        if (m_Fill - pos < int(sizeof head) + head.wDataSize)
            break;
        DispatchFrame(head, m_FrameBuf + pos + sizeof head);
        pos += int(sizeof head) + head.wDataSize;
    }
    if (pos > 0) {
        std::memmove(m_FrameBuf, m_FrameBuf + pos, size_t(m_Fill - pos));
        m_Fill -= pos;
    }
}

void TRealDataClnt::DispatchFrame(const FRAME_HEAD &head, const uint8_t *body)
{
    if (head.Type != kFrameQuotes || head.wDataSize == 0)
        return;
    m_Body = body;
    int length = head.wDataSize;
    if (head.Compressed) {
        uint16_t out = 0;
        if (m_Compress->Decompress(body, uint16_t(length), m_Unpacked, kUnpackSize, &out) != LCompress::kOk)
            return;
        m_Body = m_Unpacked;
        length = out;
    }
    ApplyRecords(m_Body, length);
}

void TRealDataClnt::ApplyRecords(const uint8_t *body, int length)
{
    // The records of one frame arrive together: the local clock is read once for
    // them, by the first that needs it.
    m_FrameSecond = -1;
    for (int at = 0; at + kRecordSize <= length; at += kRecordSize) {
        const uint8_t *r = body + at;
        const int first = Get16(r);
        if (first == 0 && r[116] == 0)
            ApplyClock(Get16(r + 2));
        else if (first < MarketTable.Count)
            ApplyQuote(r, first);
        else
            ApplyNewsFlash(r);
    }
}

void TRealDataClnt::ApplyClock(int minutes)
{
    // A minute past the end of the day is no clock.
    if (minutes >= kMinutesPerDay || minutes == StartTime.wHour * 60 + StartTime.wMinute)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    m_ClockSecond = now.wSecond;
    m_FrameSecond = now.wSecond;
    if (minutes > 1380) {
        m_LateClock = true;
    } else if (minutes < 60 && m_LateClock) {
        ShiftSystemTimeByHours(StartTime, 24);
        m_LateClock = false;
    }
    StartTime.wHour = WORD(minutes / 60);
    StartTime.wMinute = WORD(minutes % 60);
    for (int m = 0; m < MarketTable.Count && m < MaxMarkets; ++m) {
        TMarketData *md = MarketTable.Markets[m];
        if (md)
            md->SetClock(StartTime);
    }
    if (FrameWindow())
        PostMessageA(FrameWindow(), WM_DATA_CHANGED, 2, LPARAM(minutes));
}

void TRealDataClnt::ApplyQuote(const uint8_t *record, int market)
{
    TMarketData *md = MarketTable.Markets[market];
    if (!md || !md->Quotes || !md->Statics)
        return;
    // The code field need not end inside the record.
    char code[9] = {};
    const size_t length = strnlen(reinterpret_cast<const char *>(record + 116), 8);
    if (length == 0 || length == 8)
        return;
    std::memcpy(code, record + 116, length);
    const int index = md->FindStockByCode(code, length);
    if (index < 0)
        return;
    RealQuoteRecord &held = md->Quotes[index];
    RealQuoteRecord fresh = held;
    std::memcpy(&fresh, record + 4, kHeadBytes);
    std::memcpy(reinterpret_cast<uint8_t *>(&fresh) + kBookOffset, record + 36, kBookBytes);
    if (md->Info.Type == 2) {
        fresh.Settlement = Get32(record + 52);
        fresh.Bid[2].Price = 0;
    }
    const bool differs = std::memcmp(&fresh, &held, kHeadBytes) != 0 ||
                         std::memcmp(reinterpret_cast<const uint8_t *>(&fresh) + kBookOffset,
                                     reinterpret_cast<const uint8_t *>(&held) + kBookOffset, kBookBytes) != 0 ||
                         fresh.Settlement != held.Settlement;
    if (differs) {
        if (m_FrameSecond < 0) {
            SYSTEMTIME now;
            GetLocalTime(&now);
            m_FrameSecond = now.wSecond;
        }
        const uint32_t second = uint32_t(m_FrameSecond + 60 - m_ClockSecond) % 60;
        fresh.Time = second | uint32_t(md->LocalTime.wMinute) << 6 | uint32_t(md->LocalTime.wHour) << 12;
    }

    uint32_t flags = 0;
    if (Changed(held.Last, fresh.Last))
        flags |= QUOTE_LAST;
    if (Changed(held.LastVolume, fresh.LastVolume))
        flags |= QUOTE_LAST_VOLUME;
    if (Changed(held.Volume, fresh.Volume))
        flags |= QUOTE_VOLUME;
    const int cls = md->GetStockClass(index);
    if (cls >= 0 && cls < md->Info.ClassCount && !md->Info.Classes[cls].IsIndex) {
        if (Changed(held.Bid[0].Price, fresh.Bid[0].Price))
            flags |= QUOTE_BID1;
        if (Changed(held.Ask[0].Price, fresh.Ask[0].Price))
            flags |= QUOTE_ASK1;
        if (Changed(held.Bid[0].Volume, fresh.Bid[0].Volume))
            flags |= QUOTE_BID1_VOLUME;
        if (Changed(held.Ask[0].Volume, fresh.Ask[0].Volume))
            flags |= QUOTE_ASK1_VOLUME;
    }
    const uint8_t kind = md->Info.Unused0;
    const bool priceDeals = md->Info.Type == 3 || kind == 4 || kind == 5 || kind == 6 || kind == 8;
    if (Whole(fresh.Volume) > Whole(held.Volume) || (priceDeals && (flags & QUOTE_LAST))) {
        flags |= QUOTE_DEAL;
        if (fresh.Last >= held.Ask[0].Price)
            flags |= QUOTE_DEAL_AT_ASK;
        else if (fresh.Last <= held.Bid[0].Price)
            flags |= QUOTE_DEAL_AT_BID;
    }
    held = fresh;

    QuoteChangeEntry &entry = QuoteChangeRing[QuoteChangeIndex];
    entry.Zero0 = 0;
    entry.Zero2 = 0;
    entry.Stock = MakeStockId(market, cls, index);
    entry.Flags = flags;
    QuoteChangeIndex = (QuoteChangeIndex + 1) % QuoteChangeRingSize;
    if (FrameWindow())
        SendMessageA(FrameWindow(), WM_DATA_CHANGED, WPARAM(1u << 16 | 5u), reinterpret_cast<LPARAM>(&entry));
}

void TRealDataClnt::ApplyNewsFlash(const uint8_t *record)
{
    const int type = record[1];
    if (MFrame && !MFrame->HasFunctionRight(type))
        return;
    char path[600];
    MakeNewsIndexPath(path, sizeof path);
    std::memset(&flashRecord, 0, sizeof flashRecord);
    flashRecord.TypeRead = uint32_t(type) * 2;
    flashRecord.DateTime = Get32(record + 4);
    flashRecord.Id = Get16(record + 2);
    std::memcpy(flashRecord.Title, record + 8, strnlen(reinterpret_cast<const char *>(record + 8), 79));
    std::snprintf(flashRecord.FileName, sizeof flashRecord.FileName, "%08d.txt", flashRecord.Id);
    {
        TNewsIndex index(path, 1);
        index.MakeRoom(1);
        index.Add(flashRecord, 1);
    }
    // Handed over synchronously, with the index saved: the frame has taken the
    // flash before the next one reuses the record.
    if (FrameWindow())
        SendMessageA(FrameWindow(), WM_NEWS_FLASH, 0, reinterpret_cast<LPARAM>(&flashRecord));
}
