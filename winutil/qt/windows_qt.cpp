// Windows and window classes over Qt Widgets: creation and destruction, the
// frame and client widgets, sending messages, placement, text, focus and the
// repaint flow.  A top-level window is a QtFrame holding the menu bar, a
// QtClient (the client area) and its own scroll bars; a child window is a
// QtClient of its own, or the widget of a predefined control.
//
// Repainting: Win_InvalidateRect marks the window and asks Qt for a paint;
// the client's paintEvent sends WM_ERASEBKGND / WM_PAINT while a repaint is
// pending and then copies the window's screen image onto the widget.
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"

namespace {

std::map<std::string, WNDCLASSA>& Classes() {
  static std::map<std::string, WNDCLASSA> classes;
  return classes;
}

// Live windows in creation order.
std::vector<HWND>& Live() {
  static std::vector<HWND> live;
  return live;
}
// Records of destroyed windows are kept here (never reused, never freed) so
// that a stale handle is recognised as dead rather than aliasing a new window.
std::vector<HWND>& Dead() {
  static auto* dead = new std::vector<HWND>();  // outlives static destruction
  return *dead;
}

constexpr const char* kHwndProperty = "winHwnd";

WPARAM SizeType(const WinWindow* w) {
  if (w->pTop->isMinimized()) return SIZE_MINIMIZED;
  if (w->pTop->isMaximized()) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

// Sends WM_SIZE when the client size differs from the one last reported.
void SendSizeIfChanged(HWND h) {
  if (!QtWin_IsLive(h)) return;
  QSize client = QtWin_InputWidget(h)->size();
  int cw = client.width(), ch = client.height();
  if (cw == h->iLastWidth && ch == h->iLastHeight) return;
  h->iLastWidth = cw;
  h->iLastHeight = ch;
  Win_SendMessage(h, WM_SIZE, SizeType(h), MAKELONG(static_cast<unsigned>(cw), static_cast<unsigned>(ch)));
}

// Sends the paint messages of a pending repaint; the flags are cleared first,
// so that a request made while painting leads to one more repaint.
void PaintPending(HWND h) {
  if (!QtWin_IsLive(h) || !h->iPaintPending) return;
  int erase = h->iErasePending;
  h->iPaintPending = h->iErasePending = 0;
  if (erase) Win_SendMessage(h, WM_ERASEBKGND, 0, 0);
  Win_SendMessage(h, WM_PAINT, 0, 0);
}

bool IsTabKey(const QEvent* e) {
  if (e->type() != QEvent::KeyPress) return false;
  int key = static_cast<const QKeyEvent*>(e)->key();
  return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

}  // namespace

// The client area: painting, mouse, keys and drops of a window.
class QtClient : public QWidget {
 public:
  QtClient(HWND h, QWidget* parent) : QWidget(parent), m_h(h) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);  // moves without a button are reported too
  }

