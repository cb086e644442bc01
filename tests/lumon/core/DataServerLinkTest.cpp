// The link to the simulated data server over loopback: a client socket of the
// pool logs in on a blocking socket, then switches to notifications; the request
// ring sends its frames through it, the answers are expanded with the WMC15
// decoder (the server compresses every body) and complete the requests in order.
// The server's log shows the request frames byte for byte.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/MiniJson.h"
#include "SocketTestSupport.h"
#include "lumon/core/DataRequest.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/LClient.h"
#include "lumon/core/LCompress.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/RequestRing.h"
#include "tests/support/DataServerPeer.h"

namespace {

namespace fs = std::filesystem;
using namespace socktest;

std::string Hex(const uint8_t *p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// The request connection as the tests drive it: frames in a buffer, bodies
// expanded when flagged, the last frame of each answer completing its request.
class LinkClient : public LClient {
public:
    struct Frame {
        FRAME_HEAD head;
        std::vector<uint8_t> body;
    };

    explicit LinkClient(RequestRing &ring) : ring_(ring) {}

    // Reads one whole frame on the blocking socket.
    bool ReadFrame(Frame &frame)
    {
        uint8_t head[10];
        if (!ReadExact(head, 10))
            return false;
        std::memcpy(&frame.head, head, 10);
        frame.body.resize(frame.head.wDataSize);
        return ReadExact(frame.body.data(), int(frame.body.size())) && Expand(frame);
    }

    // Notifications from now on, as the request client switches them on after login.
    bool StartNotifications()
    {
        m_Notify = 1;
        return win::WSAAsyncSelect(m_hSocket, LSocketPool::GetWindow(), kSocketMessage,
                                   win::FD_READ | win::FD_CONNECT | win::FD_CLOSE) == 0;
    }

    void OnReceive() override
    {
        char buffer[8192];
        int n;
        while ((n = Receive(buffer, sizeof buffer)) > 0)
            pending_.insert(pending_.end(), buffer, buffer + n);
        while (pending_.size() >= 10) {
            Frame frame;
            std::memcpy(&frame.head, pending_.data(), 10);
            if (pending_.size() < 10u + frame.head.wDataSize)
                break;
            frame.body.assign(pending_.begin() + 10, pending_.begin() + 10 + frame.head.wDataSize);
            pending_.erase(pending_.begin(), pending_.begin() + 10 + frame.head.wDataSize);
            if (Expand(frame))
                frames.push_back(frame);
            if (frame.head.FrameIndex + 1 >= frame.head.FrameCount)
                ring_.CompleteRequest(frame.head);
        }
    }
    void OnClose() override
    {
        closed = true;
        LClient::OnClose();
    }

    std::vector<Frame> frames;
    int compressedBodies = 0;
    int badBodies = 0;
    bool closed = false;

private:
    bool ReadExact(uint8_t *p, int n)
    {
        for (int got = 0; got < n;) {
            int r = Receive(p + got, n - got);
            if (r < 1)
                return false;
            got += r;
        }
        return true;
    }

    bool Expand(Frame &frame)
    {
        if (!frame.head.Compressed)
            return true;
        ++compressedBodies;
        std::vector<uint8_t> out(16384);
        uint16_t length = 0;
        if (lzw_.Decompress(frame.body.data(), uint16_t(frame.body.size()), out.data(), 16384, &length) !=
            LCompress::kOk) {
            ++badBodies;
            return false;
        }
        out.resize(length);
        frame.body = out;
        return true;
    }

    RequestRing &ring_;
    LCompress lzw_;
    std::vector<char> pending_;
};

// The frame's side: the ring's requests go out on the link.
class LinkFrame : public TFrameServices {
public:
    explicit LinkFrame(LinkClient &link) : link_(link) {}
    bool RequestNameTable(int) override { return false; }
    int SendDataRequest(const DataRequest &request) override
    {
        uint8_t frame[kMaxRequestFrame];
        int n = BuildRequestFrame(request, frame);
        return n ? link_.Send(frame, n, 100) : 0;
    }

private:
    LinkClient &link_;
};

DataRequest Req(int type, int subKind, const char *code, int32_t first = 0, int32_t second = 0)
{
    DataRequest r{};
    r.Type = type;
    r.SubKind = subKind;
    r.Four = 4;
    std::strncpy(r.Code, code, sizeof r.Code);
    r.First = first;
    r.Second = second;
    return r;
}

class DataServerLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        pool = std::make_unique<LSocketPool>();
        root = (fs::current_path() / "dslink").string();
        fs::remove_all(root);
        std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" + root +
                              "' --no-registry > mkinstall.log 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        logPath = (fs::current_path() / "frames.log").string();
    }
    void TearDown() override
    {
        MFrame = nullptr;
        pool.reset();
    }

    // The request frames the server logged, as hex.
    std::vector<std::string> LoggedFrames() const
    {
        std::vector<std::string> frames;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["listener"].text == "data")
                frames.push_back(j["hex"].text);
        }
        return frames;
    }

    std::unique_ptr<LSocketPool> pool;
    std::string root;
    std::string logPath;
};

