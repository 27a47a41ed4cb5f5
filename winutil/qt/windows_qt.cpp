// Windows and window classes over Qt Widgets: creation and destruction, the
// frame and client widgets, sending messages, placement, text and repainting.
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWidget>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"

namespace {

struct WindowClass {
  WNDCLASSA wc;
  std::string sName;
};

std::map<std::string, WindowClass>& Classes() {
  static std::map<std::string, WindowClass> classes;
  return classes;
}
// Live windows.
std::set<HWND>& Live() {
  static std::set<HWND> live;
  return live;
}
// Records of destroyed windows are kept here (never reused, never freed) so
// that a stale handle is recognised as dead rather than aliasing a new window.
std::vector<HWND>& Dead() {
  static auto* dead = new std::vector<HWND>();  // outlives static destruction
  return *dead;
}

int ClientWidth(const WinWindow* w) { return w->pClient ? w->pClient->width() : w->pTop->width(); }
int ClientHeight(const WinWindow* w) { return w->pClient ? w->pClient->height() : w->pTop->height(); }

WPARAM SizeType(const WinWindow* w) {
  if (w->pTop->isMinimized()) return SIZE_MINIMIZED;
  if (w->pTop->isMaximized()) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

// Sends WM_SIZE when the client size differs from the one last reported.
void SendSizeIfChanged(HWND h) {
  if (!QtWin_IsLive(h)) return;
  int cw = ClientWidth(h), ch = ClientHeight(h);
  if (cw == h->iLastWidth && ch == h->iLastHeight) return;
  h->iLastWidth = cw;
  h->iLastHeight = ch;
  Win_SendMessage(h, WM_SIZE, SizeType(h), MAKELONG(static_cast<unsigned>(cw), static_cast<unsigned>(ch)));
}

int VirtualKeyOf(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    default: return 0;
  }
}

}  // namespace

// The client area: where painting and child windows go.
class QtClient : public QWidget {
 public:
  explicit QtClient(HWND h, QWidget* parent) : QWidget(parent), m_h(h) { setFocusPolicy(Qt::StrongFocus); }

 protected:
  void resizeEvent(QResizeEvent*) override { SendSizeIfChanged(m_h); }
  void keyPressEvent(QKeyEvent* e) override { QtWin_QueueKey(m_h, e->key(), e->modifiers()); }

 private:
  HWND m_h;
};

// The top-level frame: turns close requests and key presses into messages.
class QtFrame : public QWidget {
 public:
  explicit QtFrame(HWND h) : m_h(h) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    if (QtWin_IsLive(m_h)) Win_SendMessage(m_h, WM_CLOSE, 0, 0);
  }
  void keyPressEvent(QKeyEvent* e) override { QtWin_QueueKey(m_h, e->key(), e->modifiers()); }
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && QtWin_IsLive(m_h)) {
      m_h->iLastWidth = -1;  // a state change is reported even at the same size
      SendSizeIfChanged(m_h);
    }
  }

 private:
  HWND m_h;
};

bool QtWin_IsLive(HWND h) { return h && Live().count(h) != 0; }

void QtWin_QueueKey(HWND h, int qtKey, Qt::KeyboardModifiers mods) {
  if (!QtWin_IsLive(h)) return;
  int vk = VirtualKeyOf(qtKey);
  if (!vk) return;
  LPARAM lp = 1;
  if (mods & Qt::ShiftModifier) lp |= WINQ_KEY_SHIFT_BIT;
  if (mods & Qt::ControlModifier) lp |= WINQ_KEY_CONTROL_BIT;
  if (mods & Qt::AltModifier) lp |= WINQ_KEY_ALT_BIT;
  Win_PostMessage(h, WM_KEYDOWN, static_cast<WPARAM>(vk), lp);
}

HINSTANCE Win_Init(int* argc, char** argv) {
  static int s_argc = 1;
  static char s_name[] = "plotsmith";
  static char* s_argv[] = {s_name, nullptr};
  if (!QApplication::instance()) {
    if (argc && argv && *argc > 0) {
      s_argc = *argc;
      new QApplication(s_argc, argv);
    } else {
      new QApplication(s_argc, s_argv);
    }
  }
  static WinInstance* s_instance = reinterpret_cast<WinInstance*>(&s_argc);
  return s_instance;
}

int Win_RegisterClass(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
  std::string name = wc->lpszClassName;
  if (Classes().count(name)) return 0;
  Classes()[name] = WindowClass{*wc, name};
  return 1;
}

