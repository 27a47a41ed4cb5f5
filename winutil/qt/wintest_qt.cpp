// User actions for tests, delivered through Qt's own event paths.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLayout>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

static int QtKeyOf(int vk) {
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
  if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + (vk - VK_F1);
  switch (vk) {
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_RETURN: return Qt::Key_Return;
    case VK_SPACE: return Qt::Key_Space;
    case VK_LEFT: return Qt::Key_Left;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_UP: return Qt::Key_Up;
    case VK_DOWN: return Qt::Key_Down;
    default: return 0;
  }
}

void WinTest_PressKey(HWND hwnd, int vk, int modifiers) {
  if (!QtWin_IsLive(hwnd)) return;
  Qt::KeyboardModifiers mods;
  if (modifiers & FSHIFT) mods |= Qt::ShiftModifier;
  if (modifiers & FCONTROL) mods |= Qt::ControlModifier;
  if (modifiers & FALT) mods |= Qt::AltModifier;
  QKeyEvent press(QEvent::KeyPress, QtKeyOf(vk), mods);
  QWidget* target = hwnd->pClient ? static_cast<QWidget*>(hwnd->pClient) : hwnd->pTop;
  QCoreApplication::sendEvent(target, &press);
}

void WinTest_ClickClose(HWND hwnd) {
  if (QtWin_IsLive(hwnd)) hwnd->pTop->close();
}

void WinTest_ScrollAction(HWND hwnd, int bar, int code, int pos) { QtWin_TriggerScroll(hwnd, bar, code, pos); }

void WinTest_ResizeClient(HWND hwnd, int width, int height) {
  if (!QtWin_IsLive(hwnd)) return;
  QWidget* top = hwnd->pTop;
  int dw = hwnd->pClient ? top->width() - hwnd->pClient->width() : 0;
  int dh = hwnd->pClient ? top->height() - hwnd->pClient->height() : 0;
  top->resize(width + dw, height + dh);
  if (top->layout()) top->layout()->activate();
  QCoreApplication::processEvents();
}

void WinTest_RunFor(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    WinQueue_DispatchAll();
  } while (t.elapsed() < ms);
}
