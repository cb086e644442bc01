// The order client from start to close against the simulated gateway: the login
// dialog to the main sheet (tabs, status button, caption link, title, the
// registry value of its window, the log), the sheet's keys, size, tray and hot
// key, the connection lost and won back, the close; and, started as the terminal
// starts it, the messages to the caller's window and the hand-over from a second
// copy of the program.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "consign/main/CConsignApp.h"
#include "consign/pages/PreOrderStore.h"
#include "consign/session/ConsignState.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/HotKey.h"
#include "platform/appframe/Tray.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Thread.h"
#include "platform/win/ThreadQueue.h"
#include "platform/win/Time.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSurface.h"
#include "tests/support/GatewayPeer.h"
#include "tests/support/ModalScript.h"

using namespace win;
using testsupport::ModalScript;

namespace {

::testing::Environment *const DestroyAtEnd = ::testing::AddGlobalTestEnvironment(new testsupport::DestroyWindowsAtEnd);

CConsignApp &App()
{
    static int argc = 1;
    static char name[] = "test_consign_main";
    static char *argv[] = {name, nullptr};
    static auto *app = [] {
        RegisterConsignVersion();
        auto *a = new CConsignApp;
        a->InitApplication(argc, argv);
        return a;
    }();
    return *app;
}

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Pump(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool PumpUntil(const std::function<bool()> &done, int ms = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The caller's window, as the terminal's main window: keeps what it receives.
struct CallerWindow {
    struct Note {
        UINT message;
        WPARAM wParam;
        std::string data;
    };
    static std::vector<Note> notes;
    static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == 4025 || m == 4026) {
            notes.push_back({m, w, ""});
            return 0;
        }
        if (m == WM_COPYDATA) {
            auto *data = reinterpret_cast<const COPYDATASTRUCT *>(l);
            notes.push_back({m, data->dwData, std::string(static_cast<const char *>(data->lpData), data->cbData)});
            return 1;
        }
        return DefWindowProcA(h, m, w, l);
    }
    HWND Create()
    {
        WNDCLASSA c{};
        c.lpfnWndProc = Proc;
        c.lpszClassName = "LumoCallerTest";
        RegisterClassA(&c);
        return CreateWindowExA(0, "LumoCallerTest", "终端", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
    }
};
std::vector<CallerWindow::Note> CallerWindow::notes;

class ConsignAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        RecordMessageBoxes(true);
        RecordTrayIcons(true);
        RecordHotKeys(true);
        ASSERT_TRUE(gateway.StartGateway({"--control", "0"}, "gateway.log"));
        char windows[512];
        GetWindowsDirectoryA(windows, sizeof windows);
        std::filesystem::create_directories(windows);
        settings = std::string(windows) + "/test_consign_main.ini";
    }
    void TearDown() override
    {
        if (App().m_pMainDlg)
            App().ExitInstance();
        RecordMessageBoxes(false);
        // A quit the program asked for and the test did not take would end the
        // next test's login at once.
        MSG msg;
        while (PeekMessageA(&msg, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    // The settings file with the gateway as the only site; the [Config] keys
    // are written through the profile functions, which see their own writes at
    // once however soon the file changes again.
    void WriteSettings(int clientMode, int useCmdLine)
    {
        const std::string port = std::to_string(gateway.Port());
        std::ofstream(settings, std::ios::binary | std::ios::trunc)
            << "[Config]\r\nRandomKey=0\r\n"
            << "[Login]\r\nServerCount=1\r\nServerSelect=1\r\nSaveName=0\r\nProxyInuse=0\r\nProxyPort=1080\r\n"
            << "[ServerGroup1]\r\nServerName=模拟网关\r\nFirstServer=1\r\nUseServer1=1\r\nServer1IP=127.0.0.1\r\n"
            << "Server1Port=" << port << "\r\nUseServer2=0\r\nServer2IP=\r\nServer2Port=0\r\nUseServer3=0\r\n"
            << "Server3IP=\r\nServer3Port=0\r\nUseValidate=0\r\nValidateUsePassword=0\r\nValidateDll=\r\n"
            << "[Variety key]\r\n0=cu\r\n1=m\r\n[Variety name]\r\n0=铜\r\n1=豆粕\r\n";
        WritePrivateProfileStringA("Config", "Client Mode", std::to_string(clientMode).c_str(), settings.c_str());
        WritePrivateProfileStringA("Config", "UseCmdLine", std::to_string(useCmdLine).c_str(), settings.c_str());
    }
    // Starts the client with the line, logging in as `account`.
    BOOL Start(const char *line, const char *account, const char *password)
    {
        ModalScript login("登录", [&](HWND h) {
            CWnd *dialog = CWnd::FromHandle(h);
            dialog->GetDlgItem(1021)->SetWindowText(account);
            dialog->GetDlgItem(1022)->SetWindowText(password);
            dialog->GetDlgItem(IDOK)->SetFocus();
            PostMessageA(h, WM_COMMAND, static_cast<WPARAM>(MAKELONG(IDOK, BN_CLICKED)), 0);
        });
        return App().StartUp(line);
    }
    static std::vector<std::string> BoxTexts()
    {
        std::vector<std::string> texts;
        for (const ShownMessageBox &b : ShownMessageBoxes())
            texts.push_back(b.text);
        return texts;
    }
    CConsignDlg &Sheet() { return *App().m_pMainDlg; }
    std::string Title()
    {
        CString text;
        Sheet().GetWindowText(text);
        return static_cast<const char *>(text);
    }
    std::string Status()
    {
        CString text;
        Sheet().m_StatusButton.GetWindowText(text);
        return static_cast<const char *>(text);
    }
    QImage Picture() { return WindowWidget(Sheet().m_hWnd)->grab().toImage(); }
    size_t Logged(const std::string &text)
    {
        const std::string log = ReadAll("gateway.log");
        size_t n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }
    bool Key(UINT message, UINT key)
    {
        MSG msg{};
        msg.hwnd = Sheet().m_hWnd;
        msg.message = message;
        msg.wParam = key;
        return Sheet().PreTranslateMessage(&msg) != FALSE;
    }

    ChildPeer gateway;
    std::string settings;
};

} // namespace

TEST_F(ConsignAppTest, ByItselfTheLoginLeadsToTheSheet)
{
    WriteSettings(0, 0);
    std::filesystem::create_directories("settle");
    std::ofstream("settle/.keep") << "";
    std::ofstream("settle/old.rar") << "x";
    ASSERT_TRUE(Start("", "8001", "123456"));
    ASSERT_TRUE(Sheet().m_hWnd);
    EXPECT_EQ(Logged("\"code\": 50,"), 1u);

    CTabCtrl *tabs = Sheet().GetTabControl();
    ASSERT_EQ(tabs->GetItemCount(), 13);
    EXPECT_EQ(Status(), "状态:");
    Pump(300);
    EXPECT_EQ(Title(), std::string(ProgramName()) + "--8001交易员[网关IP：127.0.0.1]");
    DWORD stored = 0, type = 0, size = sizeof stored;
    {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "TesselConsign50", 0, KEY_ALL_ACCESS, &key), 0);
        RegQueryValueExA(key, "hMainWnd", nullptr, &type, reinterpret_cast<BYTE *>(&stored), &size);
        RegCloseKey(key);
    }
    EXPECT_EQ(static_cast<HWND>(stored), Sheet().m_hWnd);
    EXPECT_TRUE(std::filesystem::exists("settle/.keep"));
    EXPECT_FALSE(std::filesystem::exists("settle/old.rar"));

