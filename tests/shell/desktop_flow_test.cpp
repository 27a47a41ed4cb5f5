// The editor's desktop habits as a user meets them: shortcuts typed as real
// key events, the Save dialog and a failed save, the recent files across two
// starts.  Modal services are answered and recorded by the edit fixture.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QXmlStreamReader>
#include <cmath>

#include "shell/help_text.h"
#include "tests/shell/edit_fixture.h"
#include "winutil/input_dialog.h"

namespace {

struct DesktopFlow : EditFlowTest {
  // The "Modified" indicator remembers what it last showed across windows:
  // leave it showing nothing for the next test.
  void TearDown() override {
    app.iModified = 0;
    RunUntil([this] { return StatusText(STATUS_PART_INFO).empty(); });
    EditFlowTest::TearDown();
  }
};

// What the help window shows, "" when it is not open.
std::string HelpText() {
  static char text[65536];
  Win_GetHelpWindowText(text, sizeof text);
  return text;
}

// Presses a key on the main window as a user would, then runs the message loop
// (accelerators included) until the key is handled.
void Type(AppState& app, int vk, int mods) {
  WinTest_PressKey(app.hwndMain, vk, mods);
  Win_PostQuitMessage(0);  // handed out after the key
  PlotWin_RunMessageLoop(&app);
}

TEST_F(DesktopFlow, EveryShortcutReachesItsCommand) {
  // The sine covers x 0 .. 100; each key starts from the view 40 .. 60.
  struct Case {
    int iKey, iMods;       // the key and its FCONTROL / FSHIFT modifiers
    const char* szAsked;   // the question the command asks ("" for none)
    double dLeft, dRight;  // the x view afterwards (NaN: unchanged)
  };
  const double same = NAN;
  const Case cases[] = {
      {'N', FCONTROL, "number Number of channels ?", same, same},
      {'O', FCONTROL, "open Load Curve from Text File", same, same},
      {'L', FCONTROL, "open Load Data for Channel #2", same, same},
      {'S', FCONTROL, "save Save Curve as Text File", same, same},
      {VK_F1, 0, "", same, same},  // the help window, below
      {VK_OEM_PLUS, 0, "", 42, 58},
      {VK_OEM_PLUS, FSHIFT, "", 42, 58},
      {VK_ADD, 0, "", 42, 58},
      {VK_OEM_MINUS, 0, "", 37.5, 62.5},
      {VK_SUBTRACT, 0, "", 37.5, 62.5},
      {VK_LEFT, 0, "", 38, 58},
      {VK_RIGHT, 0, "", 42, 62},
      {VK_HOME, 0, "", 0, 20},
      {VK_END, 0, "", 80, 100},
      {'0', FCONTROL, "", 0, 100},
      {'N', 0, "", same, same},  // plain letters are no shortcuts
      {'Q', FCONTROL, "box Data may have been modified.\r\nSave changes in file ?", same, same},
  };
  for (const Case& k : cases) {
    s_asked.clear();
    app.iModified = k.iKey == 'Q';  // Exit asks first; Cancel keeps the editor
    app.Channels.dXViewMin = 40;
    app.Channels.dXViewMax = 60;
    Type(app, k.iKey, k.iMods);
    std::string asked;
    if (!s_asked.empty()) asked = s_asked[0].szKind + " " + s_asked[0].szText;
    EXPECT_EQ(asked, k.szAsked) << k.iKey;
    std::string help = HelpText();
    EXPECT_EQ(help.find("Ctrl+N, Ctrl+O") != std::string::npos, k.iKey == VK_F1) << k.iKey;
    WinTest_CloseHelpWindow();
    double left = std::isnan(k.dLeft) ? 40 : k.dLeft, right = std::isnan(k.dRight) ? 60 : k.dRight;
    EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, left) << k.iKey << " " << k.iMods;
    EXPECT_DOUBLE_EQ(app.Channels.dXViewMax, right) << k.iKey << " " << k.iMods;
  }
  EXPECT_TRUE(Win_IsWindow(app.hwndMain));
  // The menus name the shortcuts after a tab.
  Win_SendMessage(app.hwndMain, WM_INITMENU, 0, 0);
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_NEW), "&New\tCtrl-N");
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_LOAD_NEXT), "&Load data for next channel (#2)\tCtrl-L");
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_ZOOM_OUT_ALL), ".. &out completely\tCtrl-0");
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_HELP), "Commands && functions\tF1");
}

