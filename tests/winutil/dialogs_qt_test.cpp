// Message boxes and the file dialogs, through the seam and for real.

#include <cstring>
#include <string>

#include "tests/support/test_files.h"
#include "tests/winutil/layer_fixture.h"

namespace {

using Dialogs = LayerFixture;

// What the seam functions were asked.
std::string g_seamText;
UINT g_seamType = 0;
int g_seamSave = -1;

int SeamBox(HWND, const char* text, const char*, UINT type) {
  g_seamText = text;
  g_seamType = type;
  return IDNO;
}
int SeamFile(int save, OPENFILENAMEA* ofn) {
  g_seamSave = save;
  std::strcpy(ofn->lpstrFile, "/chosen/by/seam.txt");
  return 1;
}

TEST_F(Dialogs, SeamAnswersInPlaceOfTheDialogsUntilRemoved) {
  WinModalSeam seam{};
  seam.pfnMessageBox = SeamBox;
  seam.pfnFileDialog = SeamFile;
  Win_SetModalSeam(&seam);
  EXPECT_EQ(Win_GetModalSeam()->pfnMessageBox, SeamBox);
  EXPECT_EQ(Win_MessageBox(nullptr, "Save changes?", "Plotsmith V0.1", MB_YESNOCANCEL | MB_DEFBUTTON3), IDNO);
  EXPECT_EQ(g_seamText, "Save changes?");
  EXPECT_EQ(g_seamType, MB_YESNOCANCEL | MB_DEFBUTTON3);
  char file[64] = "x.txt";
  OPENFILENAMEA ofn{};
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  EXPECT_EQ(Win_GetSaveFileName(&ofn), 1);
  EXPECT_EQ(g_seamSave, 1);
  EXPECT_EQ(Win_GetOpenFileName(&ofn), 1);
  EXPECT_EQ(g_seamSave, 0);
  EXPECT_STREQ(file, "/chosen/by/seam.txt");
  Win_SetModalSeam(nullptr);
  EXPECT_EQ(Win_GetModalSeam()->pfnMessageBox, nullptr);
  EXPECT_EQ(Win_GetModalSeam()->pfnFileDialog, nullptr);
}

TEST_F(Dialogs, MessageBoxButtonsDefaultsAndEscape) {
  CreateTop();
  struct Case {
    UINT type;   // MB_* bits
    int answer;  // button id, 0 Escape, -1 Enter
    int want;    // the result expected
  };
  const Case cases[] = {
      {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3, -1, IDCANCEL},  // the third button is the default
      {MB_YESNOCANCEL | MB_ICONQUESTION, -1, IDYES},
      {MB_YESNOCANCEL | MB_DEFBUTTON2, -1, IDNO},
      {MB_YESNOCANCEL, IDNO, IDNO},
      {MB_YESNOCANCEL, 0, IDCANCEL},
      {MB_OKCANCEL, IDOK, IDOK},
      {MB_OKCANCEL, 0, IDCANCEL},
      {MB_YESNO | MB_ICONWARNING, IDYES, IDYES},
      {MB_OK, 0, IDOK},
      {MB_OK | MB_ICONERROR, -1, IDOK},
  };
  for (const Case& c : cases) {
    WinTest_AnswerMessageBox(c.answer);
    EXPECT_EQ(Win_MessageBox(hwnd, "Data may have been modified.\r\nSave changes in file ?", "Plotsmith V0.1", c.type),
              c.want)
        << c.type << " " << c.answer;
  }
}

constexpr char kFilters[] =
    "Text files (*.txt)\0*.txt\0JSON files (*.txt)\0*.json\0Wave files (*.wav)\0*.wav\0All supported\0*.txt;*.ref\0";

TEST_F(Dialogs, SaveDialogPreselectsReportsTheTypeAndAddsTheExtension) {
  CreateTop();
  TempDir dir;
  char file[256];
  std::strcpy(file, dir.File("unnamed.txt").c_str());
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd;
  ofn.lpstrFilter = kFilters;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = "Save";
  ofn.Flags = OFN_OVERWRITEPROMPT;
  ofn.lpstrDefExt = "txt";

  WinTest_AnswerFileDialog(dir.File("curve").c_str(), 2);
  ASSERT_EQ(Win_GetSaveFileName(&ofn), 1);
  EXPECT_EQ(std::string(file), dir.File("curve.txt"));
  EXPECT_EQ(ofn.nFilterIndex, 2u);

  // The preselected type stays when the user keeps it; a name with an extension keeps it.
  WinTest_AnswerFileDialog(dir.File("b.json").c_str(), 0);
  ASSERT_EQ(Win_GetSaveFileName(&ofn), 1);
  EXPECT_EQ(std::string(file), dir.File("b.json"));
  EXPECT_EQ(ofn.nFilterIndex, 2u);

  // Cancelled, or a path that does not fit: 0 and the buffer as it was.
  WinTest_AnswerFileDialog(nullptr, 0);
  EXPECT_EQ(Win_GetSaveFileName(&ofn), 0);
  EXPECT_EQ(std::string(file), dir.File("b.json"));
  ofn.nMaxFile = static_cast<DWORD>(dir.File("b.json").size());  // no room for the terminator
  WinTest_AnswerFileDialog(dir.File("b.json").c_str(), 0);
  EXPECT_EQ(Win_GetSaveFileName(&ofn), 0);
}

TEST_F(Dialogs, OpenDialogTakesAnExistingFileAndKeepsThePreselectedType) {
  CreateTop();
  TempDir dir;
  ASSERT_TRUE(TestFiles_Write(dir.File("LOUD.WAV"), "RIFF"));
  char file[256] = "";
  OPENFILENAMEA ofn{};
  ofn.lpstrFilter = kFilters;
  ofn.nFilterIndex = 3;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  WinTest_AnswerFileDialog(dir.File("LOUD.WAV").c_str(), 0);
  ASSERT_EQ(Win_GetOpenFileName(&ofn), 1);
  EXPECT_EQ(std::string(file), dir.File("LOUD.WAV"));
  EXPECT_EQ(ofn.nFilterIndex, 3u);
}

}  // namespace