    // The caption link at the bottom left, on the sheet's face.
    const QImage image = Picture();
    image.save("main-sheet.png");
    EXPECT_EQ(Sheet().m_strCustom, CString("岫云砚川"));
    const CRect link = Sheet().m_LinkRect;
    EXPECT_EQ(link.Width(), 11 * 8) << "the link is as wide as its text";
    ASSERT_TRUE(image.rect().contains(QRect(link.left, link.top, link.Width(), link.Height())));
    int inked = 0;
    for (int y = link.top; y < link.bottom; ++y)
        for (int x = link.left; x < link.right; ++x)
            inked += qGray(image.pixel(x, y)) < 140;
    EXPECT_GT(inked, 30) << "岫云砚川 is drawn at the bottom left";
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(image.pixel(link.right + 2, link.top), qRgb(GetRValue(face), GetGValue(face), GetBValue(face)))
        << "the sheet's face beside the link";

    // The log deciphers to the start's lines.
    const std::string path = "Log/" + std::string(static_cast<const char *>(CLogFile::TodayFileName()));
    ASSERT_EQ(std::system(("openssl enc -d -des-ecb -nopad -provider legacy -provider default "
                           "-K 7772656e666f6c64 -in " + path + " -out plain.txt").c_str()), 0);
    const std::string plain = ReadAll("plain.txt");
    const size_t start = plain.find("程序开始执行"), ready = plain.find("通信端口初始化成功");
    EXPECT_NE(start, std::string::npos);
    EXPECT_NE(ready, std::string::npos);
    EXPECT_LT(start, ready);