// While the number dialog has the keyboard, shortcuts typed into it do nothing.
HWND s_hwndMainForTimer;
HWND s_hwndTypedInto;  // where the keys went: the number dialog's field
void TypeIntoDialog(HWND, UINT, std::uintptr_t id, DWORD) {
  Win_KillTimer(s_hwndMainForTimer, id);
  HWND focus = Win_GetFocus();
  s_hwndTypedInto = focus;
  for (int key : {static_cast<int>('O'), static_cast<int>('S'), VK_F1, VK_HOME, VK_OEM_PLUS, VK_ADD})
    WinTest_PressKey(focus, key, key == 'O' || key == 'S' ? FCONTROL : 0);
  WinTest_PressKey(focus, VK_ESCAPE, 0);  // closes the dialog
  Win_PostQuitMessage(0);                  // then ends the test's loop
}

TEST_F(DesktopFlow, NoShortcutFiresWhileTheNumberDialogIsOpen) {
  static const WinModalSeam realNumbers{Box, FileDialog, nullptr, nullptr};
  Win_SetModalSeam(&realNumbers);
  InputDlg_hInstance = Win_Init(nullptr, nullptr);  // the fixture starts without an instance
  app.Channels.dXViewMin = 40;
  app.Channels.dXViewMax = 60;
  s_hwndMainForTimer = app.hwndMain;
  Win_SetTimer(app.hwndMain, 77, 10, TypeIntoDialog);
  s_hwndTypedInto = nullptr;
  WinTest_PressKey(app.hwndMain, 'N', FCONTROL);  // File, New: the real number dialog opens
  PlotWin_RunMessageLoop(&app);
  ASSERT_NE(s_hwndTypedInto, nullptr);
  EXPECT_NE(s_hwndTypedInto, app.hwndMain);
  EXPECT_FALSE(Win_IsChild(app.hwndMain, s_hwndTypedInto));
  EXPECT_EQ(AskedKinds(), "");
  EXPECT_EQ(HelpText(), "");
  EXPECT_EQ(app.Channels.dXViewMin, 40);
  EXPECT_EQ(app.Channels.dXViewMax, 60);
  EXPECT_TRUE(Win_IsWindowEnabled(app.hwndMain));
  InputDlg_hInstance = nullptr;
}

}  // namespace

namespace {

// The real Save dialog: a name typed first keeps its stem when another type is
// picked, and the extension becomes the type's plain one.
TEST_F(DesktopFlow, SaveDialogTypeChangeKeepsTheName) {
  Win_SetModalSeam(nullptr);
  AppState_CopyText(app.szDataFile, files.File("start.txt").c_str());
  WinTest_AnswerSaveDialogTypingFirst("bigtest.txt", 5);  // "Wave audio files (*.wav)"
  Command(IDM_SAVE);
  const std::string saved = files.File("bigtest.wav");
  EXPECT_EQ(std::string(app.szDataFile), saved);
  bool ok = false;
  EXPECT_EQ(TestFiles_Read(saved, &ok).substr(0, 4), "RIFF");
  EXPECT_TRUE(ok);
  EXPECT_EQ(Title(), "Plot Smith  -   " + saved);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Saved file \"" + saved + "\"");
}

