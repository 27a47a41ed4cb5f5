// User actions for tests, delivered through Qt's own event paths.
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QWheelEvent>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

static Qt::KeyboardModifiers ModifiersOfKeys(int keys) {
  Qt::KeyboardModifiers mods;
  if (keys & MK_SHIFT) mods |= Qt::ShiftModifier;
  if (keys & MK_CONTROL) mods |= Qt::ControlModifier;
  return mods;
}

static Qt::MouseButtons ButtonsOfKeys(int keys) {
  Qt::MouseButtons buttons;
  if (keys & MK_LBUTTON) buttons |= Qt::LeftButton;
  if (keys & MK_RBUTTON) buttons |= Qt::RightButton;
  return buttons;
}

void WinTest_PressKey(HWND hwnd, int vk, int modifiers) {
  if (!QtWin_IsLive(hwnd)) return;
  Qt::KeyboardModifiers mods;
  if (modifiers & FSHIFT) mods |= Qt::ShiftModifier;
  if (modifiers & FCONTROL) mods |= Qt::ControlModifier;
  if (modifiers & FALT) mods |= Qt::AltModifier;
  if (QtWin_IsKeypadKey(vk)) mods |= Qt::KeypadModifier;
  QKeyEvent press(QEvent::KeyPress, QtWin_QtKeyOf(vk), mods);
  QWidget* target = QtWin_InputWidget(hwnd);
  // A disabled window takes no keys, as a real one would not get them.
  if (target->isEnabled()) QCoreApplication::sendEvent(target, &press);
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

void WinTest_Mouse(HWND hwnd, UINT message, int keys, int x, int y) {
  if (!QtWin_IsLive(hwnd)) return;
  QWidget* w = QtWin_InputWidget(hwnd);
  QEvent::Type type = QEvent::MouseMove;
  Qt::MouseButton button = Qt::NoButton;
  switch (message) {
    case WM_LBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::LeftButton; break;
    case WM_LBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::LeftButton; break;
    case WM_RBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::RightButton; break;
    case WM_RBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::RightButton; break;
    default: break;
  }
  QPointF local(x, y);
  QMouseEvent e(type, local, w->mapToGlobal(local), button, ButtonsOfKeys(keys), ModifiersOfKeys(keys));
  // QApplication routes the event as the window system's would: not to a disabled window.
  QApplication::sendEvent(w, &e);
}

void WinTest_Wheel(HWND hwnd, int keys, int delta, int x, int y) {
  if (!QtWin_IsLive(hwnd)) return;
  QWidget* w = QtWin_InputWidget(hwnd);
  QPointF local(x, y);
  QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), ButtonsOfKeys(keys), ModifiersOfKeys(keys),
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
}

void WinTest_ClickButton(HWND button) {
  if (!QtWin_IsLive(button) || button->iCtlKind != QTCTL_BUTTON) return;
  auto* b = static_cast<QPushButton*>(button->pTop);
  if (!b->isVisible()) return;  // nothing to click on
  QPointF centre(b->width() / 2.0, b->height() / 2.0);
  QPointF global = b->mapToGlobal(centre);
  QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(b, &press);
  QApplication::sendEvent(b, &release);
}

void WinTest_TypeText(HWND hwnd, const char* text) {
  if (!QtWin_IsLive(hwnd) || !text) return;
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QtWin_InputWidget(hwnd)->focusWidget();
  if (!target) target = QtWin_InputWidget(hwnd);
  for (QChar c : QString::fromLocal8Bit(text)) {
    int key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
  }
}

void WinTest_DropFiles(HWND hwnd, const char* const* paths, int count) {
  if (!QtWin_IsLive(hwnd) || !paths) return;
  QWidget* w = QtWin_InputWidget(hwnd);
  QMimeData data;
  QList<QUrl> urls;
  for (int i = 0; i < count; ++i) urls.append(QUrl::fromLocalFile(QString::fromLocal8Bit(paths[i])));
  data.setUrls(urls);
  QPointF centre(w->width() / 2.0, w->height() / 2.0);
  QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &enter);
  if (!enter.isAccepted() || !w->acceptDrops()) return;
  QDropEvent drop(centre, Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &drop);
}

void WinTest_RunFor(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    WinQueue_DispatchAll();
  } while (t.elapsed() < ms);
}