    // Keys switch pages.
    const struct {
        UINT message, key;
        int page;
    } keys[] = {{WM_SYSKEYDOWN, '2', 1}, {WM_SYSKEYDOWN, 'C', 11}, {WM_KEYDOWN, VK_F5, 4}, {WM_SYSKEYDOWN, VK_NUMPAD9, 8}};
    for (const auto &k : keys) {
        EXPECT_TRUE(Key(k.message, k.key));
        EXPECT_EQ(Sheet().GetActiveIndex(), k.page) << k.key;
    }
    // Alt+F11 and shrinking give the least size.
    Sheet().MoveWindow(100, 100, 800, 500);
    EXPECT_TRUE(Key(WM_SYSKEYDOWN, VK_F11));
    Pump(100);
    CRect r;
    Sheet().GetWindowRect(&r);
    EXPECT_EQ(r.Width(), 530);
    EXPECT_EQ(r.Height(), 320);

    // Minimising hides to the tray; the hot key shows it again.
    Sheet().SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(Sheet().IsWindowVisible());
    ASSERT_FALSE(RecordedTrayCalls().empty());
    EXPECT_EQ(RecordedTrayCalls().back().message, NIM_ADD);
    ASSERT_FALSE(RecordedHotKeys().empty());
    Sheet().SendMessage(WM_HOTKEY, 0x100, 0);
    EXPECT_TRUE(Sheet().IsWindowVisible());

    // The gateway closes the connection: the broken look, then a silent new login.
    ScriptMessageBoxAnswers({IDOK});
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"close\"}");
    ASSERT_TRUE(PumpUntil([&] { return Status() == "网络连接中断"; }));
    // The link blinks: of two paints one shows the broken look.
    bool broken = false;
    for (int i = 0; i < 2; ++i) {
        Sheet().Invalidate();
        Sheet().UpdateWindow();
        broken = broken || Title().find("--网络连接中断!!!") != std::string::npos;
    }
    EXPECT_TRUE(broken) << Title();
    Sheet().SendMessage(WM_TIMER, 2, 0);
    EXPECT_EQ(Logged("\"code\": 50,"), 2u);
    EXPECT_TRUE(TheTradeSession().m_bLoggedIn);
    EXPECT_NE(Title().find("[网关IP：127.0.0.1]"), std::string::npos);

    // Closing: No keeps everything, Yes logs out and writes the rectangle.
    ScriptMessageBoxAnswers({IDNO});
    Sheet().SendMessage(WM_CLOSE);
    ASSERT_TRUE(Sheet().m_hWnd);
    ScriptMessageBoxAnswers({IDYES});
    Sheet().SendMessage(WM_CLOSE);
    EXPECT_FALSE(Sheet().m_hWnd);
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends with its main window";
    ASSERT_TRUE(PumpUntil([&] { return Logged("\"code\": 51,") >= 1; }));
    EXPECT_EQ(GetPrivateProfileIntA("Config", "Right", 0, settings.c_str()) -
                  GetPrivateProfileIntA("Config", "Left", 0, settings.c_str()),
              530u);
}

