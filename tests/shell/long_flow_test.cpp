// Long channels through the real window: a recording of 2^24 samples loaded,
// zoomed, edited, undone, filtered with a preset whose progress window is
// cancelled and then let run, saved and loaded again; and the low-pass panel
// on a channel too long for live updates, which filters when a scroller
// stops, under the progress window.
#include <cmath>
#include <cstring>

#include "curve/lowpass.h"
#include "tests/shell/edit_fixture.h"
#include "winutil/progress.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kLongSamples = 1 << 22;  // the sanitizers' runtime makes every pass several times slower
#else
constexpr int kLongSamples = 1 << 24;
#endif
constexpr double kPi = 3.141592653589793;

// The 16-bit sample i of the test recording: a slow wave (65,536 samples a
// period) with a fast one on top (0.37 periods a sample), which a low pass at
// 0.01 of the highest frequency removes.  Both come from tables of one period.
short Pcm(int i) {
  static std::vector<double> slow, fast;
  if (slow.empty()) {
    for (int k = 0; k < 65536; ++k) slow.push_back(12000.0 * std::sin(2.0 * kPi * k / 65536.0));
    for (int k = 0; k < 100; ++k) fast.push_back(6000.0 * std::sin(2.0 * kPi * k * 0.37));
  }
  return static_cast<short>(std::lrint(slow[static_cast<size_t>(i & 65535)] + fast[static_cast<size_t>(i % 100)]));
}

// A mono 16-bit wave file of the first n samples of Pcm at 48 kHz.
std::string LongWave(int n) {
  const uint32_t bytes = 2u * static_cast<uint32_t>(n);
  std::string fmt = WaveBytes_Chunk("fmt ", WaveBytes_Fmt(1, 1, 48000, 16));
  std::string s = "RIFF";
  WaveBytes_Put32(&s, 4u + static_cast<uint32_t>(fmt.size()) + 8u + bytes);
  s += "WAVE" + fmt + "data";
  WaveBytes_Put32(&s, bytes);
  s.reserve(s.size() + bytes);
  for (int i = 0; i < n; ++i) WaveBytes_Put16(&s, static_cast<unsigned short>(Pcm(i)));
  return s;
}

// What the user saw of the progress window while a timer watched it.
struct SeenProgress {
  std::string szTitle;  // its title
  int iMaxPermille;     // the furthest its bar went
  int iCancelAt;        // Cancel is clicked once the bar reaches this (thousandths); above 1000 never
  int iCancelled;       // 1 once clicked
};
SeenProgress g_Seen;
constexpr std::uintptr_t kWatchTimer = 77;

void WatchProgress(HWND, UINT, std::uintptr_t, DWORD) {
  char title[128] = "";
  int permille = 0;
  if (!WinTest_ProgressWindow(title, sizeof title, &permille)) return;
  g_Seen.szTitle = title;
  if (permille > g_Seen.iMaxPermille) g_Seen.iMaxPermille = permille;
  if (!g_Seen.iCancelled && permille >= g_Seen.iCancelAt) {
    g_Seen.iCancelled = 1;
    WinTest_CancelProgress(0);
  }
}

struct LongFlow : EditFlowTest {
  static inline int s_stopAt = 0;                   // the progress report the seam stops at (1-based; 0 never)
  static inline std::vector<std::string> s_titles;  // the progress window's title at each report

  static int Progress(HWND, const char* title, long long, long long) {
    s_titles.push_back(title);
    return static_cast<int>(s_titles.size()) != s_stopAt;
  }
  void SetUp() override {
    EditFlowTest::SetUp();
    Progress_SetDelay(0);  // the window shows at the first report, whatever the machine's speed
    s_stopAt = 0;
    s_titles.clear();
    g_Seen = SeenProgress{"", 0, 2000, 0};
    ASSERT_TRUE(RunUntil([this] { return app.Graph.rcPlot.right - app.Graph.rcPlot.left > 200; }));
  }
  void TearDown() override {
    Progress_SetDelay(PROGRESS_DEFAULT_DELAY_MS);
    EditFlowTest::TearDown();
  }
  // 1 when channel 0 holds exactly these samples, bit for bit.
  bool Holds(const std::vector<double>& v) {
    return Ch(0).iNrOfSamples == static_cast<int>(v.size()) &&
           std::memcmp(Ch(0).pdSamples, v.data(), v.size() * sizeof(double)) == 0;
  }
  // A rubber band over the whole height of the plot from x1 to x2 (pixels),
  // zoomed into through the selection popup.
  void ZoomToBand(int x1, int x2) {
    const RECT& r = app.Graph.rcPlot;
    WinTest_ChooseNextPopupItem(IDM_POPUP_ZOOM_IN);
    WinTest_Mouse(app.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, x1, r.top + 1);
    WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, MK_LBUTTON, x2, r.bottom - 2);
    WinTest_Mouse(app.hwndMain, WM_LBUTTONUP, 0, x2, r.bottom - 2);
    WinTest_RunFor(20);
  }
  // A scroller message as the toolkit sends it while the user works scroller i.
  void Scroll(int i, int code, int pos) {
    Win_SendMessage(app.hwndMain, WM_VSCROLL, static_cast<WPARAM>(MAKELONG(code, pos)),
                    reinterpret_cast<LPARAM>(app.hwndScroller[i]));
  }
};