// A save that fails names the file but leaves the name, title and Modified flag.
TEST_F(DesktopFlow, FailedSaveChangesNothingButTheStatus) {
  const std::string good = files.File("good.txt");
  s_fileAnswers.push_back({1, good, 1});
  Command(IDM_SAVE);
  ASSERT_EQ(std::string(app.szDataFile), good);
  app.iModified = 1;
  const std::string bad = files.File("no-such-folder/bad.txt");
  s_fileAnswers.push_back({1, bad, 1});
  Command(IDM_SAVE);
  EXPECT_EQ(std::string(app.szDataFile), good);
  EXPECT_EQ(Title(), "Plot Smith  -   " + good);
  EXPECT_EQ(app.iModified, 1);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE).rfind("ERROR: failed to save \"" + bad + "\" (", 0), 0u);
  // The prompt's save fails too: the command that asked stops.
  s_boxAnswers.push_back(IDYES);
  s_fileAnswers.push_back({1, bad, 1});
  Command(IDM_EXIT);
  EXPECT_TRUE(Win_IsWindow(app.hwndMain));
  EXPECT_EQ(std::string(app.szDataFile), good);
}

}  // namespace

namespace {

// The File menu as "id text" lines, separators as "-".
std::vector<std::string> FileMenu(const AppState& app) {
  std::vector<std::string> items;
  HMENU file = Win_GetSubMenu(app.hMainMenu, 0);
  for (int pos = 0; pos < Win_GetMenuItemCount(file); ++pos) {
    int id = Win_GetMenuItemID(file, pos);
    std::string text = MenuItemText(file, static_cast<UINT>(pos), 1);
    items.push_back(text.empty() ? "-" : std::to_string(id) + " " + text);
  }
  return items;
}

TEST_F(DesktopFlow, RecentFilesAcrossTwoStarts) {
  using V = std::vector<std::string>;
  const std::string a = files.File("a.txt"), b = files.File("b&b.txt"), c = files.File("c.txt");
  ASSERT_TRUE(TestFiles_Write(a, TextBytes({1, 2, 3})));
  ASSERT_TRUE(TestFiles_Write(b, TextBytes({4, 5})));
  Open(a);
  Open(b);
  s_fileAnswers.push_back({1, c, 1});
  Command(IDM_SAVE);
  const V head{"1 &New\tCtrl-N", "2 &Open\tCtrl-O", "3 &Load data for next channel\tCtrl-L", "4 &Save\tCtrl-S",
               "6 Export &Picture..."};
  V listed = head;
  for (const char* item : {"-", "130 &1 c.txt", "131 &2 b&&b.txt", "132 &3 a.txt", "-", "5 E&xit\tCtrl-Q"})
    listed.push_back(item);
  EXPECT_EQ(FileMenu(app), listed);

  // The second start reads the list back from the settings file.
  Win_DestroyWindow(app.hwndMain);
  WinTest_RunFor(1);
  MSG msg{};
  while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
  }
  app = AppState{};
  PlotWin_Start(&app, nullptr, "");
  EXPECT_EQ(FileMenu(app), listed);

  // Highlighted, an entry shows its full path; leaving it brings the text back.
  WinUtil_SetStatusText(app.hwndStatus, STATUS_PART_MESSAGE, 0, "before");
  ASSERT_TRUE(WinTest_HighlightMenuItem(app.hwndMain, IDM_RECENT_FIRST + 1));
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), b);
  WinTest_HighlightMenuItem(app.hwndMain, IDM_SAVE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "before");

  // A file that is gone is taken off the list, and so from the settings file.
  ASSERT_EQ(std::remove(b.c_str()), 0);
  ASSERT_TRUE(WinTest_ChooseMenuItem(app.hwndMain, IDM_RECENT_FIRST + 1));
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "\"" + b + "\" no longer exists; it was taken off the recent files");
  char stored[300];
  Profile_GetString(RECENT_SECTION, "File2", "?", stored, sizeof stored, SETTINGS_FILE);
  EXPECT_EQ(std::string(stored), a);
  Profile_GetString(RECENT_SECTION, "File3", "?", stored, sizeof stored, SETTINGS_FILE);
  EXPECT_EQ(std::string(stored), "");

  // Choosing one opens it (after the prompt) and moves it to the top.
  app.iModified = 1;
  s_boxAnswers.push_back(IDNO);
  ASSERT_TRUE(WinTest_ChooseMenuItem(app.hwndMain, IDM_RECENT_FIRST + 1));
  EXPECT_EQ(s_asked.back().szText, "Data may have been modified.\r\nSave changes in file ?");
  EXPECT_EQ(Title(), "Plot Smith  -   " + a);
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 3);
  listed = head;
  listed[2] = "3 &Load data for next channel (#2)\tCtrl-L";  // the menu was opened
  for (const char* item : {"-", "130 &1 a.txt", "131 &2 c.txt", "-", "5 E&xit\tCtrl-Q"}) listed.push_back(item);
  EXPECT_EQ(FileMenu(app), listed);
}

}  // namespace

