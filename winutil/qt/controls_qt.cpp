// The predefined child controls and the keyboard navigation of dialogs.
//
// "BUTTON" is a QPushButton that sends WM_COMMAND (id, BN_CLICKED) with itself
// in lParam to its parent; "EDIT" a single-line QLineEdit (ES_NUMBER: digits
// only); "SCROLLBAR" a QScrollBar handled by the scroll bar unit;
// "msctls_statusbar32" a painted row of parts that keeps itself at the bottom
// of its parent.  Each control answers messages through its own procedure.
// Enter, Esc and Tab pressed in a control are queued as WM_KEYDOWN of the
// control so that Win_IsDialogMessage can act on them; other keys are edited
// by the control itself.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"

namespace {

// Enter, Esc and Tab (with Shift: Backtab) are the keys of dialog navigation.
bool IsDialogKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
         key == Qt::Key_Backtab;
}

// Queues a dialog key pressed in a control; false for any other event.
bool QueueDialogKey(HWND h, QEvent* e) {
  if (e->type() != QEvent::KeyPress || !h->pTop->isEnabled()) return false;
  auto* k = static_cast<QKeyEvent*>(e);
  if (!IsDialogKey(k->key())) return false;
  QtWin_QueueKey(h, k->key(), k->modifiers());
  return true;
}

// The widget of a button or edit control: the dialog keys pressed in it are
// queued for the control instead of being handled by the widget.
template <typename Widget>
class QtDialogKeyControl : public Widget {
 public:
  template <typename... Args>
  explicit QtDialogKeyControl(HWND h, Args&&... args) : Widget(std::forward<Args>(args)...), m_h(h) {}

 protected:
  bool event(QEvent* e) override { return QueueDialogKey(m_h, e) || Widget::event(e); }

 private:
  HWND m_h;  // the control's window record
};
using QtButton = QtDialogKeyControl<QPushButton>;
using QtEdit = QtDialogKeyControl<QLineEdit>;

// The status bar: parts with right edges, one text each.  A text is split at
// tabs: the first piece is drawn at the left, the second centred, the third
// at the right of its part.
class QtStatusBar : public QWidget {
 public:
  QtStatusBar(HWND h, QWidget* parent) : QWidget(parent), m_h(h) {
    m_Edges.push_back(-1);
    m_Texts.resize(1);
    if (h->dwStyle & SBARS_SIZEGRIP) m_pGrip = new QSizeGrip(this);
    setFixedHeight(fontMetrics().height() + 6);
  }
  std::vector<int> m_Edges;         // right edge of each part; -1: to the right end
  std::vector<std::string> m_Texts; // text of each part as given