TEST_F(LongFlow, ARecordingOf2To24SamplesLoadsEditsFiltersSavesAndLoadsAgain) {
  const int n = kLongSamples;
  // The crash journal, which has tests of its own, would write the whole
  // recording at the first edit and again at the filter.
  Journal_Setup(&app, nullptr);
  const std::string wav = files.File("long.wav"), saved = files.File("saved.wav");
  ASSERT_TRUE(TestFiles_Write(wav, LongWave(n)));
  Open(wav);
  ASSERT_EQ(Ch(0).iNrOfSamples, n);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + wav + "\", " + std::to_string(n) + " points");
  for (int i = 0; i < n; i += 997) ASSERT_NEAR(Ch(0).pdSamples[i], Pcm(i) / 32767.0, 1e-15) << i;
  std::vector<double> loaded = Samples(0);

  // Zoomed twice through a band of a few pixels: about a thousand samples in view.
  const RECT& plot = app.Graph.rcPlot;
  const int mid = (plot.left + plot.right) / 2;
  ZoomToBand(mid, mid + 8);
  ZoomToBand(mid, mid + 80);
  const double width = (app.Channels.dXViewMax - app.Channels.dXViewMin) / Ch(0).dXStep;  // in samples
  EXPECT_GT(width, 100.0);
  EXPECT_LT(width, n / 100.0);

  // A drag in Edit Points mode sets the samples passed over; Undo takes it back.
  ASSERT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_MODE_POINTS), 1);
  const int y = (plot.top + plot.bottom) / 2;
  int c = 0, from = -1, to = -1;
  double v = 0.0;
  ASSERT_TRUE(Graph_PointAt(&app, mid + 100, y, &c, &from, &v));
  ASSERT_TRUE(Graph_PointAt(&app, mid + 200, y, &c, &to, &v));
  ASSERT_LT(from, to);
  WinTest_Mouse(app.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, mid + 100, y);
  WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, MK_LBUTTON, mid + 200, y);
  WinTest_Mouse(app.hwndMain, WM_LBUTTONUP, 0, mid + 200, y);
  for (int i = from; i <= to; ++i) ASSERT_EQ(Ch(0).pdSamples[i], v) << i;
  EXPECT_EQ(Ch(0).pdSamples[from - 1], loaded[static_cast<size_t>(from - 1)]);
  EXPECT_EQ(Ch(0).pdSamples[to + 1], loaded[static_cast<size_t>(to + 1)]);
  Command(IDM_UNDO);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: point edit");
  EXPECT_TRUE(Holds(loaded));
  ASSERT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_ZOOM_OUT_ALL), 1);

  // The preset shows its progress window; Cancel, clicked in the forward
  // transform, leaves the channel as it was, bit for bit.
  Win_SetTimer(app.hwndMain, kWatchTimer, 10, WatchProgress);
  g_Seen.iCancelAt = 60;  // the samples are in the work block, its transform has begun
  ASSERT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_LOWPASS_FIRST + 2), 1);
  EXPECT_EQ(g_Seen.szTitle, "Filtering: low pass 0.01");
  EXPECT_EQ(g_Seen.iCancelled, 1);
  EXPECT_EQ(WinTest_ProgressWindow(nullptr, 0, nullptr), 0);
  EXPECT_EQ(Win_IsWindowEnabled(app.hwndMain), 1);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Filter cancelled: the channel is unchanged");
  EXPECT_TRUE(Holds(loaded));
  EXPECT_EQ(History_CanRedo(&app), 1);  // the undone edit can still be redone
  std::vector<double>().swap(loaded);    // its memory is not needed any more

  // Run to its end, it removes the fast wave and keeps the slow one.
  g_Seen = SeenProgress{"", 0, 2000, 0};
  ASSERT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_LOWPASS_FIRST + 2), 1);
  Win_KillTimer(app.hwndMain, kWatchTimer);
  EXPECT_EQ(g_Seen.szTitle, "Filtering: low pass 0.01");
  EXPECT_GT(g_Seen.iMaxPermille, 0);
  EXPECT_EQ(g_Seen.iCancelled, 0);
  EXPECT_EQ(History_CanRedo(&app), 0);
  for (int i = n / 4; i < n / 4 * 3; i += 4099)
    ASSERT_NEAR(Ch(0).pdSamples[i], 12000.0 / 32767.0 * std::sin(2.0 * kPi * (i & 65535) / 65536.0), 0.01) << i;
  const std::vector<double> filtered = Samples(0);

  // Saved as a wave file and loaded again: each sample is the 16-bit value
  // nearest to the filtered one.
  s_fileAnswers.push_back({1, saved, 1});
  Command(IDM_SAVE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Saved file \"" + saved + "\"");
  EXPECT_EQ(app.iModified, 0);
  Open(saved);
  ASSERT_EQ(Ch(0).iNrOfSamples, n);
  for (int i = 0; i < n; ++i) {
    double want = std::round(filtered[static_cast<size_t>(i)] * 32767.0);
    ASSERT_EQ(std::lrint(Ch(0).pdSamples[i] * 32767.0), std::lrint(want)) << i;
    ASSERT_NEAR(Ch(0).pdSamples[i], want / 32767.0, 1e-15) << i;
  }
  EXPECT_EQ(History_CanUndo(&app), 0);
}

