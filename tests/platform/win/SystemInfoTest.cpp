// The desktop's measures (work area, screen and virtual-screen metrics, with a
// test's own work area), and the program's data
// resources found, loaded and sized as FindResourceA and its kin hand them out.
#include <gtest/gtest.h>

#include <cstring>

#include "GuiTestSupport.h"
#include "platform/win/ResourceData.h"
#include "platform/win/SystemInfo.h"

using namespace win;

namespace {

TEST(SystemInfo, WorkAreaAndMetricsFollowATestsDesktop)
{
    wintest::EnsureGui();
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &area, 0));
    EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));

    const RECT test{0, 0, 1600, 1170};
    SetTestWorkArea(&test);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_EQ(area.right, 1600);
    EXPECT_EQ(area.bottom, 1170);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1600);
    EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1170);
    EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1600);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
    SetTestWorkArea(nullptr);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_NE(area.bottom, 1170);
}

TEST(SystemInfo, FrameMetricsAndTheValuesATestSets)
{
    wintest::EnsureGui();
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_EQ(GetSystemMetrics(SM_CYFRAME), 4);
    SetTestSystemMetric(SM_CYCAPTION, 23);
    SetTestSystemMetric(SM_CXSCREEN, 777);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 23);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 777);
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    SetTestSystemMetric(SM_CYCAPTION, -1);
    SetTestSystemMetric(SM_CXSCREEN, -1);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_NE(GetSystemMetrics(SM_CXSCREEN), 777);
}

TEST(DataResources, FoundByTypeAndNameWithTheirBytes)
{
    static const char wave[] = "RIFF....WAVEfmt ";
    ASSERT_TRUE(RegisterDataResource("NOTIFY_WAVE", MAKEINTRESOURCEA(178), wave, sizeof wave));
    EXPECT_FALSE(RegisterDataResource("", MAKEINTRESOURCEA(1), wave, sizeof wave));
    EXPECT_FALSE(RegisterDataResource("X", MAKEINTRESOURCEA(1), nullptr, 4));

    // Types and names match without regard to case; "#178" names 178 too.
    for (LPCSTR type : {"NOTIFY_WAVE", "notify_wave"}) {
        const HRSRC found = FindResourceA(0, MAKEINTRESOURCEA(178), type);
        ASSERT_NE(found, 0u) << type;
        const HGLOBAL loaded = LoadResource(0, found);
        ASSERT_NE(loaded, 0u);
        EXPECT_EQ(std::memcmp(LockResource(loaded), wave, sizeof wave), 0);
        EXPECT_EQ(SizeofResource(0, found), sizeof wave);
    }
    EXPECT_NE(FindResourceA(0, "#178", "NOTIFY_WAVE"), 0u);

    SetLastError(0);
    EXPECT_EQ(FindResourceA(0, MAKEINTRESOURCEA(179), "NOTIFY_WAVE"), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(LoadResource(0, 0), 0u);
    EXPECT_EQ(LockResource(0), nullptr);
    EXPECT_EQ(SizeofResource(0, 0), 0u);
}

} // namespace
