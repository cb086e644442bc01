// The real-time connection to the data server: subscribes the stocks the open
// panes and alarms need, and applies the pushed frames of 124-byte records to
// the market tables: quotes into the markets' quote arrays (announced to the main
// frame with their change flags through the quote change ring), the server's
// clock to every market's clock, news flashes to the news index.
#pragma once

#include <cstdint>

#include "lumon/core/EArray.h"
#include "lumon/core/FrameHead.h"
#include "lumon/core/LClient.h"
#include "lumon/core/LCompress.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/core/ProxyLink.h"
#include "lumon/core/STKMS.h"
#include "platform/win/WinTypes.h"

// Messages to the main frame.
constexpr win::UINT WM_DATA_CHANGED = 2026; // wParam 2: server clock; 1 << 16 | 5: a quote
constexpr win::UINT WM_NEWS_FLASH = 2547;   // lParam: the 108-byte news record

// Change flags of a quote.
constexpr uint32_t QUOTE_LAST = 0x001;
constexpr uint32_t QUOTE_LAST_VOLUME = 0x002;
constexpr uint32_t QUOTE_BID1 = 0x008;
constexpr uint32_t QUOTE_ASK1 = 0x010;
constexpr uint32_t QUOTE_BID1_VOLUME = 0x020;
constexpr uint32_t QUOTE_ASK1_VOLUME = 0x040;
constexpr uint32_t QUOTE_VOLUME = 0x080;
constexpr uint32_t QUOTE_DEAL = 0x100;
constexpr uint32_t QUOTE_DEAL_AT_ASK = 0x200;
constexpr uint32_t QUOTE_DEAL_AT_BID = 0x400;

// One entry of the quote change ring; message 2026 points at it.
struct QuoteChangeEntry {
    uint16_t Zero0;
    uint16_t Zero2;
    StockId Stock;
    uint8_t FrameBytes[36]; // the main frame's own
    uint32_t Flags;
};
static_assert(sizeof(QuoteChangeEntry) == 48);

constexpr int QuoteChangeRingSize = 2048;
extern QuoteChangeEntry QuoteChangeRing[QuoteChangeRingSize];
extern int32_t QuoteChangeIndex;

class TRealDataClnt : public LClient {
public:
    static constexpr int kFrameBufferSize = 32768;
    static constexpr int kUnpackSize = 16384;
    static constexpr int kReadSize = 262144;
    static constexpr int kRecordSize = 124;
    // A frame announcing a body this long or longer is skipped.
    static constexpr int kMaxBody = 8192;

    // `serverAddress`: the data server's IPv4 address in network order.
    explicit TRealDataClnt(uint32_t serverAddress);
    ~TRealDataClnt() override;

    using LClient::Connect;

    void LoadServerConfig();
    // Connects (directly or through the proxy) and switches to notifications; 1 or 0.
    int Connect();
    // Subscribes the list's stocks (at most 256), the first `newCount` of them
    // new since the last subscription. The client owns the list from here on,
    // whatever the result. Bytes sent, or -1 when not connected or the send failed.
    int Subscribe(EArray<STKMS> *list, int newCount, int flag);

    void OnError(int code) override;
    void OnReceive() override;
    void OnClose() override;

    int IsConnected() const { return m_Connected; }
    const EArray<STKMS> *GetSubscription() const { return m_List; }
    // Empties the current list, so that the next subscription sends every entry as new.
    void ClearSubscription()
    {
        if (m_List)
            m_List->SetCount(0);
    }
    void SetServerAddress(uint32_t address) { m_ServerAddr = address; }

    // Appends received bytes to the frame buffer (as far as it has room) and
    // applies the whole frames in it; the bytes taken.
    int FeedFrames(const uint8_t *bytes, int length);
    // Applies one frame's body of 124-byte records (already expanded).
    void ApplyRecords(const uint8_t *body, int length);

private:
    void ParseFrames();
    void DispatchFrame(const FRAME_HEAD &head, const uint8_t *body);
    void ApplyClock(int minutes);
    void ApplyQuote(const uint8_t *record, int market);
    void ApplyNewsFlash(const uint8_t *record);

    uint8_t m_SendBuf[10 + 518];
    char m_Host[128];
    uint16_t m_Port = 0;
    ProxySettings m_Proxy{};
    uint8_t m_FrameBuf[kFrameBufferSize];
    uint8_t m_Unpacked[kUnpackSize];
    LCompress *m_Compress = nullptr;
    const uint8_t *m_Body = nullptr;
    uint8_t *m_ReadBuf = nullptr;
    int32_t m_Fill = 0;
    // Bytes of an oversize frame still to skip.
    int32_t m_Skip = 0;
    uint32_t m_ServerAddr = 0;
    EArray<STKMS> *m_List = nullptr;
    int32_t m_Connected = 0;
    // The local clock's second when the server's minute last changed.
    int32_t m_ClockSecond = 0;
    // The local clock's second read for the frame being applied; -1 until read.
    int32_t m_FrameSecond = -1;
    // A clock value past 23:00 was seen: the next one below 01:00 is a new day.
    bool m_LateClock = false;
};
