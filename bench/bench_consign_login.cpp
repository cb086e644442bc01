// The order client's login as a user sees it: from OK in the login dialog to the
// main sheet shown and painted, against the simulated trade gateway on loopback
// (hello, login, client-mode query, the sheet's thirteen pages made). The
// program's own start (settings, log, mutex) runs before the clock starts.
// bench-deps: consign_app Qt6::Widgets
#define LUMO_GATEWAY LUMO_SOURCE_DIR "/tools/gateway.py"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "consign/main/CConsignApp.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Process.h"
#include "platform/win/Window.h"
#include "tests/support/GatewayPeer.h"
#include "tests/support/ModalScript.h"

namespace {

using Clock = std::chrono::steady_clock;

CConsignApp &App()
{
    static int argc = 1;
    static char name[] = "bench_consign_login";
    static char *argv[] = {name, nullptr};
    static auto *app = [] {
        RegisterConsignVersion();
        auto *a = new CConsignApp;
        a->InitApplication(argc, argv);
        return a;
    }();
    return *app;
}

// The gateway as the only site, as the login dialog offers it.
void WriteSettings(int port)
{
    char windows[512];
    win::GetWindowsDirectoryA(windows, sizeof windows);
    std::filesystem::create_directories(windows);
    std::ofstream(std::string(windows) + "/bench_consign_login.ini", std::ios::binary | std::ios::trunc)
        << "[Config]\r\nRandomKey=0\r\nClient Mode=0\r\nUseCmdLine=0\r\n"
        << "[Login]\r\nServerCount=1\r\nServerSelect=1\r\nSaveName=0\r\nProxyInuse=0\r\nProxyPort=1080\r\n"
        << "[ServerGroup1]\r\nServerName=模拟网关\r\nFirstServer=1\r\nUseServer1=1\r\nServer1IP=127.0.0.1\r\n"
        << "Server1Port=" << port << "\r\nUseServer2=0\r\nServer2IP=\r\nServer2Port=0\r\nUseServer3=0\r\n"
        << "Server3IP=\r\nServer3Port=0\r\nUseValidate=0\r\nValidateUsePassword=0\r\nValidateDll=\r\n";
}

void BM_LoginToSheet(benchmark::State &state)
{
    App();
    ChildPeer gateway;
    if (!gateway.StartGateway({}, "gateway.log")) {
        state.SkipWithError("the simulated gateway did not start");
        return;
    }
    WriteSettings(gateway.Port());
    win::RecordMessageBoxes(true);
    for (auto _ : state) {
        Clock::time_point ok{};
        testsupport::ModalScript login("登录", [&](win::HWND h) {
            win::CWnd *dialog = win::CWnd::FromHandle(h);
            dialog->GetDlgItem(1021)->SetWindowText("8001");
            dialog->GetDlgItem(1022)->SetWindowText("123456");
            dialog->GetDlgItem(win::IDOK)->SetFocus();
            ok = Clock::now();
            win::PostMessageA(h, win::WM_COMMAND, static_cast<win::WPARAM>(win::MAKELONG(win::IDOK, win::BN_CLICKED)), 0);
        });
        if (!App().StartUp("") || !App().m_pMainDlg || !App().m_pMainDlg->m_hWnd) {
            state.SkipWithError("the login did not lead to the sheet");
            break;
        }
        win::UpdateWindow(App().m_pMainDlg->m_hWnd);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - ok).count());
        App().ExitInstance();
        win::MSG quit;
        while (win::PeekMessageA(&quit, 0, win::WM_QUIT, win::WM_QUIT, win::PM_REMOVE)) {
        }
    }
    win::RecordMessageBoxes(false);
    // The socket layer's own windows go too, so the run ends without windows.
    testsupport::DestroyOwnWindows();
}
BENCHMARK(BM_LoginToSheet)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