int Win_UnregisterClass(const char* className) {
  return className && Classes().erase(className) ? 1 : 0;
}

// Builds the frame of a top-level window: client area plus optional bars.
static void QtWin_BuildFrame(HWND h) {
  auto* frame = new QtFrame(h);
  auto* grid = new QGridLayout(frame);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  h->pTop = frame;
  h->pClient = new QtClient(h, frame);
  grid->addWidget(h->pClient, 0, 0);
  if (h->dwStyle & WS_VSCROLL) grid->addWidget(QtWin_MakeBar(h, SB_VERT, frame), 0, 1);
  if (h->dwStyle & WS_HSCROLL) grid->addWidget(QtWin_MakeBar(h, SB_HORZ, frame), 1, 0);
}

// Places a top-level window so that its outer rectangle is (x, y, w, h).
static void QtWin_PlaceTop(HWND hw, int x, int y, int w, int h) {
  QWidget* t = hw->pTop;
  hw->rcWanted = RECT{x, y, x + w, y + h};
  QRect frame = t->frameGeometry(), inner = t->geometry();
  int dw = frame.width() - inner.width(), dh = frame.height() - inner.height();
  t->move(x, y);
  t->resize(w - dw > 1 ? w - dw : 1, h - dh > 1 ? h - dh : 1);
  if (t->layout()) t->layout()->activate();
}

HWND Win_CreateWindow(DWORD, const char* className, const char* title, DWORD style, int x, int y, int w,
                      int h, HWND parent, HMENU, HINSTANCE, void* param) {
  Win_Init(nullptr, nullptr);
  if (!className) return nullptr;
  auto it = Classes().find(className);
  if (it == Classes().end()) return nullptr;
  if ((style & WS_CHILD) && !QtWin_IsLive(parent)) return nullptr;
  HWND hw = new WinWindow();
  hw->sClass = className;
  hw->pfnProc = it->second.wc.lpfnWndProc;
  hw->dwStyle = style;
  hw->hwndParent = QtWin_IsLive(parent) ? parent : nullptr;
  hw->iLastWidth = hw->iLastHeight = -1;
  if (style & WS_CHILD) {
    hw->pTop = new QWidget(parent->pClient ? static_cast<QWidget*>(parent->pClient) : parent->pTop);
    hw->pTop->setGeometry(x, y, w, h);
  } else {
    QtWin_BuildFrame(hw);
    if (x == CW_USEDEFAULT) x = y = 0;
    if (w == CW_USEDEFAULT) w = 600, h = 400;
    QtWin_PlaceTop(hw, x, y, w, h);
  }
  hw->pTop->setWindowTitle(QString::fromLocal8Bit(title ? title : ""));
  Live().insert(hw);
  LPARAM lp = reinterpret_cast<LPARAM>(param);
  Win_SendMessage(hw, WM_NCCREATE, 0, lp);
  if (Win_SendMessage(hw, WM_CREATE, 0, lp) == -1) {
    Win_DestroyWindow(hw);
    return nullptr;
  }
  SendSizeIfChanged(hw);
  if (QtWin_IsLive(hw)) Win_SendMessage(hw, WM_MOVE, 0, MAKELONG(static_cast<unsigned>(x), static_cast<unsigned>(y)));
  if (QtWin_IsLive(hw) && (style & WS_VISIBLE)) Win_ShowWindow(hw, SW_SHOW);
  return QtWin_IsLive(hw) ? hw : nullptr;
}

int Win_DestroyWindow(HWND h) {
  if (!QtWin_IsLive(h)) return 0;
  Win_SendMessage(h, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  for (HWND c : Live())
    if (c->hwndParent == h) children.push_back(c);
  for (HWND c : children) Win_DestroyWindow(c);
  if (!QtWin_IsLive(h)) return 1;
  Win_SendMessage(h, WM_NCDESTROY, 0, 0);
  QtWin_DropTimers(h);
  WinQueue_Remove(h, 0, 0);
  Live().erase(h);
  Dead().push_back(h);
  h->pTop->hide();
  h->pTop->deleteLater();
  h->pClient = nullptr;
  h->pBar[0] = h->pBar[1] = nullptr;
  return 1;
}

int Win_IsWindow(HWND h) { return QtWin_IsLive(h) ? 1 : 0; }

LRESULT Win_DefWindowProc(HWND h, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_CLOSE: Win_DestroyWindow(h); return 0;
    case WM_NCCREATE: return 1;
    case WM_ERASEBKGND: return 1;
    default: return 0;
  }
}

