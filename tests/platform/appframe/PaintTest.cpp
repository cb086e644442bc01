// What the framework's windows show: a property sheet that grows itself when it
// is first shown and draws in its OnPaint, its page, and a dialog without a paint
// handler of its own, grabbed as a user would see them: the dialog face wherever
// nothing else is drawn, and the sheet's own drawing where it put it.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <string>

#include "ListsFixture.h"
#include "platform/appframe/CDC.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CPropertySheet.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WindowSurface.h"

using namespace win;

namespace {

constexpr UINT kPage = 9201;
constexpr UINT kDialog = 9202;
constexpr int kLeastWidth = 480;
constexpr int kLeastHeight = 330;
constexpr COLORREF kMark = RGB(200, 0, 0);

void RegisterTemplates()
{
    static const DialogItemTemplate items[] = {
        {"Edit", 1011, 10, 10, 80, 12, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, ""},
    };
    RegisterDialogResource(kPage, DialogTemplate{WS_CHILD | DS_CONTROL, 0, 0, 0, 200, 100, "&1下单", nullptr, 0, items, 1});
    RegisterDialogResource(kDialog, DialogTemplate{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 160, 80, "设置", nullptr, 0,
                                                   items, 1});
}

// A sheet that keeps a least size (set from its WM_SIZE, so also while it is
// first shown) and paints a mark in the strip below its tabs, as the order
// client's sheet paints its caption link.
class MarkedSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    CRect mark;
    int paints = 0;

protected:
    void OnSize(UINT nType, int cx, int cy)
    {
        CPropertySheet::OnSize(nType, cx, cy);
        CRect r;
        GetWindowRect(&r);
        if (r.Width() < kLeastWidth || r.Height() < kLeastHeight)
            MoveWindow(r.left, r.top, kLeastWidth, kLeastHeight);
    }
    void OnPaint()
    {
        CPaintDC dc(this);
        ++paints;
        CRect client;
        GetClientRect(&client);
        mark = CRect(10, client.bottom - 20, 60, client.bottom - 8);
        dc.FillSolidRect(&mark, kMark);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(MarkedSheet, CPropertySheet)
    ON_WM_SIZE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

// The window as it shows on the screen, children included.
QImage Grab(const CWnd &wnd)
{
    QWidget *w = WindowWidget(wnd.GetSafeHwnd());
    return w ? w->grab().toImage() : QImage();
}

QRgb QtRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The pixel at (x, y) of `image` as "r,g,b", for readable failures.
std::string At(const QImage &image, int x, int y)
{
    QRgb p = image.pixel(x, y);
    return std::to_string(qRed(p)) + "," + std::to_string(qGreen(p)) + "," + std::to_string(qBlue(p));
}

std::string Text(COLORREF c)
{
    return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

} // namespace

TEST(PaintTest, SheetShowsTheFaceAroundItsPagesAndWhatItsOnPaintDraws)
{
    liststest::App();
    RegisterTemplates();
    CPropertyPage page(kPage);
    MarkedSheet sheet("委托");
    sheet.AddPage(&page);
    ASSERT_TRUE(sheet.Create(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE));
    liststest::PumpUntil([&] { return sheet.paints > 0; });
    liststest::PumpUntil([] { return false; }, 100);

    CRect client, tabs, pageRect;
    sheet.GetClientRect(&client);
    ASSERT_EQ(client.Width(), kLeastWidth) << "the sheet grew to its least size as it was shown";
    ASSERT_EQ(client.Height(), kLeastHeight);
    const QImage image = Grab(sheet);
    ASSERT_EQ(image.width(), kLeastWidth);
    ASSERT_EQ(image.height(), kLeastHeight);
    image.save("sheet-paint.png");

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    sheet.GetTabControl()->GetWindowRect(&tabs);
    sheet.ScreenToClient(&tabs);
    page.GetWindowRect(&pageRect);
    sheet.ScreenToClient(&pageRect);
    ASSERT_LT(tabs.right, client.right - 10);
    ASSERT_LT(tabs.bottom, sheet.mark.top - 10);
    const struct {
        const char *where;
        int x, y;
        COLORREF color;
    } pixels[] = {
        {"right of the tabs", client.right - 5, client.top + 5, face},
        {"below the tabs", client.right - 5, client.bottom - 5, face},
        {"between the tabs and the mark", client.right / 2, (tabs.bottom + sheet.mark.top) / 2, face},
        {"the page, away from its control", pageRect.right - 5, pageRect.bottom - 5, face},
        {"the sheet's own mark", sheet.mark.left + 3, sheet.mark.top + 3, kMark},
        {"the mark's far corner", sheet.mark.right - 1, sheet.mark.bottom - 1, kMark},
    };
    for (const auto &p : pixels)
        EXPECT_EQ(image.pixel(p.x, p.y), QtRgb(p.color))
            << p.where << " at " << p.x << "," << p.y << ": " << At(image, p.x, p.y) << ", expected " << Text(p.color);
}

TEST(PaintTest, DialogWithoutPaintHandlerShowsTheFace)
{
    liststest::App();
    RegisterTemplates();
    CDialog dialog;
    ASSERT_TRUE(dialog.Create(kDialog));
    dialog.ShowWindow(SW_SHOW);
    CRect client;
    dialog.GetClientRect(&client);
    // Painted once as it shows, then again after an invalidation.
    for (int round = 0; round < 2; ++round) {
        if (round)
            dialog.Invalidate();
        dialog.UpdateWindow();
        liststest::PumpUntil([] { return false; }, 50);
        const QImage image = Grab(dialog);
        ASSERT_EQ(image.width(), client.Width());
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (const CPoint p : {CPoint(2, 2), CPoint(client.right - 3, client.bottom - 3), CPoint(client.right / 2, client.bottom - 5)})
            EXPECT_EQ(image.pixel(p.x, p.y), QtRgb(face))
                << "round " << round << " at " << p.x << "," << p.y << ": " << At(image, p.x, p.y);
    }
    dialog.DestroyWindow();
}