 protected:
  bool event(QEvent* e) override {
    // Tab is a key of the window (IsDialogMessage moves the focus), not Qt's focus chain.
    if (isEnabled() && IsTabKey(e)) {
      auto* k = static_cast<QKeyEvent*>(e);
      QtWin_QueueKey(m_h, k->key(), k->modifiers());
      return true;
    }
    return QWidget::event(e);
  }
  void resizeEvent(QResizeEvent* e) override {
    // A class with CS_HREDRAW / CS_VREDRAW repaints whole on a change of width
    // / height; any window repaints when it grows, for the area it gains.
    UINT cs = m_h->uClassStyle;
    QSize was = e->oldSize(), now = e->size();
    bool wider = was.width() != now.width(), taller = was.height() != now.height();
    bool grown = now.width() > was.width() || now.height() > was.height();
    if (grown || ((cs & CS_HREDRAW) && wider) || ((cs & CS_VREDRAW) && taller)) Win_InvalidateRect(m_h, nullptr, 1);
    SendSizeIfChanged(m_h);
  }
  void paintEvent(QPaintEvent*) override {
    PaintPending(m_h);
    if (!QtWin_IsLive(m_h) || !m_h->pScreen) return;
    QPainter p(this);
    p.drawImage(0, 0, *m_h->pScreen);
  }
  void keyPressEvent(QKeyEvent* e) override { QtWin_QueueKey(m_h, e->key(), e->modifiers()); }
  void mousePressEvent(QMouseEvent* e) override { QtWin_SendMouse(m_h, e); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { QtWin_SendMouse(m_h, e); }
  void mouseReleaseEvent(QMouseEvent* e) override { QtWin_SendMouse(m_h, e); }
  void mouseMoveEvent(QMouseEvent* e) override { QtWin_SendMouse(m_h, e); }
  void wheelEvent(QWheelEvent* e) override { QtWin_SendWheel(m_h, e); }
  void leaveEvent(QEvent*) override {
    if (QtWin_IsLive(m_h)) Win_PostMessage(m_h, WM_MOUSELEAVE, 0, 0);
  }
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (QtWin_AcceptsDrag(e->mimeData())) e->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent* e) override {
    if (QtWin_AcceptsDrag(e->mimeData())) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent* e) override {
    if (!QtWin_AcceptsDrag(e->mimeData())) return;
    e->acceptProposedAction();
    QtWin_QueueDrop(m_h, e->mimeData());
  }

 private:
  HWND m_h;  // the window whose client area this is
};

// The top-level frame: turns close requests and key presses into messages.
class QtFrame : public QWidget {
 public:
  explicit QtFrame(HWND h) : m_h(h) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    // A disabled window (owner of a modal dialog) cannot be closed by the user.
    if (QtWin_IsLive(m_h) && Win_IsWindowEnabled(m_h)) Win_SendMessage(m_h, WM_CLOSE, 0, 0);
  }
  void keyPressEvent(QKeyEvent* e) override { QtWin_QueueKey(m_h, e->key(), e->modifiers()); }
  void moveEvent(QMoveEvent*) override { FrameKnown(); }
  void resizeEvent(QResizeEvent*) override { FrameKnown(); }
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && QtWin_IsLive(m_h)) {
      m_h->iLastWidth = -1;  // a state change is reported even at the same size
      SendSizeIfChanged(m_h);
    }
  }

 private:
  void FrameKnown();
  HWND m_h;  // the top-level window this frame shows
};

bool QtWin_IsLive(HWND h) {
  if (!h) return false;
  for (HWND w : Live())
    if (w == h) return true;
  return false;
}

std::vector<HWND> QtWin_Children(HWND parent) {
  std::vector<HWND> out;
  for (HWND w : Live())
    if (w->hwndParent == parent && (w->dwStyle & WS_CHILD)) out.push_back(w);
  return out;
}

HWND QtWin_FromWidget(const QWidget* w) {
  for (; w; w = w->parentWidget()) {
    QVariant v = w->property(kHwndProperty);
    if (v.isValid()) {
      auto* h = static_cast<HWND>(v.value<void*>());
      return QtWin_IsLive(h) ? h : nullptr;
    }
  }
  return nullptr;
}

QWidget* QtWin_InputWidget(HWND h) { return h->pClient ? h->pClient : h->pTop; }

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
  Classes()[name] = *wc;
  return 1;
}

int Win_UnregisterClass(const char* className) {
  return className && Classes().erase(className) ? 1 : 0;
}

// Builds the frame of a top-level window: menu bar, client area and the bars.
static void QtWin_BuildFrame(HWND h, HMENU menu) {
  auto* frame = new QtFrame(h);
  auto* grid = new QGridLayout(frame);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  h->pTop = frame;
  h->pClient = new QtClient(h, frame);
  grid->addWidget(h->pClient, 0, 0);
  if (h->dwStyle & WS_VSCROLL) grid->addWidget(QtWin_MakeBar(h, SB_VERT, frame), 0, 1);
  if (h->dwStyle & WS_HSCROLL) grid->addWidget(QtWin_MakeBar(h, SB_HORZ, frame), 1, 0);
  if (menu && QtMenu_AttachBar(menu, h, grid)) h->hMenu = menu;
}