// The sheet's shared pieces: today's pre-orders loaded at start and saved at
// close, the About box, the information pop-ups as the options allow, and the
// options written back at close.
// The dialog that holds the keyboard focus, when it has this title: the sheet's
// own dialogs are no top-level windows of their own.
HWND FocusedDialog(const char *title)
{
    CWnd *w = CWnd::GetFocus();
    while (w && (w->GetStyle() & WS_CHILD))
        w = w->GetParent();
    if (!w)
        return 0;
    CString text;
    w->GetWindowText(text);
    return text == title ? w->m_hWnd : 0;
}

TEST_F(ConsignAppTest, PreOrdersAboutBoxAndInformationPopUps)
{
    WriteSettings(0, 0);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof today, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    const char *file = settings.c_str();
    WritePrivateProfileStringA("Pre Order", "LastDate", today, file);
    WritePrivateProfileStringA("Pre Order", "User_no", "8001", file);
    WritePrivateProfileStringA("Pre Order", "Count", "1", file);
    WritePrivateProfileStringA("Pre Order 0", "contr", "cu2505", file);
    WritePrivateProfileStringA("Pre Order 0", "custid", "10000001", file);
    WritePrivateProfileStringA("Pre Order 0", "vol", "5", file);
    WritePrivateProfileStringA("Pre Order 0", "flag", "3", file);
    WritePrivateProfileStringA("Config", "InfoPopup", "1", file);
    WritePrivateProfileStringA("Config", "ManualInfo", "1", file);
    WritePrivateProfileStringA("Config", "SystemInfo", "2", file);
    WritePrivateProfileStringA("Config", "InfoWindowStay", "0", file);
    ASSERT_TRUE(Start("", "8001", "123456"));

    ASSERT_EQ(PreOrderList.size(), 1u);
    EXPECT_EQ(PreOrderList.front().volume, 5);
    EXPECT_EQ(std::string(PreOrderList.front().localNumber, 4), "0001");
    EXPECT_EQ(LocalOrderNumber, 2) << "the next order goes on after the loaded one";

    std::string aboutName;
    {
        ModalScript about([] { return FocusedDialog("关于"); }, [&](HWND h) {
            CWnd *dialog = CWnd::FromHandle(h);
            CString name;
            dialog->GetDlgItemText(1144, name);
            aboutName = static_cast<const char *>(name);
            PostMessageA(h, WM_COMMAND, IDOK, 0);
        });
        Sheet().SendMessage(WM_SYSCOMMAND, 16, 0);
    }
    EXPECT_EQ(aboutName, std::string(ProgramName()));

    auto info = [&](int level, bool manual) {
        return GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"info\", \"level\": " + std::to_string(level) +
                                                         ", \"manual\": " + (manual ? "true" : "false") +
                                                         ", \"sender\": \"admin\", \"message\": \"ok\"}");
    };
    info(2, true);
    ASSERT_TRUE(PumpUntil([] { return FocusedDialog("信息发布") != 0; }));
    const HWND shown = FocusedDialog("信息发布");
    CWnd *window = CWnd::FromHandle(shown);
    CString text;
    window->GetDlgItemText(1119, text);
    EXPECT_EQ(std::string(text), "人工");
    window->GetDlgItemText(1123, text);
    EXPECT_EQ(std::string(text), "警告");
    window->SendMessage(WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(shown); })) << "stay time 0: gone with its button";
    info(5, false);
    Pump(300);
    EXPECT_EQ(FocusedDialog("信息发布"), 0u) << "system information is off";

    PreOrderList.push_back(PreOrderList.front());
    ScriptMessageBoxAnswers({IDYES});
    Sheet().SendMessage(WM_CLOSE);
    MSG quit{};
    EXPECT_TRUE(PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends with its main window";
    EXPECT_EQ(GetPrivateProfileIntA("Pre Order", "Count", 0, file), 2u);
    EXPECT_EQ(GetPrivateProfileIntA("Pre Order 1", "vol", 0, file), 5u);
    char value[16];
    GetPrivateProfileStringA("Config", "SystemInfo", "", value, sizeof value, file);
    EXPECT_STREQ(value, "0") << "an option that is neither 0 nor 1 is written as off";
    GetPrivateProfileStringA("Config", "ManualInfo", "", value, sizeof value, file);
    EXPECT_STREQ(value, "1");
    PreOrderList.clear();
}

