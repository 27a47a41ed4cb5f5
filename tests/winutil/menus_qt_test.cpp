// Menus of the layer: tree queries and item states, choosing items, tracked
// popups and a command that destroys its window.

#include <string>

#include "tests/winutil/layer_fixture.h"

namespace {

// A bar shaped like the program's: popups with items, a separator, a
// submenu, and two command items directly in the bar.
struct Menus : LayerFixture {
  HMENU bar = nullptr;  // the bar Build makes
  HMENU file = nullptr, edit = nullptr, filters = nullptr, funcs = nullptr;  // its popups (filters: a submenu)
  void Build() {
    bar = Win_CreateMenu();
    file = Win_CreatePopupMenu();
    Win_AppendMenu(file, MF_STRING, 2, "&Open");
    Win_AppendMenu(file, MF_STRING, 3, "&Load data for next channel");
    Win_AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    Win_AppendMenu(file, MF_STRING, 5, "E&xit");
    edit = Win_CreatePopupMenu();
    Win_AppendMenu(edit, MF_STRING, 11, "&Undo\tCtrl-Z");
    funcs = Win_CreatePopupMenu();
    filters = Win_CreatePopupMenu();
    Win_AppendMenu(filters, MF_STRING, 50, "f_cutoff = 0.001 * f_max");
    Win_AppendMenu(filters, MF_STRING | MF_CHECKED, 59, "Interactive");
    Win_AppendMenu(funcs, MF_POPUP, reinterpret_cast<std::uintptr_t>(filters), "Low pass filter");
    Win_AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(file), "&File");
    Win_AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(edit), "&Edit");
    Win_AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(funcs), "F&unctions");
    Win_AppendMenu(bar, MF_STRING, 91, "<<");
    Win_AppendMenu(bar, MF_STRING, 92, ">>");
  }
  static std::string Text(HMENU m, UINT item, int byPos = 0) { return MenuItemText(m, item, byPos); }
};