// Places a top-level window so that its outer rectangle is (x, y, w, h).
// Under a window manager the frame's size is known only after the window is
// shown and decorated; until then the rectangle is kept and applied again
// when the frame appears (QtWin_FrameKnown).
static void QtWin_PlaceTop(HWND hw, int x, int y, int w, int h) {
  QWidget* t = hw->pTop;
  hw->rcWanted = RECT{x, y, x + w, y + h};
  QRect frame = t->frameGeometry(), inner = t->geometry();
  int dw = frame.width() - inner.width(), dh = frame.height() - inner.height();
  hw->iPlacePending = dw == 0 && dh == 0;
  t->move(x, y);
  t->resize(w - dw > 1 ? w - dw : 1, h - dh > 1 ? h - dh : 1);
  if (t->layout()) t->layout()->activate();
}

// Makes the outer rectangle of a shown top-level window the one asked for,
// unless the window is maximised or minimised.
static void QtWin_PlaceAsWanted(HWND hw) {
  QWidget* t = hw->pTop;
  if (t->isMaximized() || t->isMinimized()) return;
  const RECT& want = hw->rcWanted;
  QRect wanted(want.left, want.top, want.right - want.left, want.bottom - want.top);
  if (t->frameGeometry() != wanted) QtWin_PlaceTop(hw, wanted.x(), wanted.y(), wanted.width(), wanted.height());
}

// Called as the frame moves or changes size: once a frame of its own appears
// around a window placed without it, the window is placed as asked for.
static void QtWin_FrameKnown(HWND hw) {
  QWidget* t = hw->pTop;
  if (!hw->iPlacePending || !t->isVisible() || t->frameGeometry() == t->geometry()) return;
  hw->iPlacePending = 0;
  QtWin_PlaceAsWanted(hw);
}

// The icon built into the program under a resource name, or a null icon.
static QIcon QtWin_ResourceIcon(const char* name) {
  QIcon icon;
  if (!name) return icon;
  for (int size : {16, 32}) {
    QString path = QString(":/icons/%1-%2.png").arg(QString::fromLatin1(name)).arg(size);
    if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
  }
  return icon;
}

void QtFrame::FrameKnown() {
  if (QtWin_IsLive(m_h)) QtWin_FrameKnown(m_h);
}

HWND Win_CreateWindow(DWORD, const char* className, const char* title, DWORD style, int x, int y, int w,
                      int h, HWND parent, HMENU menu, HINSTANCE, void* param) {
  Win_Init(nullptr, nullptr);
  if (!className) return nullptr;
  if ((style & WS_CHILD) && !QtWin_IsLive(parent)) return nullptr;
  HWND hw = new WinWindow();
  hw->dwStyle = style;
  hw->hwndParent = QtWin_IsLive(parent) ? parent : nullptr;
  hw->iLastWidth = hw->iLastHeight = -1;
  hw->iPaintPending = hw->iErasePending = 1;  // a new window is painted whole when first shown
  const char* text = title ? title : "";
  auto it = Classes().find(className);
  if (style & WS_CHILD) {
    hw->iCtlId = static_cast<int>(reinterpret_cast<std::uintptr_t>(menu));
    QWidget* inside = QtWin_InputWidget(parent);
    if (!QtCtl_Build(hw, className, text, inside)) {
      if (it == Classes().end()) {
        delete hw;
        return nullptr;
      }
      hw->pTop = hw->pClient = new QtClient(hw, inside);
    }
    hw->pTop->setGeometry(x, y, w, h);
  } else {
    if (it == Classes().end()) {
      delete hw;
      return nullptr;
    }
    QtWin_BuildFrame(hw, menu);
    if (x == CW_USEDEFAULT) x = y = 0;
    if (w == CW_USEDEFAULT) w = 600, h = 400;
    QtWin_PlaceTop(hw, x, y, w, h);
    hw->pTop->setWindowTitle(QString::fromLocal8Bit(text));
    QIcon icon = QtWin_ResourceIcon(it->second.hIcon);
    if (!icon.isNull()) hw->pTop->setWindowIcon(icon);
    // An owned window (a dialog) stays above its owner.  Only the platform
    // windows are linked: a Qt parent would take on the owner's disabled state.
    if (hw->hwndParent) {
      QWidget* owner = hw->hwndParent->pTop->window();
      hw->pTop->winId();
      owner->winId();
      hw->pTop->windowHandle()->setTransientParent(owner->windowHandle());
    }
  }
  if (it != Classes().end() && !hw->iCtlKind) {
    hw->pfnProc = it->second.lpfnWndProc;
    hw->uClassStyle = it->second.style;
  }
  hw->pTop->setProperty(kHwndProperty, QVariant::fromValue<void*>(hw));
  if (!hw->pTop->isWindow() && !(style & WS_VISIBLE)) hw->pTop->hide();
  Live().push_back(hw);
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
  for (HWND c : QtWin_Children(h)) Win_DestroyWindow(c);
  // Owned top-level windows go with their owner, as in Win32.
  for (HWND w : std::vector<HWND>(Live()))
    if (w->hwndParent == h) Win_DestroyWindow(w);
  if (!QtWin_IsLive(h)) return 1;
  Win_SendMessage(h, WM_NCDESTROY, 0, 0);
  QtWin_DropTimers(h);
  WinQueue_Remove(h, 0, 0);
  QtMenu_DestroyBar(h);
  auto& live = Live();
  for (auto it = live.begin(); it != live.end(); ++it)
    if (*it == h) {
      live.erase(it);
      break;
    }
  Dead().push_back(h);
  h->pTop->hide();
  h->pTop->setProperty(kHwndProperty, QVariant());
  h->pTop->deleteLater();
  h->pTop = h->pClient = nullptr;
  h->pBar[0] = h->pBar[1] = nullptr;
  delete h->pScreen;
  h->pScreen = nullptr;
  return 1;
}

