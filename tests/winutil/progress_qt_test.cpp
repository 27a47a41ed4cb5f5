// The real progress window: hidden during its delay, then shown over a
// disabled owner with the title and bar of the reports, stopped by Escape
// or "Cancel", and gone with the owner enabled again at the end.
#include "winutil/progress.h"

#include <gtest/gtest.h>

#include <string>

#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

TEST(ProgressWindow, ShowsAfterTheDelayAndStopsOnEscapeOrCancel) {
  HINSTANCE inst = Win_Init(nullptr, nullptr);
  Win_SetModalSeam(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Win_DefWindowProc;
  wc.lpszClassName = "ProgressTestOwner";
  Win_RegisterClass(&wc);
  HWND owner = Win_CreateWindow(0, "ProgressTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400,
                                300, nullptr, nullptr, inst, nullptr);
  ASSERT_NE(owner, nullptr);
  for (int escape = 0; escape <= 1; ++escape) {
    Progress_SetDelay(60000);  // a long delay: short work shows nothing
    WorkProgress p{};
    ASSERT_EQ(Progress_Begin(owner, "Loading \"x.wav\"", &p), 1);
    WorkProgress second{};
    EXPECT_EQ(Progress_Begin(owner, "other", &second), 0);  // one piece of work at a time
    EXPECT_EQ(second.pfnReport, nullptr);
    EXPECT_EQ(Progress_Report(&p, 1, 4), 1);
    EXPECT_EQ(WinTest_ProgressWindow(nullptr, 0, nullptr), 0);
    Progress_SetDelay(0);
    EXPECT_EQ(Progress_Report(&p, 1, 4), 1);
    char title[64] = "";
    int permille = -1;
    ASSERT_EQ(WinTest_ProgressWindow(title, sizeof title, &permille), 1);
    EXPECT_STREQ(title, "Loading \"x.wav\"");
    EXPECT_EQ(permille, 250);
    EXPECT_EQ(Win_IsWindowEnabled(owner), 0);
    WinTest_CancelProgress(escape);
    EXPECT_EQ(Progress_Report(&p, 2, 4), 0);
    EXPECT_EQ(Progress_Report(&p, 3, 4), 0);  // stays stopped
    Progress_End();
    EXPECT_EQ(WinTest_ProgressWindow(nullptr, 0, nullptr), 0);
    EXPECT_EQ(Win_IsWindowEnabled(owner), 1);
  }
  Progress_SetDelay(PROGRESS_DEFAULT_DELAY_MS);
  Win_DestroyWindow(owner);
}

}  // namespace