  // Moves the bar to the bottom edge of its parent's client area, full width.
  void Dock() {
    QWidget* p = parentWidget();
    if (!p) return;
    setGeometry(0, p->height() - height(), p->width(), height());
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (!m_pGrip) return;
    QSize g = m_pGrip->sizeHint();
    m_pGrip->setGeometry(width() - g.width(), height() - g.height(), g.width(), g.height());
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    int left = 0;
    for (size_t i = 0; i < m_Edges.size(); ++i) {
      int right = m_Edges[i] < 0 ? width() : std::min(m_Edges[i], width());
      if (right <= left) continue;
      QRect part(left, 0, right - left, height());
      QStyleOptionFrame frame;
      frame.initFrom(this);
      frame.rect = part.adjusted(1, 1, -1, -1);
      frame.state |= QStyle::State_Sunken;
      frame.lineWidth = 1;
      style()->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
      QRect text = part.adjusted(4, 1, -4, -1);
      QStringList pieces = QString::fromLocal8Bit(m_Texts[i].c_str()).split('\t');
      const Qt::Alignment align[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
      for (int k = 0; k < pieces.size() && k < 3; ++k)
        p.drawText(text, static_cast<int>(align[k] | Qt::AlignVCenter), pieces[k]);
      left = right;
    }
  }

 private:
  HWND m_h;                      // the status bar's window record
  QSizeGrip* m_pGrip = nullptr;  // size grip at the right end, or null
};

QtStatusBar* StatusOf(HWND h) { return static_cast<QtStatusBar*>(h->pTop); }

// Sends WM_COMMAND (id, BN_CLICKED) with the control in lParam to its parent,
// as a click on a button does.
void SendClick(HWND control) {
  Win_SendMessage(control->hwndParent, WM_COMMAND,
                  static_cast<WPARAM>(MAKELONG(static_cast<unsigned>(control->iCtlId), BN_CLICKED)),
                  reinterpret_cast<LPARAM>(control));
}

// The control's text as the local 8-bit encoding.
std::string TextOf(HWND h) {
  QString t;
  switch (h->iCtlKind) {
    case QTCTL_BUTTON: t = static_cast<QPushButton*>(h->pTop)->text(); break;
    case QTCTL_EDIT: t = static_cast<QLineEdit*>(h->pTop)->text(); break;
    case QTCTL_STATUS: return StatusOf(h)->m_Texts[0];
    default: t = h->pTop->windowTitle(); break;
  }
  return t.toLocal8Bit().toStdString();
}

void SetText(HWND h, const char* text) {
  QString t = QString::fromLocal8Bit(text ? text : "");
  switch (h->iCtlKind) {
    case QTCTL_BUTTON: static_cast<QPushButton*>(h->pTop)->setText(t); break;
    case QTCTL_EDIT: static_cast<QLineEdit*>(h->pTop)->setText(t); break;
    case QTCTL_STATUS:
      StatusOf(h)->m_Texts[0] = text ? text : "";
      h->pTop->update();
      break;
    default: h->pTop->setWindowTitle(t); break;
  }
}

LRESULT StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  QtStatusBar* bar = StatusOf(h);
  switch (msg) {
    case WM_SIZE: bar->Dock(); return 0;
    case SB_SETPARTS: {
      int n = static_cast<int>(wp);
      const int* edges = reinterpret_cast<const int*>(lp);
      if (n < 1 || n > 256 || !edges) return 0;
      bar->m_Edges.assign(edges, edges + n);
      bar->m_Texts.resize(static_cast<size_t>(n));
      bar->update();
      return 1;
    }
    case SB_GETPARTS: {
      int n = static_cast<int>(bar->m_Edges.size());
      int* out = reinterpret_cast<int*>(lp);
      for (int i = 0; out && i < n && i < static_cast<int>(wp); ++i) out[i] = bar->m_Edges[static_cast<size_t>(i)];
      return n;
    }
    case SB_SETTEXTA: {
      size_t part = wp & 0xFF;
      if (part >= bar->m_Texts.size()) return 0;
      bar->m_Texts[part] = lp ? reinterpret_cast<const char*>(lp) : "";
      bar->update();
      return 1;
    }
    case SB_GETTEXTA: {
      size_t part = wp & 0xFF;
      if (part >= bar->m_Texts.size()) return 0;
      return QtWin_CopyText(bar->m_Texts[part], reinterpret_cast<char*>(lp), 256);
    }
    default: return -1;  // not a status bar message
  }
}

// The procedure of every predefined control.
LRESULT ControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (h->iCtlKind == QTCTL_STATUS) {
    LRESULT r = StatusProc(h, msg, wp, lp);
    if (r != -1) return r;
  }
  switch (msg) {
    case WM_SETTEXT: SetText(h, reinterpret_cast<const char*>(lp)); return 1;
    case WM_GETTEXT: return QtWin_CopyText(TextOf(h), reinterpret_cast<char*>(lp), wp);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(TextOf(h).size());
    default: return Win_DefWindowProc(h, msg, wp, lp);
  }
}

}  // namespace

