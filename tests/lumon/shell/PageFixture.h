// Shared by the page tests: a small installation folder to work from (bin/ and
// CFG/), a shown host form holding a page, small views that record what the page
// asks of them, a frame double whose window counts the messages it gets, and the
// pictures of windows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/Cview.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/PageFile.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TForm.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "tests/support/TestApplication.h"

namespace pagetest {

namespace fs = std::filesystem;

inline win::TApplication &App() { return testsupport::TestApplication("test_lumon_shell"); }

inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    return testsupport::PumpUntil(App(), done, ms);
}
inline void Pump(int ms = 50)
{
    testsupport::PumpUntil(App(), [] { return false; }, ms);
}

inline std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
inline void WriteFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A split page: a quote list on the left (ratio `left`), a K-line chart on the right.
inline std::vector<PageNode> SplitNodes(float left = 0.5f)
{
    std::vector<PageNode> nodes(3);
    nodes[0].First = 1;
    nodes[0].Second = 2;
    nodes[1].Kind = 1;
    nodes[1].Ratio = left;
    nodes[1].Leaf = true;
    InitViewAttr(VIEW_REPORT, &nodes[1].Attr);
    InitViewState(&nodes[1].State);
    nodes[2].Kind = 2;
    nodes[2].Ratio = 1 - left;
    nodes[2].Leaf = true;
    InitViewAttr(VIEW_KLINE, &nodes[2].Attr);
    InitViewState(&nodes[2].State);
    return nodes;
}

// A version 3 page file: the header with `name` in its 64-byte field, the body
// length, then the body.
inline std::string Version3(const std::vector<uint8_t> &body, const char *name = "")
{
    std::string out = "lmpage03" + std::string(64, '\0');
    std::memcpy(out.data() + 8, name, std::min<size_t>(std::strlen(name), 63));
    uint32_t length = uint32_t(body.size());
    out.append(reinterpret_cast<const char *>(&length), 4);
    return out + std::string(body.begin(), body.end());
}

// Theme colours the pictures are checked against.
constexpr win::COLORREF kBack = 0x302010;    // COLOR17
constexpr win::COLORREF kBorder = 0x0000C0;  // COLOR40
constexpr win::COLORREF kActive = 0x00C000;  // COLOR41

// A frame whose window counts the messages posted to it.
class CountingWindow : public win::TForm {
public:
    CountingWindow() : win::TForm(nullptr) {}
    void WndProc(win::TMessage &m) override
    {
        ++counts[m.Msg];
        win::TForm::WndProc(m);
    }
    std::map<win::UINT, int> counts;
};

struct FrameDouble : TFrameServices {
    bool RequestNameTable(int) override { return false; }
    win::HWND GetFrameWindow() override { return window->Handle; }
    CountingWindow *window = new CountingWindow;
    ~FrameDouble() override { delete window; }
};

// A view that records the operations the page calls.
class TestView : public TChildView {
public:
    TestView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
    {
        infoWindow = State->InfoWindow;
        OnPaint = [this](win::TObject *) {
            win::RECT r{0, 0, ClientWidth, ClientHeight};
            win::HBRUSH b = win::CreateSolidBrush(0x808080);
            win::FillRect(Canvas->Handle, &r, b);
            win::DeleteObject(b);
            win::RECT t{4, 4, ClientWidth, 24};
            char text[32];
            std::snprintf(text, sizeof text, "view %04X", Attr.ViewType);
            DrawTextInRect(Canvas->Handle, t, text, 1, 1);
        };
    }
    void ReloadView() override { ++reloads; }
    int Notify(int code, int a, int, intptr_t) override
    {
        notified.push_back({code, a});
        return 0;
    }
    void WriteViewState(VIEW_STATE &state) override { state.InfoWindow = infoWindow; }
    int reloads = 0;
    uint8_t infoWindow = 1;
    std::vector<std::pair<int, int>> notified;
};

inline TMultiViewChild *MakeTestView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TestView(page, node, attr);
}

inline void RegisterTestViews()
{
    for (uint16_t type : {VIEW_TREND, VIEW_KLINE, VIEW_RANKING, VIEW_REPORT, VIEW_NEWS, VIEW_TEXT, VIEW_NOTES})
        RegisterViewMaker(type, MakeTestView);
}

// Works from <temp>/inst/bin with an empty CFG beside it; the colour theme set
// to the test colours; the test views registered and the frame double in place.
class PageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        saved_ = fs::current_path();
        root = fs::absolute("page-inst");
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "CFG");
        win::SetCurrentDirectoryA((root / "bin").c_str());
        ColorTable[16] = kBack;
        ColorTable[39] = kBorder;
        ColorTable[40] = kActive;
        ColorTable[18] = 0x00FF00;
        ColorTable[19] = 0xFFFFFF;
        ColorTable[20] = 0x0000FF;
        ColorTable[46] = 0x00FFFF;
        RegisterTestViews();
        MFrame = &frame;
        win::RecordMessageBoxes(true);
        host = new win::TForm(nullptr);
        host->BorderStyle = win::bsNone;
        host->SetBounds(0, 0, 800, 600);
        host->Show();
    }
    void TearDown() override
    {
        delete page;
        page = nullptr;
        delete host;
        MFrame = nullptr;
        ClearViewMakers();
        win::RecordMessageBoxes(false);
        win::SetCurrentDirectoryA(saved_.c_str());
    }

    // A page of the mode and path, filling the host.
    TMultiViewMain *Open(int mode, const char *path = "", int width = 800, int height = 600)
    {
        delete page;
        host->SetBounds(0, 0, width, height);
        page = new TMultiViewMain(host, mode, path);
        page->SetBounds(0, 0, width, height);
        page->AfterConstruction();
        page->Show();
        page->LayoutPage();
        Pump(30);
        return page;
    }
    // Hands a pane command to the page's window procedure (as the posted one
    // reaches it), then lets the messages it posts be handled.
    void Command(win::UINT msg, TMultiViewChild *pane)
    {
        win::SendMessageA(page->Handle, msg, 0, reinterpret_cast<win::LPARAM>(pane));
        Pump(30);
    }
    TMultiViewChild *Pane(int i) { return page->Panes->GetAt(i); }
    int PaneCount() { return page->Panes->GetCount(); }

    fs::path root;
    win::TForm *host = nullptr;
    TMultiViewMain *page = nullptr;
    FrameDouble frame;

private:
    fs::path saved_;
};

inline win::COLORREF Pixel(win::HWND hwnd, int x, int y)
{
    win::HDC dc = win::GetDC(hwnd);
    win::COLORREF c = win::GetPixel(dc, x, y);
    win::ReleaseDC(hwnd, dc);
    return c;
}

} // namespace pagetest
