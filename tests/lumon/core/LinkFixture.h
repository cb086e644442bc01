// An installation made by the installation maker, its markets loaded, the
// working folder in its bin/, the socket pool and the frame double in place,
// and the simulated data server serving it; .\server.ini names the server.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/support/DataServerPeer.h"
#include "Installation.h"
#include "SocketTestSupport.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/RequestRing.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"
#include "platform/win/Time.h"

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        socktest::EnsureGui();
        char cwd[4096] = {};
        win::GetCurrentDirectoryA(sizeof cwd, cwd);
        oldCwd = cwd;
        root = (fs::path(cwd) / "link").string();
        fs::remove_all(root);
        std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" +
                              root + "' --no-registry > mkinstall.log 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        fs::create_directories(root + "/bin");
        fs::create_directories(root + "/tmp");
        Installation::SetRegistryPath(root + "/");
        win::SetCurrentDirectoryA((root + "/bin").c_str());
        pool = std::make_unique<LSocketPool>();
        util = std::make_unique<TUtilData>(1);
        io = std::make_unique<TDataIO>(0);
        frame = std::make_unique<peer::FrameDouble>();
        frame->temp = root + "/tmp/";
        frame->send = [this](const DataRequest &r) { return client ? client->SendRequest(r) : -1; };
        MFrame = frame.get();
        TheRequestRing().ClearRequestRing();
    }
    void TearDown() override
    {
        client.reset();
        TheRequestRing().ClearRequestRing();
        MFrame = nullptr;
        frame.reset();
        io.reset();
        util.reset();
        pool.reset();
        win::RecordMessageBoxes(false);
        win::SetCurrentDirectoryA(oldCwd.c_str());
    }

    void WriteServerIni(const std::string &address, uint16_t port, uint16_t realtime, const std::string &proxy = "")
    {
        std::ofstream(root + "/bin/server.ini", std::ios::binary)
            << "[Server]\r\nAddress=" << address << "\r\nPort=" << port << "\r\nR_Port=" << realtime
            << "\r\n[ProxyServer]\r\n" << (proxy.empty() ? "UseProxy=0\r\n" : proxy);
    }

    // A request client logged in to the data server directly, receiving by
    // notifications.
    bool ConnectDirect(const char *user = "demo", const char *password = "demo")
    {
        WriteServerIni("127.0.0.1", server.data, server.realtime);
        client = std::make_unique<TNormalClnt>();
        client->SetUser(user, password);
        return client->ConnectServer() == 1 && client->Login() == 0 && client->StartAsyncEvents() == 1;
    }

    bool RingIdle() const { return TheRequestRing().InFlightCount() + TheRequestRing().WaitingCount() == 0; }

    std::string DataFile(const std::string &relative) const { return root + "/data/" + relative; }

    std::string oldCwd;
    std::string root;
    std::unique_ptr<LSocketPool> pool;
    std::unique_ptr<TUtilData> util;
    std::unique_ptr<TDataIO> io;
    std::unique_ptr<peer::FrameDouble> frame;
    std::unique_ptr<TNormalClnt> client;
    peer::DataServer server;
};