bool QtCtl_Build(HWND h, const char* className, const char* title, QWidget* parentWidget) {
  QString name = QString::fromLatin1(className).toUpper();
  QString text = QString::fromLocal8Bit(title);
  if (name == "BUTTON") {
    auto* b = new QtButton(h, text, parentWidget);
    b->setDefault((h->dwStyle & BS_DEFPUSHBUTTON) != 0);
    b->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(b, &QPushButton::clicked, [h]() {
      if (QtWin_IsLive(h)) SendClick(h);
    });
    h->pTop = b;
    h->iCtlKind = QTCTL_BUTTON;
  } else if (name == "EDIT") {
    auto* e = new QtEdit(h, parentWidget);
    e->setText(text);
    e->setFrame((h->dwStyle & WS_BORDER) != 0);
    if (h->dwStyle & ES_NUMBER)
      e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
    h->pTop = e;
    h->iCtlKind = QTCTL_EDIT;
  } else if (name == "SCROLLBAR") {
    h->iCtlKind = QTCTL_SCROLLBAR;
    h->pTop = QtWin_MakeBar(h, (h->dwStyle & SBS_VERT) ? SB_VERT : SB_HORZ, parentWidget);
  } else if (name == "MSCTLS_STATUSBAR32") {
    auto* s = new QtStatusBar(h, parentWidget);
    h->pTop = s;
    h->iCtlKind = QTCTL_STATUS;
  } else {
    return false;
  }
  h->pfnProc = ControlProc;
  return true;
}

// A window and every descendant of it.
static bool IsSelfOrDescendant(HWND h, HWND top) {
  for (; h; h = h->hwndParent) {
    if (h == top) return true;
    if (!(h->dwStyle & WS_CHILD)) return false;
  }
  return false;
}

static bool Usable(HWND c) { return c->pTop->isVisibleTo(c->pTop->parentWidget()) && Win_IsWindowEnabled(c); }

int Win_IsDialogMessage(HWND hwnd, MSG* msg) {
  if (!msg || !QtWin_IsLive(hwnd) || msg->message != WM_KEYDOWN || !QtWin_IsLive(msg->hwnd)) return 0;
  if (!IsSelfOrDescendant(msg->hwnd, hwnd)) return 0;
  std::vector<HWND> children = QtWin_Children(hwnd);
  switch (static_cast<int>(msg->wParam)) {
    case VK_RETURN: {
      HWND focus = Win_GetFocus();
      if (focus && focus->iCtlKind == QTCTL_BUTTON && focus->hwndParent == hwnd) {
        SendClick(focus);
        return 1;
      }
      for (HWND c : children)
        if (c->iCtlKind == QTCTL_BUTTON && (c->dwStyle & BS_DEFPUSHBUTTON) && Usable(c)) {
          SendClick(c);
          return 1;
        }
      HWND ok = Win_GetDlgItem(hwnd, IDOK);
      if (!ok) return 0;
      SendClick(ok);
      return 1;
    }
    case VK_ESCAPE: {
      HWND cancel = Win_GetDlgItem(hwnd, IDCANCEL);
      if (!cancel) return 0;
      SendClick(cancel);
      return 1;
    }
    case VK_TAB: {
      std::vector<HWND> stops;
      for (HWND c : children)
        if ((c->dwStyle & WS_TABSTOP) && Usable(c)) stops.push_back(c);
      if (stops.empty()) return 0;
      HWND focus = Win_GetFocus();
      auto at = std::find(stops.begin(), stops.end(), focus);
      bool back = (msg->lParam & WINQ_KEY_SHIFT_BIT) != 0;
      size_t n = stops.size(), i = 0;
      if (at == stops.end()) i = back ? n - 1 : 0;
      else i = back ? (static_cast<size_t>(at - stops.begin()) + n - 1) % n : (static_cast<size_t>(at - stops.begin()) + 1) % n;
      Win_SetFocus(stops[i]);  // selects an edit field's text
      return 1;
    }
    default: return 0;
  }
}