TEST_F(Menus, TreeQueriesAndItemStateBySearchingPopups) {
  Build();
  CreateTop(bar);
  EXPECT_EQ(Win_GetMenu(hwnd), bar);
  EXPECT_EQ(Win_GetMenuItemCount(bar), 5);
  EXPECT_EQ(Win_GetMenuItemCount(file), 4);
  EXPECT_EQ(Win_GetSubMenu(bar, 0), file);
  EXPECT_EQ(Win_GetSubMenu(bar, 3), nullptr);
  EXPECT_EQ(Win_GetMenuItemID(bar, 0), -1);  // a popup
  EXPECT_EQ(Win_GetMenuItemID(bar, 3), 91);
  EXPECT_EQ(Win_GetMenuItemID(file, 2), -1);  // the separator
  EXPECT_EQ(Win_GetMenuItemID(file, 9), -1);
  EXPECT_EQ(Text(edit, 11), "&Undo\tCtrl-Z");
  EXPECT_EQ(Text(bar, 2, 1), "F&unctions");

  // Check marks and grayed state by command id, found in a nested popup.
  EXPECT_EQ(Win_CheckMenuItem(bar, 59, MF_BYCOMMAND | MF_UNCHECKED), static_cast<int>(MF_CHECKED));
  EXPECT_EQ(Win_CheckMenuItem(bar, 50, MF_BYCOMMAND | MF_CHECKED), 0);
  EXPECT_EQ(Win_GetMenuState(bar, 50, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(Win_GetMenuState(filters, 1, MF_BYPOSITION) & MF_CHECKED, 0u);
  EXPECT_EQ(Win_EnableMenuItem(bar, 3, MF_BYCOMMAND | MF_GRAYED), 0);
  EXPECT_EQ(Win_GetMenuState(file, 3, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
  EXPECT_EQ(Win_EnableMenuItem(bar, 3, MF_BYCOMMAND | MF_ENABLED), static_cast<int>(MF_GRAYED));
  EXPECT_EQ(Win_CheckMenuItem(bar, 999, MF_CHECKED), -1);
  EXPECT_EQ(Win_GetMenuState(bar, 999, MF_BYCOMMAND), -1);

  // Texts set by command id (the form the program's menu update uses), and a
  // buffer too small for the text gets its first bytes.
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_TYPE;
  mi.fType = MFT_STRING;
  char text[] = "&Load data for next channel (#3)";
  mi.dwTypeData = text;
  ASSERT_EQ(Win_SetMenuItemInfo(bar, 3, 0, &mi), 1);
  EXPECT_EQ(Text(file, 3), text);
  char small[6];
  mi.dwTypeData = small;
  mi.cch = sizeof small;
  ASSERT_EQ(Win_GetMenuItemInfo(file, 1, 1, &mi), 1);
  EXPECT_EQ(std::string(small), "&Load");
  EXPECT_EQ(Win_SetMenuItemInfo(bar, 777, 0, &mi), 0);

  // Popups can be given to one parent only; an attached bar is freed with its window.
  EXPECT_EQ(Win_AppendMenu(edit, MF_POPUP, reinterpret_cast<std::uintptr_t>(filters), "again"), 0);
  EXPECT_EQ(Win_DestroyMenu(bar), 0);
  Win_DestroyWindow(hwnd);
  EXPECT_EQ(Win_GetMenuItemCount(bar), -1);
}

TEST_F(Menus, ChoosingItemsSendsInitMenuThenTheCommand) {
  Build();
  CreateTop(bar);
  ASSERT_EQ(WinTest_ChooseMenuItem(hwnd, 50), 1);  // in the submenu of a popup
  std::vector<UINT> order = NumbersExcept({WM_PAINT, WM_ERASEBKGND, WM_MENUSELECT});
  ASSERT_GE(order.size(), 2u);
  EXPECT_EQ(order.front(), WM_INITMENU);
  EXPECT_EQ(order.back(), WM_COMMAND);
  EXPECT_EQ(Of(WM_INITMENU)[0].wp, reinterpret_cast<WPARAM>(bar));
  SeenMessage cmd = Of(WM_COMMAND).back();
  EXPECT_EQ(cmd.wp, static_cast<WPARAM>(MAKELONG(50, 0)));
  EXPECT_EQ(cmd.lp, 0);

  // A command item of the bar itself fires with one click, after WM_INITMENU.
  SeenLog().clear();
  ASSERT_EQ(WinTest_ChooseMenuItem(hwnd, 92), 1);
  order = NumbersExcept({WM_PAINT, WM_ERASEBKGND, WM_MENUSELECT});
  EXPECT_EQ(order, (std::vector<UINT>{WM_INITMENU, WM_COMMAND}));
  EXPECT_EQ(LOWORD(Of(WM_COMMAND)[0].wp), 92u);

  // A grayed item cannot be chosen; a checked item keeps its mark when chosen.
  Win_EnableMenuItem(bar, 5, MF_GRAYED);
  SeenLog().clear();
  EXPECT_EQ(WinTest_ChooseMenuItem(hwnd, 5), 0);
  EXPECT_TRUE(Of(WM_COMMAND).empty());
  ASSERT_EQ(WinTest_ChooseMenuItem(hwnd, 59), 1);
  EXPECT_EQ(Win_GetMenuState(bar, 59, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
}

TEST_F(Menus, TrackedPopupPostsTheChosenCommandToItsOwner) {
  CreateTop();
  HMENU popup = Win_CreatePopupMenu();
  Win_AppendMenu(popup, MF_STRING, 201, "Zoom &In");
  Win_AppendMenu(popup, MF_STRING, 204, "&Switch to next selection");
  WinTest_ChooseNextPopupItem(204);
  POINT pt{10, 10};
  Win_ClientToScreen(hwnd, &pt);
  EXPECT_EQ(Win_TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd, nullptr), 1);
  EXPECT_TRUE(Of(WM_COMMAND).empty());  // posted, not sent
  WinTest_RunFor(5);
  ASSERT_EQ(Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wp, static_cast<WPARAM>(MAKELONG(204, 0)));
  EXPECT_EQ(Of(WM_COMMAND)[0].hwnd, hwnd);
  EXPECT_EQ(Win_TrackPopupMenu(popup, 0, 0, 0, 0, nullptr, nullptr), 0);  // no owner
  EXPECT_EQ(Win_DestroyMenu(popup), 1);
  EXPECT_EQ(Win_GetMenuItemCount(popup), -1);
}

// Destroys its window on command 5 (Exit) and 91, as the program's Exit does.
LRESULT ClosingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  SeenLog().push_back({h, m, w, l});
  if (m == WM_COMMAND && (LOWORD(w) == 5 || LOWORD(w) == 91)) {
    Win_DestroyWindow(h);
    return 0;
  }
  return Win_DefWindowProc(h, m, w, l);
}

TEST_F(Menus, CommandThatDestroysTheWindowLeavesNoMenuBehind) {
  RegisterClassOf("ClosingWindow", ClosingProc);
  for (int id : {5, 91}) {  // from a popup and from the bar itself
    Build();
    CreateTop(bar, "ClosingWindow");
    ASSERT_EQ(WinTest_ChooseMenuItem(hwnd, id), 1);
    EXPECT_FALSE(Win_IsWindow(hwnd));
    EXPECT_EQ(Of(WM_DESTROY).size(), 1u);
    WinTest_RunFor(10);  // deferred deletions of the widgets run here
    EXPECT_EQ(Win_GetMenuItemCount(bar), -1);
    SeenLog().clear();
  }
}

}  // namespace