TEST_F(ConsignAppTest, StartedByTheTerminalItAnnouncesAndTakesHandOvers)
{
    WriteSettings(1, 1);
    CallerWindow caller;
    const HWND terminal = caller.Create();
    ASSERT_NE(terminal, 0u);
    CallerWindow::notes.clear();
    const std::string line = "|1001|||cu2512||0|||62310||0|" + std::to_string(terminal) + "|4025|4026|";
    ASSERT_TRUE(Start(line.c_str(), "10000003", "333333")) << ::testing::PrintToString(BoxTexts());
    Pump(200);
    CString contract;
    Sheet().m_OrderPage.GetDlgItemText(1012, contract);
    EXPECT_STREQ(contract, "cu2512");
    ASSERT_GE(CallerWindow::notes.size(), 3u);
    EXPECT_EQ(CallerWindow::notes[0].message, 4025u);
    EXPECT_EQ(CallerWindow::notes[0].wParam, 0u);
    EXPECT_EQ(CallerWindow::notes[1].message, 4025u);
    EXPECT_EQ(CallerWindow::notes[1].wParam, static_cast<WPARAM>(Sheet().m_hWnd));
    EXPECT_EQ(CallerWindow::notes[2].message, static_cast<UINT>(WM_COPYDATA));
    const std::string &block = CallerWindow::notes[2].data;
    ASSERT_EQ(block.size(), 4u + 12 * 2);
    EXPECT_EQ(block[0], 2);
    std::vector<std::string> codes = {std::string(1, block[4]) + (block.c_str() + 6),
                                      std::string(1, block[16]) + (block.c_str() + 18)};
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::string>{"S81000003", "Z11000003"}));

    // A second copy with another request hands it over and ends without a window.
    char windows[512];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::filesystem::copy_file(settings, std::string(windows) + "/consign.ini",
                               std::filesystem::copy_options::overwrite_existing);
    // Another copy of the program started with `line`; true when it ended by itself.
    auto runCopy = [&](const std::string &line) {
        STARTUPINFOA startup{};
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(LUMO_CONSIGN, const_cast<char *>(line.c_str()), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            return false;
        DWORD code = STILL_ACTIVE;
        const bool ended = PumpUntil([&] {
            GetExitCodeProcess(process.hProcess, &code);
            return code != STILL_ACTIVE;
        });
        return ended && code < 128;
    };
    // The sheet waits in the tray, on another page: the hand-over brings it forward.
    Sheet().SetActivePage(3);
    Sheet().SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_FALSE(Sheet().IsWindowVisible());
    const size_t windowsBefore = CallerWindow::notes.size();
    EXPECT_TRUE(runCopy("|1001|||m2601||1|1|0|3412|5|0|0|4025|4026|")) << "the second copy ends by itself";
    EXPECT_EQ(CallerWindow::notes.size(), windowsBefore) << "the second copy announces no window of its own";
    EXPECT_TRUE(Sheet().IsWindowVisible()) << "the hand-over brings the sheet forward";
    EXPECT_FALSE(Sheet().IsIconic());
    Sheet().m_OrderPage.GetDlgItemText(1012, contract);
    EXPECT_STREQ(contract, "m2601");
    EXPECT_EQ(Sheet().GetActiveIndex(), 0);
    CString variety;
    Sheet().m_OrderPage.GetDlgItemText(1025, variety);
    EXPECT_STREQ(variety, "豆粕");
    CString volume, price, direction, openClose;
    Sheet().m_OrderPage.GetDlgItemText(1004, volume);
    Sheet().m_OrderPage.GetDlgItemText(1005, price);
    EXPECT_STREQ(volume, "5");
    EXPECT_STREQ(price, "3412");
    EXPECT_EQ(Sheet().m_OrderPage.m_DirectionBox.GetCurSel(), 1);
    EXPECT_EQ(Sheet().m_OrderPage.m_OpenCloseBox.GetCurSel(), 2);
    EXPECT_EQ(Sheet().m_OrderPage.m_HedgeBox.GetCurSel(), 0);

    // A 1002 line ends the running copy: its sheet posts the quit, which ends
    // the program's main loop (at once when it came while the loop was not
    // running); without it the loop would run on until the fallback ends it.
    EXPECT_TRUE(runCopy("|1002|"));
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    fallback.start(5000);
    EXPECT_EQ(RunMainLoop(), 0) << "the running copy is told to end";

    App().ExitInstance();
    ASSERT_FALSE(CallerWindow::notes.empty());
    EXPECT_EQ(CallerWindow::notes.back().message, 4026u);
    DestroyWindow(terminal);
}

