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

// A run of Qt keys that map one to one onto a run of virtual keys.
struct KeyRun {
  int iQtFirst;  // the first Qt key of the run
  int iVkFirst;  // its virtual key
  int iCount;    // keys in the run
};

// The keys the layer passes on.  Where two Qt keys give one virtual key, the
// first listed is the one a virtual key turns back into.
constexpr KeyRun kKeyRuns[] = {
    {Qt::Key_A, 'A', 26},
    {Qt::Key_0, '0', 10},
    {Qt::Key_F1, VK_F1, 24},
    {Qt::Key_Escape, VK_ESCAPE, 1},
    {Qt::Key_Return, VK_RETURN, 1},
    {Qt::Key_Enter, VK_RETURN, 1},
    {Qt::Key_Tab, VK_TAB, 1},
    {Qt::Key_Backtab, VK_TAB, 1},
    {Qt::Key_Backspace, VK_BACK, 1},
    {Qt::Key_Space, VK_SPACE, 1},
    {Qt::Key_PageUp, VK_PRIOR, 1},
    {Qt::Key_PageDown, VK_NEXT, 1},
    {Qt::Key_End, VK_END, 1},
    {Qt::Key_Home, VK_HOME, 1},
    {Qt::Key_Left, VK_LEFT, 1},
    {Qt::Key_Up, VK_UP, 1},
    {Qt::Key_Right, VK_RIGHT, 1},
    {Qt::Key_Down, VK_DOWN, 1},
    {Qt::Key_Delete, VK_DELETE, 1},
    {Qt::Key_Shift, VK_SHIFT, 1},
    {Qt::Key_Control, VK_CONTROL, 1},
    {Qt::Key_Alt, VK_MENU, 1},
    {Qt::Key_Plus, VK_OEM_PLUS, 1},
    {Qt::Key_Equal, VK_OEM_PLUS, 1},
    {Qt::Key_Minus, VK_OEM_MINUS, 1},
};
// Keys that give other virtual keys on the keypad.
constexpr KeyRun kKeypadRuns[] = {
    {Qt::Key_Plus, VK_ADD, 1},
    {Qt::Key_Minus, VK_SUBTRACT, 1},
};

// The virtual key of a Qt key, 0 for a key the layer does not pass on.
int VirtualKeyOf(int key, Qt::KeyboardModifiers mods) {
  if (mods & Qt::KeypadModifier)
    for (const KeyRun& r : kKeypadRuns)
      if (key == r.iQtFirst) return r.iVkFirst;
  for (const KeyRun& r : kKeyRuns)
    if (key >= r.iQtFirst && key < r.iQtFirst + r.iCount) return r.iVkFirst + (key - r.iQtFirst);
  return 0;
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

int QtWin_QtKeyOf(int vk) {
  for (const KeyRun& r : kKeyRuns)
    if (vk >= r.iVkFirst && vk < r.iVkFirst + r.iCount) return r.iQtFirst + (vk - r.iVkFirst);
  for (const KeyRun& r : kKeypadRuns)
    if (vk == r.iVkFirst) return r.iQtFirst;
  return 0;
}

int QtWin_IsKeypadKey(int vk) {
  for (const KeyRun& r : kKeypadRuns)
    if (vk == r.iVkFirst) return 1;
  return 0;
}

void QtWin_QueueKey(HWND h, int qtKey, Qt::KeyboardModifiers mods) {
  if (!QtWin_IsLive(h)) return;
  int vk = VirtualKeyOf(qtKey, mods);
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
