// The login's dialogs on a settings file of the test's own, against the
// simulated gateway: the file's text, message boxes recorded, the dialogs driven
// from their modal loops.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <fstream>
#include <string>
#include <vector>

#include "consign/session/ConsignState.h"
#include "consign/session/Des.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CWnd.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"
#include "platform/win/WindowSurface.h"
#include "platform/win/Winsock.h"
#include "tests/support/GatewayPeer.h"
#include "tests/support/ModalScript.h"

namespace logintest {

inline ::testing::Environment *const DestroyAtEnd =
    ::testing::AddGlobalTestEnvironment(new testsupport::DestroyWindowsAtEnd);

inline win::CWinApp &App()
{
    static int argc = 1;
    static char name[] = "test_consign_session_ui";
    static char *argv[] = {name, nullptr};
    static auto *app = [] {
        auto *a = new win::CWinApp("委托测试");
        a->InitApplication(argc, argv);
        return a;
    }();
    return *app;
}

// A site of the settings file: its name and three servers ("" = disabled).
struct Site {
    std::string name;
    std::string servers[3];
    int firstServer = 1;
};

inline std::string SiteText(int n, const Site &site)
{
    std::string text = "[ServerGroup" + std::to_string(n) + "]\r\nServerName=" + site.name +
                       "\r\nFirstServer=" + std::to_string(site.firstServer) + "\r\n";
    for (int k = 0; k < 3; ++k) {
        const std::string &s = site.servers[k];
        const size_t colon = s.find(':');
        text += "UseServer" + std::to_string(k + 1) + "=" + (s.empty() ? "0" : "1") + "\r\n";
        text += "Server" + std::to_string(k + 1) + "IP=" + (s.empty() ? "" : s.substr(0, colon)) + "\r\n";
        text += "Server" + std::to_string(k + 1) + "Port=" + (s.empty() ? "0" : s.substr(colon + 1)) + "\r\n";
    }
    return text + "UseValidate=0\r\nValidateUsePassword=0\r\nValidateDll=\r\n";
}

class LoginFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        ASSERT_EQ(DesInit(0), 0);
        ASSERT_TRUE(win::AfxSocketInit());
        win::RecordMessageBoxes(true);
        SettingsPath = (std::string(getenv("PWD") ? getenv("PWD") : ".") + "/consign-test.ini").c_str();
        StartSettings = ConsignStartSettings{};
        ClientMode = 1;
    }
    void TearDown() override { win::RecordMessageBoxes(false); }

    void WriteSettings(const std::vector<Site> &sites, const std::string &extra = "", int select = 1)
    {
        std::string text = "[Config]\r\nClient Mode=0\r\n[Login]\r\nServerCount=" + std::to_string(sites.size()) +
                           "\r\nServerSelect=" + std::to_string(select) +
                           "\r\nSaveName=0\r\nLoginName=\r\nProxyInuse=0\r\nProxyPort=1080\r\n" + extra;
        for (size_t i = 0; i < sites.size(); ++i)
            text += SiteText(static_cast<int>(i + 1), sites[i]);
        std::ofstream(static_cast<const char *>(SettingsPath), std::ios::binary | std::ios::trunc) << text;
    }
    std::string Key(const char *section, const char *key)
    {
        char value[256] = {};
        win::GetPrivateProfileStringA(section, key, "", value, sizeof value, SettingsPath);
        return value;
    }
    static std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const win::ShownMessageBox &b : win::ShownMessageBoxes())
            texts.push_back(b.text);
        return texts;
    }
    static void Click(win::HWND dialog, int id)
    {
        win::PostMessageA(dialog, win::WM_COMMAND, static_cast<win::WPARAM>(win::MAKELONG(static_cast<win::WORD>(id), win::BN_CLICKED)),
                          0);
    }
    static win::CWnd *Item(win::HWND dialog, int id) { return win::CWnd::FromHandle(dialog)->GetDlgItem(id); }
    static std::string Text(win::HWND dialog, int id)
    {
        win::CString text;
        Item(dialog, id)->GetWindowText(text);
        return static_cast<const char *>(text);
    }
    static void SetText(win::HWND dialog, int id, const char *text) { Item(dialog, id)->SetWindowText(text); }
    // Gives the dialog's OK button the focus and presses it.
    static void PressOk(win::HWND dialog)
    {
        Item(dialog, win::IDOK)->SetFocus();
        Click(dialog, win::IDOK);
    }
    static QImage Picture(win::HWND window) { return win::WindowWidget(window)->grab().toImage(); }
};

} // namespace logintest
