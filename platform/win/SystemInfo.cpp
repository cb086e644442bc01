#include "platform/win/SystemInfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include <map>
#include <mutex>
#include <optional>

#include "platform/win/Window.h"

namespace win {

namespace {

std::mutex testLock;
std::optional<QRect> testArea;
std::map<int, int> testMetrics;

std::optional<QRect> TestArea()
{
    std::lock_guard<std::mutex> guard(testLock);
    return testArea;
}

QScreen *PrimaryScreen()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return nullptr;
    return QGuiApplication::primaryScreen();
}

} // namespace

void SetTestWorkArea(const RECT *area)
{
    std::lock_guard<std::mutex> guard(testLock);
    if (area)
        testArea = QRect(area->left, area->top, area->right - area->left, area->bottom - area->top);
    else
        testArea.reset();
}

BOOL SystemParametersInfoA(UINT uiAction, UINT, void *pvParam, UINT)
{
    if (uiAction != SPI_GETWORKAREA || !pvParam)
        return FALSE;
    QRect area(0, 0, 1024, 768);
    if (std::optional<QRect> test = TestArea())
        area = *test;
    else if (QScreen *screen = PrimaryScreen())
        area = screen->availableGeometry();
    *static_cast<RECT *>(pvParam) = RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    return TRUE;
}

void SetTestSystemMetric(int nIndex, int value)
{
    std::lock_guard<std::mutex> guard(testLock);
    if (value < 0)
        testMetrics.erase(nIndex);
    else
        testMetrics[nIndex] = value;
}

int GetSystemMetrics(int nIndex)
{
    {
        std::lock_guard<std::mutex> guard(testLock);
        auto set = testMetrics.find(nIndex);
        if (set != testMetrics.end())
            return set->second;
    }
    QScreen *screen = PrimaryScreen();
    const std::optional<QRect> test = TestArea();
    const QRect full = test ? *test : screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect virt = test ? *test : screen ? screen->virtualGeometry() : full;
    switch (nIndex) {
    case SM_CXSCREEN:
        return full.width();
    case SM_CYSCREEN:
        return full.height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_XVIRTUALSCREEN:
        return virt.left();
    case SM_YVIRTUALSCREEN:
        return virt.top();
    case SM_CXVIRTUALSCREEN:
        return virt.width();
    case SM_CYVIRTUALSCREEN:
        return virt.height();
    default:
        return 0;
    }
}

HWND GetForegroundWindow()
{
    // GetActiveWindow asks for a widget application itself.
    return PrimaryScreen() ? GetActiveWindow() : 0;
}

} // namespace win