TEST_F(DataServerLinkTest, RequestsGoOutAndCompressedAnswersComeBackInOrder)
{
    peer::DataServer server;
    ASSERT_TRUE(server.Start(root, {"--log", logPath, "--compress", "always"}));

    RequestRing ring;
    LinkClient link(ring);
    LinkFrame frame(link);
    MFrame = &frame;
    link.Attach();
    ASSERT_EQ(link.Create(LSocket::kStream, 0), 1);
    ASSERT_EQ(link.Connect("127.0.0.1", server.data), 1);

    // Login on the blocking socket.
    uint8_t login[80];
    int n = BuildLoginFrame("demo", "demo", 0, login);
    ASSERT_EQ(link.Send(login, n, 100), n);
    LinkClient::Frame answer;
    ASSERT_TRUE(link.ReadFrame(answer));
    ASSERT_EQ(answer.head.Type, kFrameLogin);
    ASSERT_GE(answer.body.size(), 58u);
    ASSERT_TRUE(link.StartNotifications());

    const std::vector<DataRequest> requests = {
        Req(kRequestStockInfo, 0, "000001"),
        Req(kRequestDayHistory, 8, "000001"),
        Req(kRequestBaseText, 0, "000001"),
        Req(kRequestSystemMessages, 0, ""),
        Req(kRequestMinuteHistory, 0, "600000"),
    };
    for (const DataRequest &r : requests)
        EXPECT_EQ(ring.QueueRequest(r), 1);
    EXPECT_EQ(ring.InFlightCount(), 2);
    ASSERT_TRUE(PumpUntil([&] { return ring.InFlightCount() + ring.WaitingCount() == 0 || link.closed; }, 10000));
    EXPECT_FALSE(link.closed);
    EXPECT_EQ(ring.HistoryCount(), int(requests.size()));
    EXPECT_EQ(link.badBodies, 0);
    EXPECT_GT(link.compressedBodies, 0);

    // The answers arrive in request order, each expanded in full.
    std::vector<int> types;
    for (const LinkClient::Frame &f : link.frames)
        if (types.empty() || types.back() != f.head.Type)
            types.push_back(f.head.Type);
    EXPECT_EQ(types, (std::vector<int>{kFrameStockInfo, kFrameHistory, kFrameBaseText, kFrameSystemMessages,
                                       kFrameHistory}));
    const LinkClient::Frame &info = link.frames.front();
    ASSERT_EQ(info.body.size(), 253u);
    EXPECT_EQ(info.body[0], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&info.body[1])), "000001");
    for (const LinkClient::Frame &f : link.frames) {
        if (f.head.Type != kFrameHistory)
            continue;
        ASSERT_GE(f.body.size(), 14u);
        std::string code(reinterpret_cast<const char *>(&f.body[2]));
        EXPECT_TRUE(code == (f.body[0] == 8 ? "000001" : "600000")) << code;
        EXPECT_EQ((f.body.size() - 14) % 32, 0u);
    }

    // The server received exactly the frames the builders made.
    std::vector<std::string> expected = {Hex(login, size_t(n))};
    for (const DataRequest &r : requests) {
        uint8_t bytes[kMaxRequestFrame];
        int size = BuildRequestFrame(r, bytes);
        expected.push_back(Hex(bytes, size_t(size)));
    }
    ASSERT_TRUE(PumpUntil([&] { return LoggedFrames().size() >= expected.size(); }, 3000));
    EXPECT_EQ(LoggedFrames(), expected);
}

// Coalesced answers with large bodies are read by the request client itself
// (FrameDispatcher.StreamFaultsLoseNoAnswer), whose receive buffer has its limit.
TEST_F(DataServerLinkTest, AnswersSplitAtAnyByteStillExpand)
{
    struct Case {
        const char *name;
        std::vector<std::string> options;
    };
    const Case cases[] = {
        {"split", {"--compress", "always", "--split-at", "1,9,10,11,200"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer::DataServer server;
        std::vector<std::string> options = {"--log", logPath};
        options.insert(options.end(), c.options.begin(), c.options.end());
        ASSERT_TRUE(server.Start(root, options));
        RequestRing ring;
        LinkClient link(ring);
        LinkFrame frame(link);
        MFrame = &frame;
        link.Attach();
        ASSERT_EQ(link.Create(LSocket::kStream, 0), 1);
        ASSERT_EQ(link.Connect("127.0.0.1", server.data), 1);
        uint8_t login[80];
        int n = BuildLoginFrame("demo", "demo", 0, login);
        ASSERT_EQ(link.Send(login, n, 100), n);
        LinkClient::Frame answer;
        ASSERT_TRUE(link.ReadFrame(answer));
        ASSERT_TRUE(link.StartNotifications());
        ring.QueueRequest(Req(kRequestDayHistory, 8, "000001"));
        ring.QueueRequest(Req(kRequestMinuteHistory, 0, "600036"));
        ring.QueueRequest(Req(kRequestBaseText, 0, "000001"));
        ASSERT_TRUE(
            PumpUntil([&] { return ring.InFlightCount() + ring.WaitingCount() == 0 || link.closed; }, 10000));
        EXPECT_EQ(link.badBodies, 0);
        EXPECT_GT(link.compressedBodies, 0);
        EXPECT_EQ(ring.HistoryCount(), 3);
        MFrame = nullptr;
    }
}

} // namespace