namespace {

// The help page is the README's key table and file formats in HTML.
TEST(HelpPage, MarkdownSectionsBecomeHtml) {
  const char* md =
      "# Title\n\n## Keys\n\n| where | what |\n|---|---|\n| `F1` & co | <b> **Help** |\n\nSome\ntext.\n\n"
      "## Other\n\nskipped\n\n## Formats\n\n- **Text**: one\n  more\n- two\n";
  const char* const titles[] = {"Keys", "Formats", "Missing"};
  EXPECT_EQ(Help_MarkdownSectionsToHtml(md, titles, 3),
            "<h2>Keys</h2>\n<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">\n"
            "<tr><th>where</th><th>what</th></tr>\n"
            "<tr><td><code>F1</code> &amp; co</td><td>&lt;b&gt; <b>Help</b></td></tr>\n</table>\n"
            "<p>Some text.</p>\n"
            "<h2>Formats</h2>\n<ul><li><b>Text</b>: one more</li><li>two</li></ul>\n");
  const std::string& page = Help_Html();
  EXPECT_EQ(page.rfind("<h2>Mouse, keys and menu commands</h2>\n<table", 0), 0u);
  EXPECT_NE(page.find("<tr><td>keys</td><td>Ctrl+N, Ctrl+O, Ctrl+L, Ctrl+S, Ctrl+Q, F1</td>"), std::string::npos);
  EXPECT_NE(page.find("<h2>File formats</h2>\n<ul><li><b>Text curves"), std::string::npos);
}

}  // namespace

namespace {

// The polylines of more than two points (curves, not axis lines or ticks) of
// an SVG document, as their stroke colours; "not XML" when it does not parse.
std::vector<std::string> CurveStrokes(const std::string& svg) {
  std::vector<std::string> strokes;
  std::vector<std::string> groups{""};  // the stroke each open <g> gives its content
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  while (!xml.atEnd()) {
    QXmlStreamReader::TokenType t = xml.readNext();
    bool g = xml.name() == QLatin1String("g");
    if (t == QXmlStreamReader::EndElement && g) groups.pop_back();
    if (t != QXmlStreamReader::StartElement) continue;
    std::string stroke = xml.attributes().value("stroke").toString().toStdString();
    if (stroke.empty()) stroke = groups.back();
    if (g) groups.push_back(stroke);
    if (xml.name() == QLatin1String("polyline") &&
        xml.attributes().value("points").toString().trimmed().split(' ').size() > 2)
      strokes.push_back(stroke);
  }
  if (xml.hasError()) return {"not XML"};
  return strokes;
}

TEST_F(DesktopFlow, ExportAndCopyThePicture) {
  using V = std::vector<std::string>;
  const std::string csv = files.File("two.csv");
  std::string text = "a,b\r\n";
  for (int i = 0; i < 300; ++i) text += std::to_string(std::sin(i / 9.0)) + "," + std::to_string(i % 17) + "\r\n";
  ASSERT_TRUE(TestFiles_Write(csv, text));
  Open(csv);
  ASSERT_EQ(app.Channels.iChannelsInUse, 2);

  // PNG at a typed size; the proposed name is the data file's with .png.
  const std::string png = files.File("two.png");
  s_numberAnswers = {{1, 640}, {1, 360}};
  s_fileAnswers.push_back({1, png, 1});
  Command(IDM_EXPORT_PICTURE);
  EXPECT_EQ(AskedKinds(), "open number number save");
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Exported picture \"" + png + "\" (640 x 360)");
  QImage image(QString::fromStdString(png), "PNG");
  EXPECT_EQ(image.size(), QSize(640, 360));

