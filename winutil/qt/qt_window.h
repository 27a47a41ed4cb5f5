#pragma once
// Internal records of the Qt-backed window layer.  Only winutil/qt includes this.

#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <cstddef>
#include <string_view>
#include <vector>

#include "winutil/wintypes.h"


// Win32 scroll information of one bar; the layer's copy is the truth and the
// QScrollBar only displays it.
struct QtScrollState {
  int iMin, iMax, iPage, iPos;  // range, page size and position
};

// What kind of predefined control a child window is.
enum QtCtlKind { QTCTL_NONE, QTCTL_BUTTON, QTCTL_EDIT, QTCTL_SCROLLBAR, QTCTL_STATUS };

struct WinWindow {
  WNDPROC pfnProc;     // the window procedure (a control's own for predefined classes)
  DWORD dwStyle;       // WS_* and control style bits given at creation
  HWND hwndParent;  // parent of a child, owner of a top-level window
  QWidget* pTop;    // the frame (top level) or the child widget itself
  QWidget* pClient;  // the client area (a child of a registered class: itself); null for controls
  QScrollBar* pBar[2];  // SB_HORZ, SB_VERT; null without the style bit (a "SCROLLBAR" control: itself)
  QtScrollState Scroll[2];  // the Win32 state of pBar[0], pBar[1]
  int iLastWidth, iLastHeight;  // last WM_SIZE sent
  int iTrackPos[2];  // last thumb position dragged to, per bar
  RECT rcWanted;  // outer rectangle asked for, kept until the frame is known
  int iPlacePending;  // rcWanted was set while the frame's size was unknown (0 frame margins)
  QImage* pScreen;  // what the client area shows: BeginPaint and GetDC draw here, paintEvent copies it out
  int iPaintPending;  // a repaint was requested (Win_InvalidateRect) and WM_PAINT not yet sent
  int iErasePending;  // that request asked for WM_ERASEBKGND first
  QtCtlKind iCtlKind;  // QTCTL_NONE for windows of registered classes
  int iCtlId;          // control id of a child window (the HMENU argument at creation), else 0
  UINT uClassStyle;    // CS_* style of the window's class
  HMENU hMenu;         // menu bar of a top-level window, or null
};

// 1 when h is a live window of the layer.
bool QtWin_IsLive(HWND h);
// Queues a key press as WM_KEYDOWN for the window.
void QtWin_QueueKey(HWND h, int qtKey, Qt::KeyboardModifiers mods);
// The Qt key that the layer turns into the virtual key vk, 0 for none.
int QtWin_QtKeyOf(int vk);
// 1 when vk is a key of the keypad (its Qt key comes with Qt::KeypadModifier).
int QtWin_IsKeypadKey(int vk);
// Converts a scroll code into the user action that Qt would trigger.
void QtWin_TriggerScroll(HWND h, int bar, int code, int pos);
// Creates bar index (SB_HORZ or SB_VERT) of the window as a child of parent;
// its user actions become scroll messages.
QScrollBar* QtWin_MakeBar(HWND h, int index, QWidget* parent);
// Stops and forgets every timer of the window.
void QtWin_DropTimers(HWND h);
// The live child windows of parent in creation order.
std::vector<HWND> QtWin_Children(HWND parent);
// The window whose widget is w or holds w, or null.
HWND QtWin_FromWidget(const QWidget* w);
// The widget that takes the window's input: its client area, or the control itself.
QWidget* QtWin_InputWidget(HWND h);
// Copies text into a caller's buffer of size bytes, cut to fit and ended by a
// NUL; the length copied (0 and nothing written for a null or empty buffer).
int QtWin_CopyText(std::string_view text, char* buffer, std::size_t size);

// Input translation (input unit).
void QtWin_SendMouse(HWND h, QMouseEvent* e);
void QtWin_SendWheel(HWND h, QWheelEvent* e);
// 1 when a drag carries local files.
bool QtWin_AcceptsDrag(const QMimeData* data);
// Queues WM_DROPFILES with the local files of a drop.
void QtWin_QueueDrop(HWND h, const QMimeData* data);

// Predefined controls (controls unit): builds the widget of a child of a
// predefined class inside parentWidget and sets kind and procedure; false
// when the class is not predefined.
bool QtCtl_Build(HWND h, const char* className, const char* title, QWidget* parentWidget);

// Menus (menus unit): shows the bar in the frame's layout, owned by h; 0 for
// a bad menu or one that is attached already.
int QtMenu_AttachBar(HMENU bar, HWND h, class QGridLayout* grid);
// Frees the bar of a window that is going away, with its popups.
void QtMenu_DestroyBar(HWND h);

// While one lives, the layer's queued messages (timers, posted commands) are
// dispatched during a modal loop of the toolkit (message box, file dialog,
// popup menu), as the nested loops of Win32 dispatch them.
class QtModalPump {
 public:
  QtModalPump();

 private:
  QTimer m_Timer;  // dispatches the queue while the modal loop runs
};
