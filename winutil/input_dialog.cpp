// The number-input dialog: a window of its own class "OrvDlgWindow" with two
// text lines, an edit field and "Ok" / "Cancel", run modally by its own
// message loop while the owner is disabled.  One dialog at a time; its state
// lives in this unit.  The value's text form (InputDlg_FormatValue,
// InputDlg_ParseValue) is plain string work apart from the window code.  When
// the modal seam answers numbers, no window is shown at all.
#include "winutil/input_dialog.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winutil/winapi.h"

HINSTANCE InputDlg_hInstance;

namespace {

constexpr const char* kClassName = "OrvDlgWindow";
constexpr COLORREF kBackground = RGB(224, 224, 240);
constexpr int kDlgWidth = 400;
constexpr int kDlgHeight = 200;
constexpr int kButtonWidth = 64;
constexpr int kButtonHeight = 24;
constexpr int kEditHeight = 24;
constexpr int kIdEdit = 21;
constexpr int kFieldMax = 80;  // characters taken from the field after "Ok"
constexpr int kMinPaintSize = 50;
constexpr int kResultNone = 0;
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

int s_iMode;                       // INPUTDLG_HEX / INPUTDLG_DIGITS_ONLY bits
const char* s_pszCaption;          // caption as passed by the caller
const char* s_pszLine1 = "";       // text at (16, 8)
const char* s_pszLine2 = "";       // text at (16, 32)
char s_szText[INPUTDLG_TEXT_LEN];  // start text; after "Ok" the field's text
HWND s_hwndDlg;                    // the open dialog
HWND s_hwndEdit;                   // its edit field
int s_iBusy;                       // set while a dialog is open
int s_iClosed;                     // set when the window closes; ends the loop
int s_iResult;                     // kResultNone, kResultOk or kResultCancel

void RegisterDialogClass() {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = InputDlg_WndProc;
  wc.hInstance = InputDlg_hInstance;
  wc.hCursor = IDC_ARROW;
  wc.hbrBackground = COLOR_MENU + 1;
  wc.lpszClassName = kClassName;
  Win_RegisterClass(&wc);  // fails harmlessly when the class exists already
}

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y, int w,
                 int h) {
  return Win_CreateWindow(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h, parent,
                          reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), InputDlg_hInstance,
                          nullptr);
}

}  // namespace

void InputDlg_FormatValue(int value, int mode, char* text, int size) {
  if (!text || size <= 0) return;
  if (mode & INPUTDLG_HEX)
    std::snprintf(text, static_cast<size_t>(size), "$%04X", static_cast<unsigned>(value));
  else
    std::snprintf(text, static_cast<size_t>(size), "%d", value);
}

int InputDlg_ParseValue(const char* text, int* value) {
  if (!text || !value) return 0;
  // As scanf's "%X" and "%d" read them, but values beyond 32 bits saturate
  // instead of being undefined.
  char* end = nullptr;
  if (text[0] == '$') {
    long long v = std::strtoll(text + 1, &end, 16);
    if (end == text + 1) return 0;
    constexpr long long kMax32 = 0xFFFFFFFFLL;
    v = v > kMax32 ? kMax32 : (v < -kMax32 ? -kMax32 : v);
    *value = static_cast<int>(static_cast<unsigned>(v));  // modulo 2^32, as "%X" stores it
    return 1;
  }
  long long v = std::strtoll(text, &end, 10);
  if (end == text) return 0;
  *value = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
  return 1;
}

int InputDlg_AskNumber(HWND owner, const char* caption, const char* line1, const char* line2, int* value,
                       int flags) {
  const WinModalSeam* seam = Win_GetModalSeam();
  if (seam->pfnAskNumber) return seam->pfnAskNumber(owner, caption, line1, line2, value, flags);
  if (s_iBusy) return kResultCancel;  // the open dialog's texts stay untouched
  s_iMode = flags;
  if (!(s_iMode & INPUTDLG_HEX)) s_iMode |= INPUTDLG_DIGITS_ONLY;
  s_pszCaption = caption ? caption : "";
  s_pszLine1 = line1 ? line1 : "";
  s_pszLine2 = line2 ? line2 : "";
  InputDlg_FormatValue(value ? *value : 0, s_iMode, s_szText, sizeof s_szText);
  int r = InputDlg_Run(owner, kDlgWidth, kDlgHeight);
  if (r != kResultOk) return r;
  if (value) InputDlg_ParseValue(s_szText, value);
  return kResultOk;
}