int Win_IsWindow(HWND h) { return QtWin_IsLive(h) ? 1 : 0; }

int QtWin_CopyText(std::string_view text, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 0;
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

LRESULT Win_DefWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!QtWin_IsLive(h)) return 0;
  switch (msg) {
    case WM_CLOSE: Win_DestroyWindow(h); return 0;
    case WM_NCCREATE: return 1;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {  // validates: the request is answered even when nothing is drawn
      PAINTSTRUCT ps{};
      Win_BeginPaint(h, &ps);
      Win_EndPaint(h, &ps);
      return 0;
    }
    case WM_SETTEXT:
      h->pTop->setWindowTitle(QString::fromLocal8Bit(lp ? reinterpret_cast<const char*>(lp) : ""));
      return 1;
    case WM_GETTEXT: {
      QByteArray title = h->pTop->windowTitle().toLocal8Bit();
      return QtWin_CopyText(std::string_view(title.constData(), static_cast<std::size_t>(title.size())),
                            reinterpret_cast<char*>(lp), wp);
    }
    case WM_GETTEXTLENGTH: return h->pTop->windowTitle().toLocal8Bit().size();
    default: return 0;
  }
}

LRESULT Win_SendMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (!QtWin_IsLive(h) || !h->pfnProc) return 0;
  return h->pfnProc(h, msg, wp, lp);
}

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

int Win_InvalidateRect(HWND h, const RECT*, int erase) {
  if (!QtWin_IsLive(h)) return 0;
  h->iPaintPending = 1;
  if (erase) h->iErasePending = 1;
  QtWin_InputWidget(h)->update();
  return 1;
}

int Win_UpdateWindow(HWND h) {
  if (!QtWin_IsLive(h)) return 0;
  if (!h->iPaintPending) return 1;
  PaintPending(h);
  QWidget* w = QtWin_InputWidget(h);
  if (QtWin_IsLive(h) && w->isVisible()) w->repaint();
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
  QSize client = QtWin_InputWidget(h)->size();
  *rc = RECT{0, 0, client.width(), client.height()};
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
  t->setAttribute(Qt::WA_ShowWithoutActivating, cmd == SW_SHOWNOACTIVATE);
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
  if (t->isWindow() && t->isVisible()) QtWin_PlaceAsWanted(h);
  if (QtWin_IsLive(h)) SendSizeIfChanged(h);
  return wasVisible;
}

