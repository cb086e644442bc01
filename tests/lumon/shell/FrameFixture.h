// The main frame's test fixture: an installation made by the installation
// maker in the test's folder, the program folder as the working folder, the
// message boxes and launches recorded, and a frame started through its login
// dialog, which a test answers (offline, or logged in to the simulated data
// server).
#pragma once

#include <gtest/gtest.h>

#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "lumon/core/ui/TClientRight.h"
#include "lumon/shell/MFrame.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "tests/support/DataServerPeer.h"
#include "tests/support/TestApplication.h"

namespace framefixture {

using namespace win;
namespace fs = std::filesystem;

inline TApplication &App() { return testsupport::TestApplication("test_lumon_shell"); }

inline std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A pixel of the control's window as it was last painted.
inline COLORREF Pixel(TControl *control, int x, int y)
{
    HDC dc = GetDC(control->Handle);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control->Handle, dc);
    return c;
}

// Neither client is connected any more.
inline bool BothClientsDown()
{
    return MainFrame() && MainFrame()->GetConnectionState() == 0;
}

// The login dialog the frame has open, found among the frame's components.
inline TClientRight *OpenDialog(TMFrame *frame)
{
    for (int i = 0; i < frame->ComponentCount(); ++i)
        if (auto *d = dynamic_cast<TClientRight *>(frame->Components(i)))
            return d;
    return nullptr;
}

class FrameTest : public ::testing::Test {
protected:
    // Extra options of the installation maker.
    virtual std::string MakerOptions() { return ""; }

    void SetUp() override
    {
        App();
        saved_ = fs::current_path();
        root = fs::absolute("frame-inst");
        fs::remove_all(root);
        std::string command = "/usr/bin/python3 '" + (peer::Repo() / "tools" / "mkinstall.py").string() + "' '" +
                              root.string() + "' --no-registry --data-server 127.0.0.1:0:6666:6668 " +
                              MakerOptions() + " > mkinstall.log 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        HKEY key;
        std::string path = root.string() + "/";
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(path.c_str()), DWORD(path.size() + 1));
        RegCloseKey(key);
        SetCurrentDirectoryA((root / "bin").c_str());
        // A chat client to be started (the launch recorder runs nothing).
        std::ofstream(root / "bin" / "chatdesk.dll") << "#!/bin/sh\n";
        fs::permissions(root / "bin" / "chatdesk.dll", fs::perms::owner_all);
        RecordMessageBoxes(true);
        RecordLaunches(true);
    }
    void TearDown() override
    {
        delete frame;
        frame = nullptr;
        // A quit a test left asked for would end the next test's loops at once.
        MSG msg;
        while (PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        RecordLaunches(false);
        RecordMessageBoxes(false);
        SetCurrentDirectoryA(saved_.c_str());
    }
    // Creates the frame; `answer` works the login dialog once it shows.
    void Start(std::function<void(TClientRight *)> answer)
    {
        frame = new TMFrame(&App());
        EXPECT_EQ(MFrame, frame);
        EXPECT_EQ(MainFrame(), frame);
        QTimer::singleShot(0, [this, answer] {
            TClientRight *dialog = OpenDialog(frame);
            ASSERT_NE(dialog, nullptr);
            answer(dialog);
        });
        frame->AfterConstruction();
    }
    void StartOffline()
    {
        Start([](TClientRight *dialog) { dialog->Button3->Click(); });
    }
    // Starts offline with the timers stopped and shows the frame at the size
    // on the page it opens with (call in ASSERT_NO_FATAL_FAILURE).
    void ShowOffline(int width, int height)
    {
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        frame->SetBounds(0, 0, width, height);
        frame->Show();
        ASSERT_NE(frame->CurrentPage, nullptr);
    }
    // Logs in as demo/demo to the server.
    void StartConnected(const peer::DataServer &server)
    {
        UseServer(server);
        Start([](TClientRight *dialog) {
            dialog->Edit1->Text = "demo";
            dialog->Edit2->Text = "demo";
            dialog->Button1->Click();
        });
    }
    void UseServer(const peer::DataServer &server)
    {
        std::string port = std::to_string(server.data), realtime = std::to_string(server.realtime);
        WritePrivateProfileStringA("Server", "Port", port.c_str(), ".\\server.ini");
        WritePrivateProfileStringA("Server", "R_Port", realtime.c_str(), ".\\server.ini");
        WritePrivateProfileStringA("Server", "NoJH", "1", ".\\server.ini");
    }
    std::string Setting(const char *section, const char *key)
    {
        char buffer[64];
        GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, "..\\CFG\\SETTING.INI");
        return buffer;
    }

    fs::path root;
    TMFrame *frame = nullptr;

private:
    fs::path saved_;
};

} // namespace framefixture