int InputDlg_Run(HWND owner, int width, int height) {
  if (!InputDlg_hInstance || !owner || s_iBusy) return kResultCancel;
  s_iBusy = 1;
  RegisterDialogClass();
  s_iClosed = 0;
  s_iResult = kResultNone;
  HWND focus = Win_GetFocus();
  int x = (Win_GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (Win_GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  s_hwndDlg = Win_CreateWindow(0, kClassName, s_pszCaption, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                               height, owner, nullptr, InputDlg_hInstance, nullptr);
  if (!s_hwndDlg) {
    s_iBusy = 0;
    return kResultNone;
  }
  Win_EnableWindow(owner, 0);
  int a = (width - 3 * kButtonWidth) / 2;
  CreateChild(s_hwndDlg, "BUTTON", "Ok", BS_DEFPUSHBUTTON, IDOK, a, height - 80, kButtonWidth,
              kButtonHeight);
  CreateChild(s_hwndDlg, "BUTTON", "Cancel", BS_PUSHBUTTON, IDCANCEL, width - kButtonWidth - a, height - 80,
              kButtonWidth, kButtonHeight);
  s_hwndEdit = CreateChild(s_hwndDlg, "EDIT", s_szText,
                           WS_BORDER | ((s_iMode & INPUTDLG_DIGITS_ONLY) ? ES_NUMBER : 0), kIdEdit, 16,
                           height - 112, width - 40, kEditHeight);
  Win_SetFocus(s_hwndEdit);
  MSG msg{};
  while (!s_iClosed && Win_GetMessage(&msg, nullptr, 0, 0)) {
    if (!Win_IsDialogMessage(s_hwndDlg, &msg)) {
      Win_TranslateMessage(&msg);
      Win_DispatchMessage(&msg);
    }
  }
  // A quit met inside the dialog belongs to the outer loop: post it again.
  if (!s_iClosed) Win_PostQuitMessage(static_cast<int>(msg.wParam));
  if (Win_IsWindow(s_hwndDlg)) Win_DestroyWindow(s_hwndDlg);
  Win_EnableWindow(owner, 1);
  Win_SetFocus(focus);
  s_hwndDlg = s_hwndEdit = nullptr;
  s_iBusy = 0;
  return s_iResult;
}

LRESULT InputDlg_WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        if (s_hwndEdit) {
          std::memset(s_szText, 0, sizeof s_szText);
          Win_GetWindowText(s_hwndEdit, s_szText, kFieldMax + 1);
        }
        s_iResult = kResultOk;
        Win_SendMessage(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      if (LOWORD(wp) == IDCANCEL) {
        s_iResult = kResultCancel;
        Win_SendMessage(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      return Win_DefWindowProc(hwnd, msg, wp, lp);
    case WM_CLOSE:
      s_iClosed = 1;
      Win_DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      s_iClosed = 1;
      if (hwnd == s_hwndDlg) s_hwndEdit = nullptr;
      return Win_DefWindowProc(hwnd, msg, wp, lp);
    case WM_PAINT:
      InputDlg_Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 0;
    default:
      return Win_DefWindowProc(hwnd, msg, wp, lp);
  }
}

void InputDlg_Paint(HWND hwnd) {
  PAINTSTRUCT ps{};
  HDC dc = Win_BeginPaint(hwnd, &ps);
  RECT rc{};
  Win_GetClientRect(hwnd, &rc);
  if (rc.right - rc.left > kMinPaintSize && rc.bottom - rc.top > kMinPaintSize) {
    HBRUSH brush = Win_CreateSolidBrush(kBackground);
    HGDIOBJ old = Win_SelectObject(dc, brush);
    Win_SetBkColor(dc, kBackground);
    Win_FillRect(dc, &rc, brush);
    Win_SetTextAlign(dc, TA_LEFT | TA_TOP);
    Win_TextOut(dc, 16, 8, s_pszLine1, static_cast<int>(std::strlen(s_pszLine1)));
    Win_TextOut(dc, 16, 32, s_pszLine2, static_cast<int>(std::strlen(s_pszLine2)));
    Win_SelectObject(dc, old);
    Win_DeleteObject(brush);
  }
  Win_EndPaint(hwnd, &ps);
}
