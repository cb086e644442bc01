// A trade session against the simulated gateway for the request, answer and ping
// tests: the session records what it tells the pages, and the fixture reads back
// what the gateway received and sent.
#pragma once

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LoopbackPeers.h"
#include "SessionRecorder.h"
#include "consign/session/Des.h"
#include "consign/session/TradeSession.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Time.h"

class LiveSession : public CTradeSession, public RecordingListener {
public:
    LiveSession() { m_pListener = this; }
};

using Bytes = std::vector<win::BYTE>;

// Bytes of a body, field by field.
struct BodyBuilder {
    explicit BodyBuilder(size_t n) : bytes(n, 0) {}
    BodyBuilder &Text(size_t at, const char *text)
    {
        std::memcpy(&bytes[at], text, std::strlen(text));
        return *this;
    }
    BodyBuilder &Byte(size_t at, win::BYTE value)
    {
        bytes[at] = value;
        return *this;
    }
    BodyBuilder &Big32(size_t at, uint32_t v)
    {
        bytes[at] = static_cast<win::BYTE>(v >> 24);
        bytes[at + 1] = static_cast<win::BYTE>(v >> 16);
        bytes[at + 2] = static_cast<win::BYTE>(v >> 8);
        bytes[at + 3] = static_cast<win::BYTE>(v);
        return *this;
    }
    BodyBuilder &Big16(size_t at, uint16_t v)
    {
        bytes[at] = static_cast<win::BYTE>(v >> 8);
        bytes[at + 1] = static_cast<win::BYTE>(v);
        return *this;
    }
    std::string Hex() const
    {
        static const char digits[] = "0123456789abcdef";
        std::string s;
        for (win::BYTE b : bytes) {
            s += digits[b >> 4];
            s += digits[b & 15];
        }
        return s;
    }
    Bytes bytes;
};

inline Bytes FromHex(const std::string &hex)
{
    Bytes b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        b.push_back(static_cast<win::BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return b;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        ASSERT_EQ(DesInit(0), 0);
        ASSERT_TRUE(win::AfxSocketInit());
        win::RecordMessageBoxes(true);
        ClearRecordLists();
    }
    void TearDown() override
    {
        win::RecordMessageBoxes(false);
        win::ClearTestClock();
    }

    bool StartGateway(std::vector<std::string> options = {})
    {
        options.insert(options.end(), {"--control", "0"});
        return gateway.StartGateway(options, "gateway.log");
    }
    bool ConnectSession(LiveSession &session)
    {
        if (!session.Create())
            return false;
        session.m_TargetAddress = "127.0.0.1";
        session.m_TargetPort = static_cast<win::UINT>(gateway.Port());
        return session.Connect("127.0.0.1", static_cast<win::UINT>(gateway.Port()), nullptr, nullptr);
    }
    bool LogIn(LiveSession &session, const char *account, const char *password, win::BYTE kind)
    {
        win::CString rights, number;
        return ConnectSession(session) && session.Login('*', kind, account, password, rights, number);
    }
    std::vector<GatewayLogEntry> Log(const std::string &direction)
    {
        std::vector<GatewayLogEntry> out;
        for (const GatewayLogEntry &e : ReadGatewayLog("gateway.log"))
            if (e.direction == direction)
                out.push_back(e);
        return out;
    }
    // Pumps the GUI thread until the gateway has received `count` packets.
    bool WaitReceived(size_t count)
    {
        return PumpUntil([&] { return CountLogged("\"dir\": \"in\"") >= count; });
    }
    // Lines of the gateway's log that hold `text`.
    static size_t CountLogged(const std::string &text)
    {
        std::ifstream in("gateway.log");
        std::string line;
        size_t n = 0;
        while (std::getline(in, line))
            n += line.find(text) != std::string::npos;
        return n;
    }
    std::string Command(const std::string &json) { return GatewayCommand(gateway.ControlPort(), json); }
    static std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const win::ShownMessageBox &b : win::ShownMessageBoxes())
            texts.push_back(b.text);
        return texts;
    }

    ChildPeer gateway;
};
