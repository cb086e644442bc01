// The column order and widths of the lists: read with their defaults, written
// from what the list reports, and damaged values read as something defined.
#include <iterator>
#include <string>

#include "consign/pages/ListLayout.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/win/Profile.h"
#include "tests/consign/pages/PagesFixture.h"

using namespace win;

namespace {

class ListLayoutTest : public pagestest::PagesFixture {};

TEST_F(ListLayoutTest, TheSevenListsAndTheirColumns)
{
    const std::string expected[] = {"QOrder:11", "QDeal:11", "QFund:11", "QPosition:11",
                                    "QContract:7", "PreOrder:8", "Plsz:4"};
    ASSERT_EQ(std::size(ListLayoutKeys), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(std::string(ListLayoutKeys[i].name) + ":" + std::to_string(ListLayoutKeys[i].columns), expected[i]);
}

TEST_F(ListLayoutTest, SavedLayoutReadsBackAndMissingKeysTakeDefaults)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "lists", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, 0, 0));
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 380, 180), &parent, 1004));
    for (int i = 0; i < 4; ++i)
        list.InsertColumn(i, "列", LVCFMT_LEFT, 40 + 10 * i);
    const int arranged[4] = {2, 0, 3, 1};
    ASSERT_TRUE(list.SetColumnOrderArray(4, arranged));
    int order[MAX_LAYOUT_COLUMNS] = {};
    SaveListLayout(settings.c_str(), "Plsz", list, order, 4);
    EXPECT_EQ(std::vector<int>(order, order + 4), std::vector<int>(arranged, arranged + 4));
    const std::string file = pagestest::ReadFile(settings);
    EXPECT_NE(file.find("[Plsz Page]\r\n0=2\r\n1=0\r\n2=3\r\n3=1\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("[Plsz Width]\r\n0=40\r\n1=50\r\n2=60\r\n3=70\r\n"), std::string::npos) << file;

    int readOrder[MAX_LAYOUT_COLUMNS], widths[MAX_LAYOUT_COLUMNS];
    ReadListLayout(settings.c_str(), "Plsz", readOrder, widths, 4);
    EXPECT_EQ(std::vector<int>(readOrder, readOrder + 4), std::vector<int>(arranged, arranged + 4));
    EXPECT_EQ(std::vector<int>(widths, widths + 4), (std::vector<int>{40, 50, 60, 70}));

    ReadListLayout(settings.c_str(), "QOrder", readOrder, widths, 11);
    EXPECT_EQ(std::vector<int>(readOrder, readOrder + 11), std::vector<int>(11, 0));
    EXPECT_EQ(std::vector<int>(widths, widths + 11), std::vector<int>(11, -1));
    parent.DestroyWindow();
}

TEST_F(ListLayoutTest, BrokenSectionsReadAsDefinedValues)
{
    pagestest::WriteFile(settings, "[QDeal Page]\r\n0=abc\r\n1=70000\r\n2=-3\r\n"
                                   "[QDeal Width]\r\n0=-7\r\n1=\r\n2=99999999999\r\n3=120\r\n");
    int order[MAX_LAYOUT_COLUMNS], widths[MAX_LAYOUT_COLUMNS];
    ReadListLayout(settings.c_str(), "QDeal", order, widths, 4);
    EXPECT_EQ(order[0], 0) << "no number";
    EXPECT_EQ(order[1], static_cast<int16_t>(70000)) << "a 16-bit value";
    EXPECT_EQ(order[2], -3);
    EXPECT_EQ(widths[0], -1) << "below -1 counts as the built-in width";
    EXPECT_EQ(widths[1], -1) << "empty";
    EXPECT_GE(widths[2], -1);
    EXPECT_EQ(widths[3], 120);

    // An order that does not name every column once leaves the built-in order.
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "lists", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, 0, 0));
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 380, 180), &parent, 1004));
    for (int i = 0; i < 4; ++i)
        list.InsertColumn(i, "列", LVCFMT_LEFT, 40);
    EXPECT_FALSE(list.SetColumnOrderArray(4, order));
    int now[4];
    list.GetColumnOrderArray(now, 4);
    EXPECT_EQ(std::vector<int>(now, now + 4), (std::vector<int>{0, 1, 2, 3}));
    parent.DestroyWindow();
}

} // namespace
