// The framework's wait cursor around long operations: counted begins and ends,
// the cursor of before coming back after the outermost end.
#include <gtest/gtest.h>

#include <memory>

#include "platform/appframe/CWinApp.h"
#include "platform/win/Cursor.h"
#include "tests/platform/appframe/AppframeFixture.h"

using namespace win;

namespace {

class WaitCursorTest : public appframetest::AppframeFixture {};

TEST_F(WaitCursorTest, NestedOperationsKeepTheWaitCursorUntilTheOutermostEnds)
{
    std::unique_ptr<CWinApp> ownApp;
    if (!AfxGetApp())
        ownApp = std::make_unique<CWinApp>("WaitCursorTest");
    const HCURSOR wait = LoadCursorA(0, IDC_WAIT);
    const HCURSOR cross = LoadCursorA(0, IDC_CROSS);
    SetCursor(cross);
    CCmdTarget page;
    CCmdTarget other;

    page.BeginWaitCursor();
    EXPECT_EQ(GetCursor(), wait);
    other.BeginWaitCursor();
    other.EndWaitCursor();
    EXPECT_EQ(GetCursor(), wait);
    // A message box took the cursor meanwhile: it comes back.
    SetCursor(LoadCursorA(0, IDC_ARROW));
    page.RestoreWaitCursor();
    EXPECT_EQ(GetCursor(), wait);
    page.EndWaitCursor();
    EXPECT_EQ(GetCursor(), cross);

    // Ends without a begin change nothing and are not counted against the next begin.
    page.EndWaitCursor();
    page.RestoreWaitCursor();
    EXPECT_EQ(GetCursor(), cross);
    page.BeginWaitCursor();
    EXPECT_EQ(GetCursor(), wait);
    page.EndWaitCursor();
    EXPECT_EQ(GetCursor(), cross);
}

} // namespace
