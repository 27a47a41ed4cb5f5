// Window timers over QTimer: each tick queues WM_TIMER unless one of the same
// timer is still waiting in the queue, as Win32 coalesces them.
#include <QTimer>
#include <map>
#include <utility>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"

namespace {

using TimerKey = std::pair<HWND, std::uintptr_t>;

std::map<TimerKey, QTimer*>& Timers() {
  static std::map<TimerKey, QTimer*> timers;
  return timers;
}

}  // namespace

std::uintptr_t Win_SetTimer(HWND h, std::uintptr_t id, UINT ms, TIMERPROC proc) {
  if (!QtWin_IsLive(h)) return 0;
  Win_Init(nullptr, nullptr);
  QTimer*& timer = Timers()[std::make_pair(h, id)];
  if (!timer) timer = new QTimer();
  timer->disconnect();
  QObject::connect(timer, &QTimer::timeout, [h, id, proc]() {
    if (WinQueue_Contains(h, WM_TIMER, id)) return;  // one pending per timer
    Win_PostMessage(h, WM_TIMER, id, reinterpret_cast<LPARAM>(proc));
  });
  timer->start(static_cast<int>(ms ? ms : 1));
  return id ? id : 1;
}

int Win_KillTimer(HWND h, std::uintptr_t id) {
  auto it = Timers().find(std::make_pair(h, id));
  if (it == Timers().end()) return 0;
  delete it->second;
  Timers().erase(it);
  WinQueue_Remove(h, WM_TIMER, id);
  return 1;
}

void QtWin_DropTimers(HWND h) {
  for (auto it = Timers().begin(); it != Timers().end();) {
    if (it->first.first == h) {
      delete it->second;
      it = Timers().erase(it);
    } else {
      ++it;
    }
  }
}