// Enter in the order page's customer field completes the customer from the
// list by its numeric value when the text is no exact number of the list.
TEST_F(ConsignAppTest, EnterLooksTheCustomerUp)
{
    WriteSettings(0, 0);
    // The order page asks for the trader's customers at the start (one query):
    // its answer must be in before the test's own list replaces it. The list
    // is global: an earlier test's customers must not pass for the answer.
    ClientList.clear();
    ASSERT_TRUE(Start("", "8001", "123456"));
    ASSERT_TRUE(PumpUntil([&] { return !ClientList.empty(); }));
    ASSERT_EQ(Logged("\"code\": 57,"), 1u);
    ClientList.clear();
    for (const char *number : {"0012  ", "012", "10000001", "77"}) {
        CClientRecord r{};
        std::strncpy(r.customer, number, sizeof r.customer);
        ClientList.push_back(r);
    }
    ClientList.back().customer[1] = '8'; // "78": numbers are compared in full
    const struct {
        const char *typed, *after, *box;
    } cases[] = {
        {"10000001", "10000001", nullptr},     // an exact number stays
        {"0010000001", "10000001", nullptr},   // one number of that value: it replaces the text
        {"12", "12", "存在多个匹配的客户"},   // 0012 and 012
        {"77", "77", "客户不存在"},
        {"*12", "*12", nullptr},               // a '*' text is not looked up
        {"", "", nullptr},
    };
    Sheet().SetActivePage(0);
    Sheet().SetForegroundWindow();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == Sheet().m_hWnd; }, 3000));
    for (const auto &c : cases) {
        RecordMessageBoxes(true); // a fresh record
        ScriptMessageBoxAnswers({IDOK});
        CWnd *field = Sheet().m_OrderPage.GetDlgItem(1011);
        Sheet().m_OrderPage.SetDlgItemText(1011, c.typed);
        field->SetFocus();
        Sheet().SendMessage(WM_COMMAND, IDOK, 0);
        CString text;
        Sheet().m_OrderPage.GetDlgItemText(1011, text);
        EXPECT_STREQ(text, c.after) << c.typed;
        const std::vector<std::string> boxes = BoxTexts();
        if (c.box) {
            EXPECT_EQ(boxes, std::vector<std::string>{c.box}) << c.typed;
            EXPECT_EQ(CWnd::GetFocus(), field) << "the focus goes back to the customer field";
        } else {
            EXPECT_TRUE(boxes.empty()) << c.typed;
            EXPECT_NE(CWnd::GetFocus(), field) << "the focus moves on: " << c.typed;
        }
    }
    ClientList.clear();
}