LRESULT Win_SendMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!QtWin_IsLive(h) || !h->pfnProc) return 0;
  if (msg == WM_SETTEXT) {
    h->pTop->setWindowTitle(QString::fromLocal8Bit(reinterpret_cast<const char*>(lp)));
  }
  return h->pfnProc(h, msg, wp, lp);
}

int Win_IsDialogMessage(HWND, MSG*) { return 0; }

void WinToolkit_ProcessEvents(int wait) {
  if (!wait) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // The overload with a time limit drops WaitForMoreEvents and would spin;
  // this one sleeps until Qt has an event (input, timer, posted event).
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

int Win_InvalidateRect(HWND h, const RECT*, int) {
  if (!QtWin_IsLive(h)) return 0;
  (h->pClient ? static_cast<QWidget*>(h->pClient) : h->pTop)->update();
  return 1;
}

int Win_UpdateWindow(HWND h) {
  if (!QtWin_IsLive(h)) return 0;
  (h->pClient ? static_cast<QWidget*>(h->pClient) : h->pTop)->repaint();
  return 1;
}

int Win_GetWindowRect(HWND h, RECT* rc) {
  if (!QtWin_IsLive(h) || !rc) return 0;
  QRect r = h->pTop->isWindow() ? h->pTop->frameGeometry()
                                : QRect(h->pTop->mapToGlobal(QPoint(0, 0)), h->pTop->size());
  *rc = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  return 1;
}

int Win_GetClientRect(HWND h, RECT* rc) {
  if (!QtWin_IsLive(h) || !rc) return 0;
  *rc = RECT{0, 0, ClientWidth(h), ClientHeight(h)};
  return 1;
}

int Win_MoveWindow(HWND h, int x, int y, int w, int hgt, int repaint) {
  if (!QtWin_IsLive(h)) return 0;
  if (h->pTop->isWindow()) QtWin_PlaceTop(h, x, y, w, hgt);
  else h->pTop->setGeometry(x, y, w, hgt);
  SendSizeIfChanged(h);
  if (repaint && QtWin_IsLive(h)) Win_InvalidateRect(h, nullptr, 1);
  return 1;
}

int Win_ShowWindow(HWND h, int cmd) {
  if (!QtWin_IsLive(h)) return 0;
  QWidget* t = h->pTop;
  int wasVisible = t->isVisible() ? 1 : 0;
  switch (cmd) {
    case SW_HIDE: t->hide(); break;
    case SW_SHOWMAXIMIZED: t->showMaximized(); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED: t->showMinimized(); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: t->showNormal(); break;
    default: t->show(); break;
  }
  // The frame's size is known only once the window is shown: place it again
  // so that the outer rectangle is the one asked for.
  const RECT& want = h->rcWanted;
  if (t->isWindow() && t->isVisible() && !t->isMaximized() && !t->isMinimized() &&
      t->frameGeometry() != QRect(want.left, want.top, want.right - want.left, want.bottom - want.top))
    QtWin_PlaceTop(h, want.left, want.top, want.right - want.left, want.bottom - want.top);
  if (QtWin_IsLive(h)) SendSizeIfChanged(h);
  return wasVisible;
}

int Win_IsWindowVisible(HWND h) { return QtWin_IsLive(h) && h->pTop->isVisible() ? 1 : 0; }
int Win_IsZoomed(HWND h) { return QtWin_IsLive(h) && h->pTop->isMaximized() ? 1 : 0; }
int Win_IsIconic(HWND h) { return QtWin_IsLive(h) && h->pTop->isMinimized() ? 1 : 0; }
HWND Win_GetParent(HWND h) { return QtWin_IsLive(h) && QtWin_IsLive(h->hwndParent) ? h->hwndParent : nullptr; }

int Win_SetWindowText(HWND h, const char* text) {
  if (!QtWin_IsLive(h)) return 0;
  h->pTop->setWindowTitle(QString::fromLocal8Bit(text ? text : ""));
  return 1;
}

int Win_GetWindowText(HWND h, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!QtWin_IsLive(h)) return 0;
  QByteArray t = h->pTop->windowTitle().toLocal8Bit();
  int n = t.size() < size - 1 ? static_cast<int>(t.size()) : size - 1;
  std::memcpy(buffer, t.constData(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}
