// Real-time quote records applied per second through TRealDataClnt: frame parse,
// stock look-up by code, copy into the quote array, change flags, the change ring
// and the message each changed record sends to the frame window (a window whose
// procedure counts them), for a market of 4,096 stocks (target: at least 10
// million records per second). A second benchmark takes each frame, compressed
// as the server sends it, from a loopback TCP socket through decompression to
// the applied records.
// bench-deps: lumon_core
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Window.h"
#include "tests/lumon/core/Wmc15Encoder.h"

namespace {

constexpr int kStocks = 4096;
constexpr int kRecordsPerFrame = 66; // the most a body below 8192 bytes holds

int64_t quoteMessages = 0;

win::LRESULT CountingProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
{
    if (msg == WM_DATA_CHANGED) {
        ++quoteMessages;
        return 0;
    }
    return win::DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The frame double: a window that counts the quote messages it is sent.
class CountingFrame : public TFrameServices {
public:
    CountingFrame()
    {
        static const bool registered = [] {
            win::WNDCLASSA wc{};
            wc.lpfnWndProc = CountingProc;
            wc.lpszClassName = "Bench Quote Frame";
            return win::RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        window = win::CreateWindowExA(0, "Bench Quote Frame", "", 0, 0, 0, 10, 10, 0, 0, 0, nullptr);
    }
    ~CountingFrame() override { win::DestroyWindow(window); }
    bool RequestNameTable(int) override { return false; }
    win::HWND GetFrameWindow() override { return window; }
    win::HWND window = 0;
};

struct Market {
    Market()
    {
        char temp[win::MAX_PATH] = {};
        win::GetTempPathA(sizeof temp, temp);
        std::snprintf(DataRoot, sizeof DataRoot, "%s", temp);
        MarketInfoRecord info{};
        info.Type = 1;
        std::strcpy(info.Name, "bench");
        std::strcpy(info.Dir, "bench");
        std::strcpy(info.Ext, "bch");
        info.Capacity = kStocks;
        info.ClassCount = 1;
        info.Classes[0].SessionCount = 1;
        info.Classes[0].SessionStart[0] = 570;
        info.Classes[0].SessionEnd[0] = 900;
        data = new TMarketData(0, info);
        for (int i = 0; i < kStocks; ++i) {
            StockStaticRecord &s = data->Statics[i];
            s.Market = 0;
            s.Index = uint16_t(i);
            std::snprintf(s.Code, sizeof s.Code, "%06d", 600000 + i);
        }
        data->StockCount = kStocks;
        data->RebuildCodeIndex();
        MarketTable.Markets[0] = data;
        MarketTable.Count = 1;
        MFrame = &frame;
    }
    ~Market()
    {
        MFrame = nullptr;
        MarketTable.Markets[0] = nullptr;
        MarketTable.Count = 0;
        delete data;
    }
    TMarketData *data;
    CountingFrame frame;
};

// Frames of quote records for random stocks whose prices and volumes move.
std::vector<uint8_t> MakeStream(int frames)
{
    std::mt19937 random(7);
    std::vector<uint8_t> stream;
    std::vector<uint32_t> last(kStocks, 1000);
    std::vector<float> volume(kStocks, 0);
    for (int f = 0; f < frames; ++f) {
        const uint16_t size = uint16_t(kRecordsPerFrame * 124);
        const uint8_t head[10] = {0x40, 8, 1, 0, 0, 0, uint8_t(size), uint8_t(size >> 8), 0, 0};
        stream.insert(stream.end(), head, head + 10);
        for (int r = 0; r < kRecordsPerFrame; ++r) {
            const int i = int(random() % kStocks);
            last[i] += random() % 5;
            volume[i] += float(random() % 1000);
            RealQuoteRecord q{};
            q.PrevClose = 1000;
            q.Last = last[i];
            q.Volume = volume[i];
            q.LastVolume = float(random() % 100);
            q.Bid[0] = {last[i] - 1, 100};
            q.Ask[0] = {last[i] + 1, 100};
            uint8_t record[124] = {};
            std::memcpy(record + 4, &q, 32);
            std::memcpy(record + 36, &q.Bid[0], 80);
            std::snprintf(reinterpret_cast<char *>(record + 116), 8, "%06d", 600000 + i);
            stream.insert(stream.end(), record, record + 124);
        }
    }
    return stream;
}

void BM_ApplyQuoteRecords(benchmark::State &state)
{
    TUtilData util(1);
    Market market;
    TRealDataClnt client(0);
    const std::vector<uint8_t> stream = MakeStream(256);
    int64_t records = 0;
    quoteMessages = 0;
    for (auto _ : state) {
        // Fed in reads of 16 KB, as the socket delivers them.
        for (size_t at = 0; at < stream.size();) {
            const int n = int(std::min<size_t>(16384, stream.size() - at));
            at += size_t(client.FeedFrames(stream.data() + at, n));
        }
        records += 256 * kRecordsPerFrame;
    }
    benchmark::DoNotOptimize(market.data->Quotes[0]);
    if (quoteMessages < records / 2)
        state.SkipWithError("the frame window did not receive the quote messages");
    state.SetItemsProcessed(records);
}
BENCHMARK(BM_ApplyQuoteRecords)->Unit(benchmark::kMillisecond);

// The stream's frames each compressed into a frame of its own, as the server
// sends them.
std::vector<std::vector<uint8_t>> CompressedFrames(const std::vector<uint8_t> &stream)
{
    std::vector<std::vector<uint8_t>> frames;
    const size_t frameBytes = 10 + size_t(kRecordsPerFrame) * 124;
    for (size_t at = 0; at + frameBytes <= stream.size(); at += frameBytes) {
        std::vector<uint8_t> body = wmc15::Encode(stream.data() + at + 10, frameBytes - 10);
        const uint16_t size = uint16_t(body.size());
        std::vector<uint8_t> frame = {0x40, 8, 1, 0, 0, 0, uint8_t(size), uint8_t(size >> 8), 1, 0};
        frame.insert(frame.end(), body.begin(), body.end());
        frames.push_back(std::move(frame));
    }
    return frames;
}

// A connected pair of loopback TCP sockets; both -1 on failure.
void LoopbackPair(int &writer, int &reader)
{
    writer = reader = -1;
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (listener >= 0)
            ::close(listener);
        return;
    }
    writer = ::socket(AF_INET, SOCK_STREAM, 0);
    // Each frame leaves at once rather than waiting for the previous one's
    // acknowledgement: the benchmark measures the client, not the delayed ACK.
    const int on = 1;
    if (writer >= 0)
        ::setsockopt(writer, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (writer >= 0 && ::connect(writer, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        reader = ::accept(listener, nullptr, nullptr);
    ::close(listener);
}

void BM_SocketFrameToAppliedRecords(benchmark::State &state)
{
    TUtilData util(1);
    Market market;
    TRealDataClnt client(0);
    const std::vector<std::vector<uint8_t>> frames = CompressedFrames(MakeStream(256));
    int writer, reader;
    LoopbackPair(writer, reader);
    if (reader < 0) {
        state.SkipWithError("no loopback connection");
        return;
    }
    std::vector<uint8_t> buffer(65536);
    size_t next = 0;
    int64_t records = 0, bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> &frame = frames[next];
        next = (next + 1) % frames.size();
        if (::send(writer, frame.data(), frame.size(), 0) != ssize_t(frame.size())) {
            state.SkipWithError("send failed");
            break;
        }
        for (size_t got = 0; got < frame.size();) {
            ssize_t n = ::recv(reader, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                state.SkipWithError("recv failed");
                break;
            }
            got += size_t(n);
            for (ssize_t at = 0; at < n;)
                at += client.FeedFrames(buffer.data() + at, int(n - at));
        }
        records += kRecordsPerFrame;
        bytes += int64_t(frame.size());
    }
    ::close(writer);
    ::close(reader);
    benchmark::DoNotOptimize(market.data->Quotes[0]);
    state.SetItemsProcessed(records);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_SocketFrameToAppliedRecords)->Unit(benchmark::kMicrosecond);

} // namespace
