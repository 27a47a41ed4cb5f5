#pragma once
// A started editor whose modal services (message boxes, file dialogs, number
// dialogs) are answered from queues set up by the test, with every question
// recorded, and helpers that write curve files for it to open.

#include <deque>
#include <string>
#include <vector>

#include "tests/shell/mainwin_fixture.h"
#include "tests/support/wave_bytes.h"

// One recorded question of a modal service.
struct EditAsked {
  std::string szKind;   // "box", "open", "save" or "number"
  std::string szText;   // box text, dialog title or the number dialog's second line
  std::string szCaption;  // box caption or the number dialog's caption ("" for file dialogs)
  UINT uType;           // box type bits, or the number dialog's flags
};

// One answer of a file dialog: 0 cancels; otherwise the path and the 1-based filter entry.
struct EditFileAnswer {
  int iOk;              // 1 chosen, 0 cancelled
  std::string szPath;   // the name chosen
  int iFilterIndex;     // 1-based filter entry chosen
};

// One answer of the number dialog: its result and, for 1, the number typed.
struct EditNumberAnswer {
  int iResult;  // the dialog's result (1 OK)
  int iValue;   // the number typed, for result 1
};

struct EditFlowTest : MainWindowTest {
  static inline std::deque<int> s_boxAnswers;  // buttons of the next message boxes (IDCANCEL when empty)
  static inline std::deque<EditFileAnswer> s_fileAnswers;      // answers of the next file dialogs
  static inline std::deque<EditNumberAnswer> s_numberAnswers;  // answers of the next number dialogs
  static inline std::vector<EditAsked> s_asked;                // every question asked, in order
  TempDir files;  // a folder for the files a test opens and saves

  static int Box(HWND, const char* text, const char* caption, UINT type) {
    s_asked.push_back({"box", text, caption, type});
    if (s_boxAnswers.empty()) return IDCANCEL;
    int a = s_boxAnswers.front();
    s_boxAnswers.pop_front();
    return a;
  }
  static int FileDialog(int save, OPENFILENAMEA* ofn) {
    s_asked.push_back({save ? "save" : "open", ofn->lpstrTitle ? ofn->lpstrTitle : "", "", 0});
    if (s_fileAnswers.empty()) return 0;
    EditFileAnswer a = s_fileAnswers.front();
    s_fileAnswers.pop_front();
    if (!a.iOk || a.szPath.size() >= ofn->nMaxFile) return 0;
    std::snprintf(ofn->lpstrFile, ofn->nMaxFile, "%s", a.szPath.c_str());
    ofn->nFilterIndex = static_cast<DWORD>(a.iFilterIndex);
    return 1;
  }
  static int Number(HWND, const char* caption, const char*, const char* line2, int* value, int flags) {
    s_asked.push_back({"number", line2, caption, static_cast<UINT>(flags)});
    if (s_numberAnswers.empty()) return 2;
    EditNumberAnswer a = s_numberAnswers.front();
    s_numberAnswers.pop_front();
    if (a.iResult == 1) *value = a.iValue;
    return a.iResult;
  }

  void SetUp() override {
    MainWindowTest::SetUp();
    s_boxAnswers.clear();
    s_fileAnswers.clear();
    s_numberAnswers.clear();
    s_asked.clear();
    static const WinModalSeam seam{Box, FileDialog, Number, nullptr};
    Win_SetModalSeam(&seam);
  }

  // Kinds of the questions asked so far, joined by blanks.
  static std::string AskedKinds() {
    std::string s;
    for (const EditAsked& a : s_asked) s += (s.empty() ? "" : " ") + a.szKind;
    return s;
  }
  CurveChannel& Ch(int c) { return app.Channels.Channel[c]; }
  std::vector<double> Samples(int c) {
    const CurveChannel& ch = app.Channels.Channel[c];
    return std::vector<double>(ch.pdSamples, ch.pdSamples + ch.iNrOfSamples);
  }
  // Makes selection slot 0 the current one over x1..x2 (the whole value range).
  void Select(double x1, double x2) {
    GraphSelection& s = app.Graph.Selection[0];
    s.iVisible = 1;
    s.dX1 = x1;
    s.dX2 = x2;
    s.dY1 = -1e9;
    s.dY2 = 1e9;
    app.Graph.iCurrentSelection = 0;
  }
  // Opens path through File Open with the prompt (if any) answered No.
  void Open(const std::string& path) {
    s_boxAnswers.push_back(IDNO);
    s_fileAnswers.push_back({1, path, 1});
    Command(IDM_OPEN);
  }

  // A 16-bit PCM wave file of the given channels (equal lengths) at rate Hz.
  static std::string WaveBytes(const std::vector<std::vector<short>>& ch, int rate) {
    std::vector<int64_t> frames;
    for (size_t f = 0; f < ch[0].size(); ++f)
      for (const std::vector<short>& c : ch) frames.push_back(c[f]);
    std::string fmt = WaveBytes_Fmt(1, static_cast<int>(ch.size()), static_cast<uint32_t>(rate), 16);
    return WaveBytes_Riff(WaveBytes_Chunk("fmt ", fmt) + WaveBytes_Chunk("data", WaveBytes_Samples(frames, 2)));
  }
  // A text curve file with one value per line.
  static std::string TextBytes(const std::vector<double>& v) {
    std::string s;
    for (double x : v) s += std::to_string(x) + "\r\n";
    return s;
  }
};