TEST_F(LongFlow, ThePanelFiltersALongChannelWhenTheScrollerStops) {
  static const WinModalSeam seam{Box, FileDialog, Number, Progress};
  Win_SetModalSeam(&seam);
  const int n = PANEL_LIVE_MAX_SAMPLES + 4096;
  std::vector<double> raw(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) raw[static_cast<size_t>(i)] = Pcm(i) / 32767.0;
  Channel_SetCount(&Ch(0), 0);
  ChannelSet_SetSamples(&app.Channels, 0, 0, raw.data(), n);
  ChannelSet_CountInUse(&app.Channels);
  History_Init(&app, app.History.llBudget);
  // The filter the panel must give for its current settings.
  auto expected = [&] {
    CurveChannel want{};
    Channel_StoreSamples(&want, 0, raw.data(), n);
    Channel_LowPass(&want, &want, 0, 0, app.Param[0].dParamValue, app.Param[1].dParamValue);
    std::vector<double> v(want.pdSamples, want.pdSamples + n);
    Channel_Free(&want);
    return v;
  };

  ASSERT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_LOWPASS_INTERACTIVE), 1);
  // While the thumb is dragged nothing is filtered; the readout follows it.
  Scroll(0, SB_THUMBTRACK, 600);
  Scroll(0, SB_THUMBTRACK, 650);
  Scroll(0, SB_THUMBPOSITION, 650);
  EXPECT_EQ(StatusText(STATUS_PART_INFO), "f_cutoff:0.350000");
  EXPECT_TRUE(Holds(raw));
  EXPECT_TRUE(s_titles.empty());
  // It stops: the filter runs under the progress window; a Cancel there,
  // in the forward transform, leaves the channel as it was and the panel open.
  s_stopAt = 4;
  Scroll(0, SB_ENDSCROLL, 0);
  ASSERT_EQ(s_titles.size(), 4u);
  EXPECT_EQ(s_titles[0], "Filtering: low pass 0.35");
  EXPECT_TRUE(Holds(raw));
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Filter cancelled: the channel is unchanged");
  EXPECT_EQ(app.bPanelMode, PANEL_MODE_LOWPASS);

  // The same drag through the toolkit's own bar filters at its release.
  s_stopAt = 0;
  s_titles.clear();
  WinTest_ScrollAction(app.hwndScroller[0], SB_CTL, SB_THUMBTRACK, 700);
  EXPECT_FALSE(s_titles.empty());
  const std::vector<double> first = expected();
  EXPECT_TRUE(Holds(first));
  // A step of the transition scroller filters once it ends; the kept
  // transform makes it one inverse, and a Cancel in it leaves the last result.
  const size_t reportsWithTransform = s_titles.size();
  s_stopAt = 3;
  s_titles.clear();
  WinTest_ScrollAction(app.hwndScroller[1], SB_CTL, SB_LINEDOWN, 0);
  EXPECT_EQ(s_titles.size(), 3u);
  EXPECT_TRUE(Holds(first));
  s_stopAt = 0;
  s_titles.clear();
  WinTest_ScrollAction(app.hwndScroller[1], SB_CTL, SB_LINEDOWN, 0);
  EXPECT_LT(s_titles.size(), reportsWithTransform);
  const std::vector<double> second = expected();
  EXPECT_TRUE(Holds(second));
  EXPECT_NE(first, second);
  s_titles.clear();
  Scroll(1, SB_ENDSCROLL, 0);  // nothing moved: nothing to filter again
  EXPECT_TRUE(s_titles.empty());

  // Ok keeps what the channel shows as one step, named by its cut-off also
  // when a later setting was cancelled; Undo and Redo walk over it.
  s_stopAt = 3;
  WinTest_ScrollAction(app.hwndScroller[0], SB_CTL, SB_LINEDOWN, 0);
  EXPECT_EQ(StatusText(STATUS_PART_INFO), "f_cutoff:0.299000");
  EXPECT_TRUE(Holds(second));
  WinTest_ClickButton(app.hwndOk);
  EXPECT_EQ(app.bPanelMode, PANEL_MODE_NONE);
  Command(IDM_UNDO);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: low pass 0.3");
  EXPECT_TRUE(Holds(raw));
  Command(IDM_REDO);
  EXPECT_TRUE(Holds(second));
}

}  // namespace