TEST_F(ConsignAppTest, ReconnectionInClientModeTakesTheAccountAsTheOnlyCustomer)
{
    WriteSettings(1, 0);
    // Its broker shows the day's statement at the start, without asking.
    ModalScript statement("结帐单确认", [](HWND h) { PostMessageA(h, WM_COMMAND, IDCANCEL, 0); });
    ASSERT_TRUE(Start("", "10000002", "222222"));
    EXPECT_EQ(statement.Count(), 1);
    ASSERT_TRUE(Sheet().m_hWnd);
    COrderPage &page = Sheet().m_OrderPage;
    // What the reconnection must put right: a stray customer and another text.
    CClientRecord stray{};
    std::memcpy(stray.customer, "10000003", 8);
    ClientList.push_back(stray);
    page.SetDlgItemText(1011, "10000003");
    std::memcpy(page.m_Order.customer, "10000003", 8);
    // And on the transfer pages: old texts and rows.
    Sheet().SetActivePage(9);
    Sheet().SetActivePage(8);
    CYQZZDlg &transfer = Sheet().m_TransferPage.m_BankDlg;
    transfer.SetDlgItemText(1005, "old");
    transfer.m_List.DeleteAllItems();
    Sheet().m_TransferQueryPage.m_BankTab.m_List.InsertItem(0, "old");

    ScriptMessageBoxAnswers({IDOK});
    GatewayCommand(gateway.ControlPort(), "{\"cmd\": \"close\"}");
    ASSERT_TRUE(PumpUntil([&] { return Status() == "网络连接中断"; }));
    Sheet().SendMessage(WM_SYSCOMMAND, 32, 0);
    EXPECT_EQ(Status(), "重连成功");
    EXPECT_EQ(Logged("\"code\": 50,"), 2u);
    ASSERT_EQ(ClientList.size(), 1u);
    EXPECT_STREQ(ClientList.front().customer, "10000002");
    EXPECT_EQ(std::string(ClientList.front().code, 8), "10000002");
    CString customer;
    page.GetDlgItemText(1011, customer);
    EXPECT_EQ(customer, "10000002");
    EXPECT_EQ(std::string(page.m_Order.customer), "10000002");
    // The transfer pages start again: his accounts, empty texts and lists.
    CString text;
    transfer.GetDlgItemText(1005, text);
    EXPECT_EQ(text, "");
    transfer.GetDlgItemText(1272, text);
    EXPECT_EQ(text, "10000002");
    EXPECT_EQ(transfer.m_List.GetItemCount(), 1);
    EXPECT_EQ(Sheet().m_TransferQueryPage.m_BankTab.m_List.GetItemCount(), 0);
    // The lists come again.
    ASSERT_TRUE(PumpUntil([&] { return Logged("\"code\": 60,") >= 1 && Logged("\"code\": 63,") >= 1; }));
}

// A customer whose broker requires the statement's confirmation starts only
// once he has accepted it; the statement comes in several packets.
TEST_F(ConsignAppTest, ClientModeStartAsksForTheStatementsConfirmation)
{
    gateway.Stop();
    ASSERT_TRUE(gateway.StartGateway({"--control", "0", "--records-per-packet", "1"}, "gateway.log"));
    WriteSettings(1, 0);
    const std::string confirm = [] {
        std::string hex;
        for (unsigned char c : std::string("sp_settle_confirm")) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", c);
            hex += two;
        }
        return hex;
    }();

    // Refused: 确认 stays disabled under 不认可, so only 取消 ends the dialog.
    std::string shown;
    bool okEnabled = true;
    {
        ModalScript dialog("结帐单确认", [&](HWND h) {
            CWnd *d = CWnd::FromHandle(h);
            CString text;
            d->GetDlgItem(1150)->GetWindowText(text);
            shown = static_cast<const char *>(text);
            okEnabled = d->GetDlgItem(IDOK)->IsWindowEnabled();
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_FALSE(Start("", "10000001", "111111"));
        EXPECT_EQ(dialog.Count(), 1);
    }
    EXPECT_FALSE(okEnabled);
    EXPECT_NE(shown.find("10000001"), std::string::npos);
    EXPECT_NE(shown.find("\r\n"), std::string::npos);
    EXPECT_EQ(Logged(confirm), 0u);
    EXPECT_FALSE(App().m_pMainDlg && App().m_pMainDlg->m_hWnd);
    EXPECT_FALSE(std::filesystem::exists("settle/10000001.rar"));
    EXPECT_FALSE(std::filesystem::exists("settle/10000001.txt"));
    if (App().m_pMainDlg)
        App().ExitInstance();

    // Accepted: 认可 enables 确认, the confirmation goes out and the sheet opens.
    ModalScript dialog("结帐单确认", [&](HWND h) {
        CWnd *d = CWnd::FromHandle(h);
        d->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELONG(1112, BN_CLICKED)), 0);
        okEnabled = d->GetDlgItem(IDOK)->IsWindowEnabled();
        d->CheckRadioButton(1111, 1112, 1111);
        d->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELONG(1111, BN_CLICKED)), 0);
        if (d->GetDlgItem(IDOK)->IsWindowEnabled())
            PostMessageA(h, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(Start("", "10000001", "111111"));
    EXPECT_EQ(dialog.Count(), 1);
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(Logged(confirm), 1u);
    ASSERT_TRUE(Sheet().m_hWnd);
}
