// Window utilities over the window-system layer: child window width, menu item
// texts, the window caption, the status bar with its parts, the file dialogs
// with the file type of the current name preselected, and the popup position.
// Each helper tolerates null handles and failed layer calls by returning 0.
#include "winutil/window_utils.h"

#include <strings.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "winutil/winapi.h"

namespace {

// Filter pairs looked at when preselecting the file type.
constexpr int FILTER_MAX_PAIRS = 10;
// Both file dialogs: the file must exist only when opening; never change the
// working folder.
constexpr DWORD OPEN_FLAGS = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
// Saving onto an existing file asks first (the dialog's own confirmation).
constexpr DWORD SAVE_FLAGS = OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT;

// The dialog request both file dialogs share.
OPENFILENAMEA FileDialogRequest(HWND owner, HINSTANCE instance, const char* title, char* buffer, int size,
                                const char* filter, const char* defExt, DWORD flags) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.hInstance = instance;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = static_cast<DWORD>(WinUtil_FilterIndexOf(filter, buffer));
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = size > 0 ? static_cast<DWORD>(size) : 0;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = defExt;
  return ofn;
}

}  // namespace

int WinUtil_SetWindowWidth(HWND hwnd, int width) {
  RECT rc{};
  if (!hwnd || !Win_GetWindowRect(hwnd, &rc)) return 0;
  HWND parent = Win_GetParent(hwnd);
  POINT corner{rc.left, rc.top};
  if (!parent || !Win_ScreenToClient(parent, &corner)) return 0;
  if (rc.right - rc.left == width) return 1;
  return Win_MoveWindow(hwnd, corner.x, corner.y, width, rc.bottom - rc.top, 1);
}

int WinUtil_SetMenuItemText(HMENU menu, int item, int flags, const char* format, ...) {
  char text[256] = {0};
  if (format) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
  }
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  info.fType = MFT_STRING;
  info.dwTypeData = text;
  return Win_SetMenuItemInfo(menu, static_cast<UINT>(item), (flags & MF_BYPOSITION) ? 1 : 0, &info);
}

LRESULT WinUtil_SetWindowText(HWND hwnd, const char* text) {
  return Win_SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

HWND WinUtil_CreateStatusBar(HWND parent, int id, HINSTANCE instance, int n, const int* widths) {
  HWND bar = Win_CreateWindow(0, "msctls_statusbar32", "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                              parent, reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), instance,
                              nullptr);
  if (n <= 0 || !widths) return bar;
  // Right edges of the parts: running sums of the widths.
  std::vector<int> edges(static_cast<size_t>(n));
  int edge = 0;
  for (int i = 0; i < n; ++i) edges[static_cast<size_t>(i)] = edge += widths[i];
  Win_SendMessage(bar, SB_SETPARTS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(edges.data()));
  return bar;
}

void WinUtil_SetStatusText(HWND bar, int part, int type, const char* text) {
  if (!bar) return;
  Win_SendMessage(bar, SB_SETTEXTA, static_cast<WPARAM>((part & 0xFF) | type),
                  reinterpret_cast<LPARAM>(text));
}

int WinUtil_FilterIndexOf(const char* filter, const char* name) {
  if (!filter || !name) return 0;
  const char* ext = std::strrchr(name, '.');
  if (!ext) return 0;
  const char* p = filter;
  for (int pair = 1; pair <= FILTER_MAX_PAIRS; ++pair) {
    if (!*p) return 0;  // the empty string that ends the list
    const char* pattern = p + std::strlen(p) + 1;
    if (!*pattern) return 0;
    const char* dot = std::strchr(pattern, '.');
    if (!dot) return 0;
    if (strcasecmp(dot, ext) == 0) return pair;
    p = pattern + std::strlen(pattern) + 1;
  }
  return 0;
}

int WinUtil_ChooseFileToOpen(HWND owner, HINSTANCE instance, const char* title, char* buffer, int size,
                             const char* filter, const char* defExt) {
  OPENFILENAMEA ofn = FileDialogRequest(owner, instance, title, buffer, size, filter, defExt, OPEN_FLAGS);
  // Opening starts on the list's first entry (all supported formats), so that
  // every loadable file beside the current one is shown.
  ofn.nFilterIndex = filter && *filter ? 1 : 0;
  return Win_GetOpenFileName(&ofn);
}

int WinUtil_ChooseFileToSave(HWND owner, HINSTANCE instance, const char* title, char* buffer, int size,
                             const char* filter, const char* defExt, int* typeIndex) {
  OPENFILENAMEA ofn = FileDialogRequest(owner, instance, title, buffer, size, filter, defExt, SAVE_FLAGS);
  int chosen = Win_GetSaveFileName(&ofn);
  if (chosen && typeIndex) *typeIndex = ofn.nFilterIndex ? static_cast<int>(ofn.nFilterIndex) - 1 : 0;
  return chosen;
}

int WinUtil_GetPopupPosition(int* x, int* y) {
  if (x) *x = 0;
  if (y) *y = 0;
  POINT pt{};
  if (!Win_GetCursorPos(&pt)) return 0;
  if (x) *x = pt.x;
  if (y) *y = pt.y;
  return 1;
}
