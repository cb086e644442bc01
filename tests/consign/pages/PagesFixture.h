// Shared by the order client's page and dialog tests: the GUI application, an
// event loop that runs until a condition holds, a settings file of the test's
// own as the program's settings file, and the message-box recorder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>

#include "consign/session/ConsignState.h"
#include "platform/appframe/AfxTypes.h"
#include "platform/appframe/CWinApp.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"
#include "tests/support/ModalScript.h"

namespace win {
// Readable rectangles and points in failure messages.
inline void PrintTo(const CRect &r, std::ostream *os)
{
    *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
inline void PrintTo(const CPoint &p, std::ostream *os) { *os << "(" << p.x << "," << p.y << ")"; }
} // namespace win

namespace pagestest {

class CPagesTestApp : public win::CWinApp {
public:
    CPagesTestApp() : CWinApp("委托测试") {}
    win::BOOL InitInstance() override { return win::TRUE; }
};

inline void EnsureGui()
{
    static int argc = 1;
    static char name[] = "test_consign_pages";
    static char *argv[] = {name, nullptr};
    static auto *app = [] {
        auto *a = new CPagesTestApp;
        a->InitApplication(argc, argv);
        return a;
    }();
    (void)app;
}

inline bool PumpUntil(const std::function<bool()> &done, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void Pump(int ms = 50)
{
    PumpUntil([] { return false; }, ms);
}

inline std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Moves the test clock on and wakes the queue of the thread of `window`, which
// then sends the timers that have come due (the queue's own wake-up follows the
// real clock).
inline void AdvanceClock(win::DWORD ms, win::HWND window)
{
    win::AdvanceTestClock(ms);
    win::PostMessageA(window, win::WM_NULL, 0, 0);
}

// The windows still open when every test has run (the sockets' own among them)
// are destroyed, so that nothing of theirs is left to the memory check.
inline ::testing::Environment *const DestroyAtEnd =
    ::testing::AddGlobalTestEnvironment(new testsupport::DestroyWindowsAtEnd);

class PagesFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGui();
        win::RecordMessageBoxes(true);
        settings = (std::filesystem::temp_directory_path() /
                    (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".ini"))
                       .string();
        std::filesystem::remove(settings);
        SettingsPath = settings.c_str();
    }
    void TearDown() override
    {
        win::RecordMessageBoxes(false);
        win::ClearTestClock();
    }
    // Sets the local date (and the clocks) to the given day at noon.
    static void SetDay(int year, int month, int day)
    {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = 12;
        const int64_t seconds = static_cast<int64_t>(timegm(&t));
        win::SetTestClock(seconds * 1000, 1000000);
    }

    std::string settings;
};

} // namespace pagestest
