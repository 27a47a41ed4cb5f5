// Input to the client area: Qt's key, mouse, wheel and drop events become the
// Win32 messages.  Keys are queued (WM_KEYDOWN goes through the loop's
// IsDialogMessage and accelerators); mouse and wheel messages are sent at once
// so that they keep their order with painting; a drop of files is queued as
// WM_DROPFILES, so that its handler runs from the loop after the drop ends.
#include <QCursor>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"

// The files of one drop, alive until Win_DragFinish.
struct WinDrop {
  std::vector<std::string> Paths;  // local paths in the local 8-bit encoding
};

namespace {

std::set<HDROP>& Drops() {
  static std::set<HDROP> drops;
  return drops;
}

int VirtualKeyOf(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
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

WPARAM KeysOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM keys = 0;
  if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
  if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
  if (mods & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (mods & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

LPARAM PointOf(QPoint p) {
  return MAKELONG(static_cast<unsigned>(p.x()), static_cast<unsigned>(p.y()));
}

}  // namespace

void QtWin_QueueKey(HWND h, int qtKey, Qt::KeyboardModifiers mods) {
  if (!QtWin_IsLive(h)) return;
  int vk = VirtualKeyOf(qtKey);
  if (!vk) return;
  LPARAM lp = 1;
  // Backtab is Shift+Tab whatever Qt reports as held.
  if ((mods & Qt::ShiftModifier) || qtKey == Qt::Key_Backtab) lp |= WINQ_KEY_SHIFT_BIT;
  if (mods & Qt::ControlModifier) lp |= WINQ_KEY_CONTROL_BIT;
  if (mods & Qt::AltModifier) lp |= WINQ_KEY_ALT_BIT;
  Win_PostMessage(h, WM_KEYDOWN, static_cast<WPARAM>(vk), lp);
}

void QtWin_SendMouse(HWND h, QMouseEvent* e) {
  if (!QtWin_IsLive(h)) return;
  UINT msg = 0;
  switch (e->type()) {
    case QEvent::MouseMove: msg = WM_MOUSEMOVE; break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:  // the class asks for no double clicks: a second press
      msg = e->button() == Qt::LeftButton ? WM_LBUTTONDOWN : e->button() == Qt::RightButton ? WM_RBUTTONDOWN : 0;
      break;
    case QEvent::MouseButtonRelease:
      msg = e->button() == Qt::LeftButton ? WM_LBUTTONUP : e->button() == Qt::RightButton ? WM_RBUTTONUP : 0;
      break;
    default: break;
  }
  if (!msg) return;
  Win_SendMessage(h, msg, KeysOf(e->buttons(), e->modifiers()), PointOf(e->position().toPoint()));
}

void QtWin_SendWheel(HWND h, QWheelEvent* e) {
  if (!QtWin_IsLive(h)) return;
  int delta = e->angleDelta().y();
  if (delta == 0) return;
  WPARAM keys = KeysOf(e->buttons(), e->modifiers());
  WPARAM wp = static_cast<WPARAM>(MAKELONG(static_cast<unsigned>(keys), static_cast<unsigned>(delta)));
  Win_SendMessage(h, WM_MOUSEWHEEL, wp, PointOf(e->globalPosition().toPoint()));
}

// The local file paths of a drag, empty when it carries none.
static std::vector<std::string> LocalPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toLocal8Bit().toStdString());
  return paths;
}

bool QtWin_AcceptsDrag(const QMimeData* data) { return !LocalPaths(data).empty(); }

void QtWin_QueueDrop(HWND h, const QMimeData* data) {
  std::vector<std::string> paths = LocalPaths(data);
  if (!QtWin_IsLive(h) || paths.empty()) return;
  auto* drop = new WinDrop{paths};
  Drops().insert(drop);
  if (!Win_PostMessage(h, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) Win_DragFinish(drop);
}

UINT Win_DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size) {
  if (!Drops().count(drop)) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(drop->Paths.size());
  if (index >= drop->Paths.size()) return 0;
  const std::string& p = drop->Paths[index];
  if (!buffer) return static_cast<UINT>(p.size());
  if (p.size() + 1 > size) return 0;
  std::memcpy(buffer, p.c_str(), p.size() + 1);
  return static_cast<UINT>(p.size());
}

void Win_DragFinish(HDROP drop) {
  if (Drops().erase(drop)) delete drop;
}

int Win_GetCursorPos(POINT* pt) {
  if (!pt) return 0;
  QPoint p = QCursor::pos();
  *pt = POINT{p.x(), p.y()};
  return 1;
}