  // SVG: vector curves, one per visible channel in its colour, and text.
  const std::string svg = files.File("two.svg");
  for (int visible : {2, 1}) {
    s_numberAnswers = {{1, 800}, {1, 500}};
    s_fileAnswers.push_back({1, svg, 2});
    Command(IDM_EXPORT_PICTURE);
    const std::string doc = TestFiles_Read(svg);
    // The active channel 1 (black) is drawn last, on top.
    EXPECT_EQ(CurveStrokes(doc), (visible == 2 ? V{"#ff7f7f", "#000000"} : V{"#000000"}));
    EXPECT_NE(doc.find(">a</text>"), std::string::npos);  // the legend's name, as text
    EXPECT_EQ(doc.find("<image"), std::string::npos);
    Command(IDM_CHANNEL_FIRST + 1);  // hide channel 2 for the second round
  }

  // A failed export names the file and leaves the one there.
  s_numberAnswers = {{1, 100}, {1, 100}};
  s_fileAnswers.push_back({1, files.File("missing/x.svg"), 2});
  Command(IDM_EXPORT_PICTURE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE).rfind("ERROR: failed to export \"" + files.File("missing/x.svg"), 0), 0u);

  // Copy Picture: the drawing area's image on the clipboard.
  RECT rc{};
  Win_GetClientRect(app.hwndMain, &rc);
  Command(IDM_COPY_PICTURE);
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_EQ(copied.width(), rc.right);
  EXPECT_EQ(copied.height(), rc.bottom - WinUtil_GetWindowHeight(app.hwndStatus));
}

}  // namespace

namespace {

// At a device pixel ratio of 2 the window's image has twice the logical size
// in each direction, while the layout and what a logical pixel shows stay.
TEST_F(DesktopFlow, TwiceTheDevicePixelRatioPaintsTwiceTheImage) {
  struct Shot {
    int iWidth, iHeight;  // the screen image in device pixels
    RECT rcPlot;          // the layout of the paint
    std::vector<COLORREF> Pixels;  // logical pixels along the axes and a curve column
  };
  auto paint = [this](int ratio) {
    WinTest_SetDevicePixelRatio(ratio);
    Win_InvalidateRect(app.hwndMain, nullptr, 1);
    Win_UpdateWindow(app.hwndMain);
    Shot shot{};
    WinTest_ScreenImageSize(app.hwndMain, &shot.iWidth, &shot.iHeight);
    shot.rcPlot = app.Graph.rcPlot;
    HDC dc = Win_GetDC(app.hwndMain);
    const RECT& p = shot.rcPlot;
    for (int y = p.top; y < p.bottom; y += 3) shot.Pixels.push_back(Win_GetPixel(dc, p.left - 1, y));
    for (int x = p.left; x < p.right; x += 3) shot.Pixels.push_back(Win_GetPixel(dc, x, p.bottom + 1));
    Win_ReleaseDC(app.hwndMain, dc);
    return shot;
  };
  const Shot one = paint(1), two = paint(2);
  WinTest_SetDevicePixelRatio(0);
  RECT rc{};
  Win_GetClientRect(app.hwndMain, &rc);
  EXPECT_EQ(one.iWidth, rc.right);
  EXPECT_EQ(two.iWidth, 2 * one.iWidth);
  EXPECT_EQ(two.iHeight, 2 * one.iHeight);
  EXPECT_EQ(two.rcPlot.left, one.rcPlot.left);
  EXPECT_EQ(two.rcPlot.top, one.rcPlot.top);
  EXPECT_EQ(two.rcPlot.right, one.rcPlot.right);
  EXPECT_EQ(two.rcPlot.bottom, one.rcPlot.bottom);
  ASSERT_FALSE(one.Pixels.empty());
  EXPECT_EQ(two.Pixels, one.Pixels);
  EXPECT_EQ(one.Pixels.front(), 0u);  // the value axis, black
}

}  // namespace
