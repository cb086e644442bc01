// A main frame logged in to the simulated data server as the demo user, on a
// fresh installation made by the installation maker, for the benchmarks of the
// frame and its views; made once per benchmark program.
#pragma once

#define LUMO_REPO_SOURCE_DIR LUMO_SOURCE_DIR

#include <cstdlib>
#include <filesystem>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/TApplication.h"
#include "platform/win/File.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "tests/support/DataServerPeer.h"

namespace benchfix {

struct FrameSession {
    // The installation `name` in the temporary folder, made with the maker's
    // extra `options` (such as "--large").
    FrameSession(const char *name, const std::string &options = "")
    {
        namespace fs = std::filesystem;
        root = fs::temp_directory_path() / name;
        fs::remove_all(root);
        std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" +
                              root.string() + "' --no-registry --data-server 127.0.0.1:0:6666:6668 " + options +
                              " > /dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return;
        win::HKEY key;
        std::string path = root.string() + "/";
        win::RegCreateKeyExA(win::HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, 0, win::KEY_ALL_ACCESS,
                             nullptr, &key, nullptr);
        win::RegSetValueExA(key, "Path", 0, win::REG_SZ, reinterpret_cast<const win::BYTE *>(path.c_str()),
                            win::DWORD(path.size() + 1));
        win::RegCloseKey(key);
        win::SetCurrentDirectoryA((root / "bin").c_str());
        if (!server.Start(root.string(), {}))
            return;
        win::WritePrivateProfileStringA("Server", "Port", std::to_string(server.data).c_str(), ".\\server.ini");
        win::WritePrivateProfileStringA("Server", "R_Port", std::to_string(server.realtime).c_str(),
                                        ".\\server.ini");
        win::WritePrivateProfileStringA("Server", "NoJH", "1", ".\\server.ini");
        static int argc = 1;
        static char program[] = "bench";
        static char *argv[] = {program, nullptr};
        app = new win::TApplication(argc, argv);
        frame = new TMFrame(app);
        frame->Util = new TUtilData(1);
        frame->SocketPool = new LSocketPool();
        frame->Timer2->Enabled = false;
        if (frame->ConnectToServer(0, "demo", "demo") != 1)
            problem = "the login failed";
        else if (frame->StartRealDataClient(0) != 0 || !RealTimeClient || RealTimeClient->Connect() != 1)
            problem = "the real-time client did not connect";
        else if (!MarketTable.Markets[0] || MarketTable.Markets[0]->StockCount < 6)
            problem = "market 0 has too few stocks";
        else
            ready = true;
    }
    ~FrameSession() { delete frame; }

    std::filesystem::path root;
    peer::DataServer server;
    win::TApplication *app = nullptr;
    TMFrame *frame = nullptr;
    bool ready = false;
    std::string problem = "the installation or the server did not start";
};

} // namespace benchfix