int Win_IsWindowVisible(HWND h) { return QtWin_IsLive(h) && h->pTop->isVisible() ? 1 : 0; }
int Win_IsZoomed(HWND h) { return QtWin_IsLive(h) && h->pTop->isMaximized() ? 1 : 0; }
int Win_IsIconic(HWND h) { return QtWin_IsLive(h) && h->pTop->isMinimized() ? 1 : 0; }
int Win_IsChild(HWND parent, HWND child) {
  if (!QtWin_IsLive(parent)) return 0;
  for (HWND w = child; QtWin_IsLive(w) && (w->dwStyle & WS_CHILD); w = w->hwndParent)
    if (w->hwndParent == parent) return 1;
  return 0;
}

HWND Win_GetParent(HWND h) { return QtWin_IsLive(h) && QtWin_IsLive(h->hwndParent) ? h->hwndParent : nullptr; }

int Win_SetWindowText(HWND h, const char* text) {
  if (!QtWin_IsLive(h)) return 0;
  return Win_SendMessage(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? 1 : 0;
}

int Win_GetWindowText(HWND h, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!QtWin_IsLive(h)) return 0;
  return static_cast<int>(Win_SendMessage(h, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

HWND Win_SetFocus(HWND h) {
  HWND before = Win_GetFocus();
  if (!QtWin_IsLive(h)) return before;
  QWidget* w = QtWin_InputWidget(h);
  QWidget* win = w->window();
  if (win->isVisible() && !win->isActiveWindow()) win->activateWindow();
  w->setFocus(Qt::OtherFocusReason);
  // An edit field that receives the focus has its text selected, as keyboard
  // navigation does, so that typing replaces the proposed value.
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
  return before;
}

HWND Win_GetFocus(void) {
  QWidget* w = QApplication::focusWidget();
  if (!w && QApplication::activeWindow()) w = QApplication::activeWindow()->focusWidget();
  return QtWin_FromWidget(w);
}

int Win_EnableWindow(HWND h, int enable) {
  if (!QtWin_IsLive(h)) return 0;
  int wasDisabled = h->pTop->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
  h->pTop->setEnabled(enable != 0);
  return wasDisabled;
}

int Win_IsWindowEnabled(HWND h) {
  return QtWin_IsLive(h) && !h->pTop->testAttribute(Qt::WA_ForceDisabled) ? 1 : 0;
}

int Win_GetDlgCtrlID(HWND h) { return QtWin_IsLive(h) && (h->dwStyle & WS_CHILD) ? h->iCtlId : 0; }

HWND Win_GetDlgItem(HWND parent, int id) {
  if (!QtWin_IsLive(parent)) return nullptr;
  for (HWND c : QtWin_Children(parent))
    if (c->iCtlId == id) return c;
  return nullptr;
}

int Win_ClientToScreen(HWND h, POINT* pt) {
  if (!QtWin_IsLive(h) || !pt) return 0;
  QPoint p = QtWin_InputWidget(h)->mapToGlobal(QPoint(pt->x, pt->y));
  *pt = POINT{p.x(), p.y()};
  return 1;
}

int Win_ScreenToClient(HWND h, POINT* pt) {
  if (!QtWin_IsLive(h) || !pt) return 0;
  QPoint p = QtWin_InputWidget(h)->mapFromGlobal(QPoint(pt->x, pt->y));
  *pt = POINT{p.x(), p.y()};
  return 1;
}

int Win_GetSystemMetrics(int index) {
  Win_Init(nullptr, nullptr);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  if (index == SM_CXSCREEN) return screen->geometry().width();
  if (index == SM_CYSCREEN) return screen->geometry().height();
  return 0;
}

void Win_DragAcceptFiles(HWND h, int accept) {
  if (QtWin_IsLive(h)) QtWin_InputWidget(h)->setAcceptDrops(accept != 0);
}

HMENU Win_GetMenu(HWND h) { return QtWin_IsLive(h) ? h->hMenu : nullptr; }
