// Window utilities: file type preselection, the file dialogs as the seam sees
// them, menu item texts, status bar parts, child width and the popup position.
#include <cstring>
#include <string>

#include "tests/shell/mainwin_fixture.h"

namespace {

// Filter lists as the file commands give them: pairs of description and pattern.
const char kOpenFilter[] =
    "All supported file formats\0*.txt;*.ref;*.fcf\0Text files (*.txt)\0*.txt\0"
    "Wave files (*.wav)\0*.WAV\0Spectrum reference (*.ref)\0*.ref\0";
const char kSaveFilter[] =
    "Text files, 16 bit integer (*.txt)\0*.txt\0Text files, 8 bit unsigned (*.txt)\0*.txt\0"
    "Text files, floating point (*.txt)\0*.txt\0JSON files, floating point (*.txt)\0*.json\0";

TEST(FilterIndex, PreselectionByExtension) {
  struct Case {
    const char* filter;  // the dialog's filter list
    const char* name;    // the proposed name
    int index;           // the 1-based entry expected, 0 none
  } cases[] = {
      {kOpenFilter, "C:\\data\\A.TXT", 2},  // the multi-pattern first pair never matches
      {kOpenFilter, "song.wav", 3},
      {kOpenFilter, "x.Ref", 4},
      {kOpenFilter, "noextension", 0},
      {kOpenFilter, "data.dat", 0},
      {kOpenFilter, "two.dots.txt", 2},
      {kSaveFilter, "unnamed.txt", 1},
      {kSaveFilter, "out.json", 4},
      {"No dot\0*\0Text\0*.txt\0", "a.txt", 0},   // a pattern without '.' stops the walk
      {"Empty\0\0Text\0*.txt\0", "a.txt", 0},     // so does an empty pattern
      {"", "a.txt", 0},
      {nullptr, "a.txt", 0},
      {kOpenFilter, nullptr, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(WinUtil_FilterIndexOf(c.filter, c.name), c.index) << c.name;

  // Ten pairs are looked at, the eleventh never.
  std::string list;
  for (int i = 1; i <= 11; ++i) {
    list += "T" + std::to_string(i) + std::string(1, '\0') + "*.e" + std::to_string(i) + std::string(1, '\0');
  }
  list += std::string(1, '\0');
  EXPECT_EQ(WinUtil_FilterIndexOf(list.c_str(), "a.e10"), 10);
  EXPECT_EQ(WinUtil_FilterIndexOf(list.c_str(), "a.e11"), 0);
}

// What the seam saw of the last file dialog, and how it answers.
OPENFILENAMEA g_seen;
int g_seenSave;
DWORD g_answerIndex;
int g_answer;
const char* g_answerPath;

int FileDialogSeam(int save, OPENFILENAMEA* ofn) {
  g_seen = *ofn;
  g_seenSave = save;
  if (!g_answer) return 0;
  std::strcpy(ofn->lpstrFile, g_answerPath);
  ofn->nFilterIndex = g_answerIndex;
  return 1;
}

struct FileDialogs : ::testing::Test {
  void SetUp() override {
    Win_Init(nullptr, nullptr);
    WinModalSeam seam{};
    seam.pfnFileDialog = FileDialogSeam;
    Win_SetModalSeam(&seam);
    g_seen = OPENFILENAMEA{};
  }
  void TearDown() override { Win_SetModalSeam(nullptr); }
};

TEST_F(FileDialogs, OpenAndSaveRequestsAndTheReportedTypeIndex) {
  char name[256] = "curve.wav";
  g_answer = 1;
  g_answerPath = "/tmp/chosen.wav";
  g_answerIndex = 3;
  EXPECT_EQ(WinUtil_ChooseFileToOpen(nullptr, nullptr, "Open", name, 255, kOpenFilter, "txt"), 1);
  EXPECT_EQ(g_seenSave, 0);
  EXPECT_EQ(g_seen.nFilterIndex, 1u);  // opening starts on "All supported file formats"
  EXPECT_EQ(g_seen.nMaxFile, 255u);
  EXPECT_STREQ(g_seen.lpstrTitle, "Open");
  EXPECT_STREQ(g_seen.lpstrDefExt, "txt");
  EXPECT_EQ(g_seen.lpstrFilter, kOpenFilter);
  EXPECT_EQ(g_seen.Flags, OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR);
  EXPECT_STREQ(name, "/tmp/chosen.wav");

  // Saving: the third type is reported as index 2; a new file name must be
  // allowed, so the file need not exist.
  std::strcpy(name, "out.json");
  int type = -7;
  g_answerIndex = 3;
  EXPECT_EQ(WinUtil_ChooseFileToSave(nullptr, nullptr, "Save", name, 255, kSaveFilter, "txt", &type), 1);
  EXPECT_EQ(g_seenSave, 1);
  EXPECT_EQ(g_seen.nFilterIndex, 4u);
  EXPECT_EQ(g_seen.Flags, OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT);
  EXPECT_EQ(type, 2);
  g_answerIndex = 0;
  EXPECT_EQ(WinUtil_ChooseFileToSave(nullptr, nullptr, "Save", name, 255, kSaveFilter, "txt", &type), 1);
  EXPECT_EQ(type, 0);

  // Cancelled: the out value and the name stay.
  g_answer = 0;
  type = -7;
  std::strcpy(name, "keep.txt");
  EXPECT_EQ(WinUtil_ChooseFileToSave(nullptr, nullptr, "Save", name, 255, kSaveFilter, "txt", &type), 0);
  EXPECT_EQ(type, -7);
  EXPECT_STREQ(name, "keep.txt");
}

TEST(WindowUtils, NullWindowsAndMenusAreTolerated) {
  Win_Init(nullptr, nullptr);
  EXPECT_EQ(WinUtil_SetWindowWidth(nullptr, 100), 0);
  EXPECT_EQ(WinUtil_SetMenuItemText(nullptr, 3, 0, "x"), 0);
  WinUtil_SetStatusText(nullptr, 0, 0, "ignored");
  int x = -1, y = -1;
  POINT pt{};
  int have = Win_GetCursorPos(&pt);
  EXPECT_EQ(WinUtil_GetPopupPosition(&x, &y), have);
  EXPECT_EQ(x, have ? pt.x : 0);
  EXPECT_EQ(y, have ? pt.y : 0);
}

using MainWindowUtils = MainWindowTest;

TEST_F(MainWindowUtils, StatusBarPartsMenuTextsCaptionAndWidth) {
  int edges[8] = {0};
  ASSERT_EQ(Win_SendMessage(app.hwndStatus, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 4);
  EXPECT_EQ(edges[0], 60);
  EXPECT_EQ(edges[1], 310);
  EXPECT_EQ(edges[2], 390);
  EXPECT_EQ(edges[3], 1190);
  EXPECT_EQ(Win_GetDlgCtrlID(app.hwndStatus), IDC_STATUS);
  WinUtil_SetStatusText(app.hwndStatus, STATUS_PART_MESSAGE, 0, "hello 100%");
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "hello 100%");

  // A text longer than 255 chars is cut to 255; by position works as well.
  std::string longText(300, 'q');
  EXPECT_NE(WinUtil_SetMenuItemText(app.hMainMenu, IDM_SAVE, 0, "%s", longText.c_str()), 0);
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_SAVE), longText.substr(0, 255));
  EXPECT_NE(WinUtil_SetMenuItemText(app.hChannelMenu, 8, MF_BYPOSITION, "Del %d", 7), 0);
  EXPECT_EQ(MenuItemText(app.hChannelMenu, IDM_DELETE_HIDDEN), "Del 7");
  EXPECT_EQ(WinUtil_SetMenuItemText(app.hMainMenu, 999, 0, "none"), 0);

  WinUtil_SetWindowText(app.hwndMain, "New caption");
  EXPECT_EQ(Title(), "New caption");

  // The same width: 1 and nothing moves; another width keeps corner and height.
  RECT before = ChildRect(app.hwndOk);
  EXPECT_EQ(WinUtil_SetWindowWidth(app.hwndOk, before.right - before.left), 1);
  RECT same = ChildRect(app.hwndOk);
  EXPECT_EQ(same.left, before.left);
  EXPECT_EQ(same.top, before.top);
  EXPECT_NE(WinUtil_SetWindowWidth(app.hwndOk, 77), 0);
  RECT wider = ChildRect(app.hwndOk);
  EXPECT_EQ(wider.left, before.left);
  EXPECT_EQ(wider.top, before.top);
  EXPECT_EQ(wider.right - wider.left, 77);
  EXPECT_EQ(wider.bottom - wider.top, before.bottom - before.top);
  EXPECT_EQ(WinUtil_SetWindowWidth(app.hwndMain, 300), 0);  // no parent
}

}  // namespace
