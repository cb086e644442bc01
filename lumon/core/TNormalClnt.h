// The request connection to the data server: logs the user in, checks the
// program's version, keeps the connection alive, turns the views' wishes for
// data into requests on the request ring, and hands every answer frame to its
// frame dispatcher, which writes the local data files. Directly or through a
// SOCKS5 proxy; blocking (with time-outs) until notifications start.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "lumon/core/DataRequest.h"
#include "lumon/core/EArray.h"
#include "lumon/core/FrameHead.h"
#include "lumon/core/LClient.h"
#include "lumon/core/LCompress.h"
#include "lumon/core/ProxyLink.h"
#include "lumon/core/STKMS.h"
#include "platform/win/WinTypes.h"

// Messages to the main frame.
constexpr win::UINT WM_NETWORK_FAULT = 2527;  // offer to reconnect
constexpr win::UINT WM_DROP_CLIENTS = 2528;   // delete both data clients
constexpr win::UINT WM_SORT_DATA = 2529;      // ranking answer, to the view that asked
constexpr win::UINT WM_RECONNECT = 2532;      // connect again
constexpr win::UINT WM_SERVER_DATA = 2624;    // wParam frame type << 16 | detail
// To the login dialog: wParam 1 shows the version-check step.
constexpr win::UINT WM_LOGIN_VERSION = 2730;

// The program's own version: the first 11 bytes of .\version.txt read as a
// decimal number up to the first other byte; 0 when the file is missing.
long long ReadLocalVersion();

class TNormalClnt : public LClient {
public:
    static constexpr int kReceiveSize = 8192;
    static constexpr int kUnpackSize = 16384;
    static constexpr int kWorkSize = 409600;

    TNormalClnt();
    ~TNormalClnt() override;

    // Mode 0: the data server whose address the login gave; mode 1: the
    // balancing server of [Server] Address (port 6669), forgetting the data
    // server's address and the login value.
    void LoadServerConfig(int mode);
    // Connects (directly or through the proxy) on a blocking socket; 1 or 0.
    int Open();
    // Connects to the data server: the address the balancing server gave, else
    // [Server] Address. 1 or 0.
    int ConnectServer();
    void Disconnect();
    // Switches the connection to notifications (message 3025); the connected flag.
    int StartAsyncEvents();
    // 0 accepted; otherwise the server's refusal code or 15, with the error text set.
    int Login();
    // 1 when the updater was started and the program quits, 15 when the exchange
    // failed, else 0.
    int CheckVersion(win::HWND dialog);
    void SendHeartbeat();
    // Bytes sent, 0 for a request that is not sent, -1 when not connected or the
    // send failed.
    int SendRequest(const DataRequest &request);
    // Loads a market's name table from the server into the market's static
    // records and its file: the number of stocks, 0 when none, -1 on a failure.
    int LoadNameTable(int market);

    // The request builders: 1 when queued, 0 when nothing was requested.
    int RequestHistory(int market, const char *code, int periodKind, int extend, const void *requester);
    int RequestTickData(int market, const char *code, const void *requester);
    int RequestBaseText(int market, const char *code);
    int RequestWeightFile(int market, const char *code);
    int RequestStockInfo(int market, const char *code);
    int RequestNewsSinceLast(int market);
    int RequestInfoText(int newsType, int messageId);
    int RequestNotesList(int market, int32_t first, int32_t second);
    int RequestNote(int market, const char name[16], int value);
    // The ring owns `list` (EMemAlloc) from here on, whatever the result.
    int RequestSortData(int32_t counter, int field, int count, STKMS *list, const void *requester, int mode);
    int RequestSystemMessages();
    int RequestRealtimeMessages(int32_t lastId);
    // The ring owns `list` (made with new) from here on, whatever the result.
    int RequestStockStats(EArray<STKMS> *list);

    // Whether the local file asks for a request: 1 with the start and end
    // (PackedDateTime, 0 = open) to ask for, else 0.
    int CheckLocalFile(int type, const char *path, int32_t &start, int32_t &end, int extend);

    // Applies received bytes as OnReceive applies what the socket gives: appended
    // to the receive buffer as far as it has room, every whole frame dispatched;
    // the bytes taken.
    int FeedReceived(const uint8_t *bytes, int length);

    // One expanded answer frame of the current header (FrameDispatcher.cpp).
    void DispatchFrame(const uint8_t *body, int length);

    void OnError(int code) override;
    void OnReceive() override;
    void OnClose() override;

    int IsConnected() const { return m_Connected; }
    uint32_t GetServerAddress() const { return m_ServerAddr; }
    uint32_t GetLoginValue() const { return m_LoginValue; }
    const char *GetErrorText() const { return m_ErrorText; }
    void SetUser(const char *user, const char *password);

private:
    int SendFrame(int length);
    // Reads one frame on the blocking socket into the current header and body.
    bool ReadFrameSync();
    // Expands the current body when flagged; false when it does not expand.
    bool SetBody(const uint8_t *body, int length);
    void ParseReceived();
    int CanRequest(int market, const char *code) const;
    // The last-write time of a file on the market's clock; false when missing.
    bool FileTimeOnMarketClock(const char *path, int market, win::SYSTEMTIME &out) const;

    // Dispatcher handlers (FrameDispatcher.cpp).
    void OnStatistics(const uint8_t *body, int length, bool last);
    void OnHistory(const uint8_t *body, int length, bool last);
    void OnNews(const uint8_t *body, int length, bool first, bool last);
    void OnNotes(const uint8_t *body, int length, bool first, bool last);
    void OnFileAnswer(const uint8_t *body, int length, bool first, bool last);
    void OnTicks(const uint8_t *body, int length, bool last);
    void OnSortData(const uint8_t *body, int length, bool first, bool last);
    void OnStockInfo(const uint8_t *body, int length, bool last);
    void OnMessages(const uint8_t *body, int length, bool first, bool last);
    // Closes and deletes the file of the ranking answer being gathered.
    void DropSortFile();

    FRAME_HEAD m_Head{};
    int32_t m_BodyPending = 0;
    uint8_t m_RecvBuf[kReceiveSize];
    int32_t m_RecvFill = 0;
    // Bytes of an announced body too large for the receive buffer still to skip.
    int32_t m_SkipBytes = 0;
    uint8_t m_Unpacked[kUnpackSize];
    LCompress *m_Compress = nullptr;
    const uint8_t *m_Body = nullptr;
    int32_t m_BodyLength = 0;
    uint8_t *m_WorkBuf = nullptr;
    // The ranking answer being gathered, frame by frame, in a file of a fresh name
    // in the temporary folder; kept until the next ranking answer.
    std::FILE *m_SortFile = nullptr;
    std::string m_SortPath;
    uint32_t m_ServerAddr = 0; // network order
    uint32_t m_LoginValue = 0;
    char m_UserName[64];
    char m_Password[64];
    int32_t m_Connected = 0;
    char m_ErrorText[256];
    uint8_t m_SendBuf[kMaxRequestFrame];

    char m_Host[128];
    uint16_t m_ServerPort = 0;
    ProxySettings m_Proxy{};

    // The message id of a news text being received.
    int32_t m_InfoTextId = -1;
    // Whether a frame of the answer being received carried records.
    int32_t m_AnswerHadData = 0;
};
