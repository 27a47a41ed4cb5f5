// The message queue, the message loop's functions and accelerator tables.
// Toolkit-free: the toolkit's own events are run through one hook
// (WinToolkit_ProcessEvents), so that posted messages, WM_QUIT ordering and
// key translation follow Win32 whatever draws the windows.
#include <deque>
#include <set>
#include <vector>

#include "winutil/message_queue.h"
#include "winutil/winapi.h"

namespace {

struct WinAccelTable {
  std::vector<ACCEL> entries;  // the table's entries as given
};

std::deque<MSG>& Queue() {
  static std::deque<MSG> queue;
  return queue;
}
bool g_bQuitPending = false;  // Win_PostQuitMessage was called and WM_QUIT not yet taken
int g_iQuitCode = 0;          // its exit code
std::set<WinAccelTable*>& Accels() {
  static std::set<WinAccelTable*> accels;
  return accels;
}

bool Matches(const MSG& m, HWND h, UINT lo, UINT hi) {
  if (h && m.hwnd != h) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

// Takes the next matching message; WM_QUIT only once nothing else is queued.
int Take(MSG* msg, HWND h, UINT lo, UINT hi, bool remove) {
  auto& q = Queue();
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (!Matches(*it, h, lo, hi)) continue;
    *msg = *it;
    if (remove) q.erase(it);
    return 1;
  }
  if (g_bQuitPending && q.empty()) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_iQuitCode), 0};
    if (remove) g_bQuitPending = false;
    return 1;
  }
  return 0;
}

}  // namespace

int WinQueue_Contains(HWND h, UINT message, WPARAM wp) {
  for (const MSG& m : Queue())
    if (m.hwnd == h && m.message == message && m.wParam == wp) return 1;
  return 0;
}

void WinQueue_Remove(HWND h, UINT message, WPARAM wp) {
  auto& q = Queue();
  for (auto it = q.begin(); it != q.end();) {
    bool match = it->hwnd == h && (message == 0 || (it->message == message && it->wParam == wp));
    it = match ? q.erase(it) : it + 1;
  }
}

int Win_PostMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (h && !Win_IsWindow(h)) return 0;
  Queue().push_back(MSG{h, msg, wp, lp});
  return 1;
}

void Win_PostQuitMessage(int exitCode) {
  g_bQuitPending = true;
  g_iQuitCode = exitCode;
}

int Win_GetMessage(MSG* msg, HWND h, UINT lo, UINT hi) {
  if (!msg) return 0;
  Win_Init(nullptr, nullptr);
  while (!Take(msg, h, lo, hi, true)) WinToolkit_ProcessEvents(1);
  return msg->message == WM_QUIT ? 0 : 1;
}

int Win_PeekMessage(MSG* msg, HWND h, UINT lo, UINT hi, UINT remove) {
  if (!msg) return 0;
  WinToolkit_ProcessEvents(0);
  return Take(msg, h, lo, hi, remove != 0);
}

int Win_TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return 0;
  int vk = static_cast<int>(msg->wParam);
  int ch = 0;
  if (vk >= 'A' && vk <= 'Z') ch = (msg->lParam & WINQ_KEY_SHIFT_BIT) ? vk : vk - 'A' + 'a';
  else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK || vk == VK_ESCAPE)
    ch = vk;
  if (ch) Win_PostMessage(msg->hwnd, WM_CHAR, static_cast<WPARAM>(ch), msg->lParam & 0xFFFF);
  return 1;
}

LRESULT Win_DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, 0);
    return 0;
  }
  return Win_SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

int WinQueue_DispatchAll(void) {
  MSG msg{};
  while (!Queue().empty()) {
    msg = Queue().front();
    Queue().pop_front();
    Win_DispatchMessage(&msg);
  }
  return g_bQuitPending ? 0 : 1;
}

int Win_PumpMessages(void) {
  Win_Init(nullptr, nullptr);
  WinToolkit_ProcessEvents(0);
  return WinQueue_DispatchAll();
}

HACCEL Win_CreateAcceleratorTable(const ACCEL* entries, int count) {
  if (!entries || count <= 0) return nullptr;
  auto* t = new WinAccelTable{std::vector<ACCEL>(entries, entries + count)};
  Accels().insert(t);
  return reinterpret_cast<HACCEL>(t);
}

int Win_DestroyAcceleratorTable(HACCEL accel) {
  auto* t = reinterpret_cast<WinAccelTable*>(accel);
  if (!Accels().erase(t)) return 0;
  delete t;
  return 1;
}

int Win_TranslateAccelerator(HWND h, HACCEL accel, const MSG* msg) {
  auto* t = reinterpret_cast<WinAccelTable*>(accel);
  if (!msg || !Accels().count(t) || !Win_IsWindow(h) || msg->message != WM_KEYDOWN) return 0;
  // A disabled window (the owner of a modal dialog) and keys meant for another
  // top-level window take no commands.
  if (!Win_IsWindowEnabled(h) || (msg->hwnd != h && !Win_IsChild(h, msg->hwnd))) return 0;
  unsigned char mods = 0;
  if (msg->lParam & WINQ_KEY_SHIFT_BIT) mods |= FSHIFT;
  if (msg->lParam & WINQ_KEY_CONTROL_BIT) mods |= FCONTROL;
  if (msg->lParam & WINQ_KEY_ALT_BIT) mods |= FALT;
  for (const ACCEL& a : t->entries) {
    if (!(a.fVirt & FVIRTKEY) || a.key != msg->wParam) continue;
    if ((a.fVirt & (FSHIFT | FCONTROL | FALT)) != mods) continue;
    Win_SendMessage(h, WM_COMMAND, static_cast<WPARAM>(MAKELONG(a.cmd, 1)), 0);
    return 1;
  }
  return 0;
}
