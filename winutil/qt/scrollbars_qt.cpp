// Scroll bars: the window's own bars and "SCROLLBAR" controls.  The layer's
// Win32 scroll state is the truth and the QScrollBar only displays it; a user
// action on a bar becomes WM_HSCROLL / WM_VSCROLL and the bar is put back, so
// that only the program moves it.
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"

namespace {

// Index into pBar/Scroll of a bar argument, or -1 when the window has no such bar.
int BarIndex(HWND h, int bar) {
  if (!QtWin_IsLive(h)) return -1;
  int index = bar;
  if (h->iCtlKind == QTCTL_SCROLLBAR) {
    if (bar != SB_CTL) return -1;
    index = (h->dwStyle & SBS_VERT) ? SB_VERT : SB_HORZ;
  } else if (bar != SB_HORZ && bar != SB_VERT) {
    return -1;
  }
  return h->pBar[index] ? index : -1;
}

// The highest position the thumb can take: the range's top less the page.
long long ScrollTop(const QtScrollState& s) {
  return static_cast<long long>(s.iMax) - (s.iPage > 1 ? s.iPage - 1 : 0);
}

// Applies the layer's scroll state to the Qt bar without emitting signals.
void ShowScroll(HWND h, int index) {
  QScrollBar* sb = h->pBar[index];
  if (!sb) return;
  const QtScrollState& s = h->Scroll[index];
  long long top = ScrollTop(s);  // at most iMax, so an int from iMin up
  QSignalBlocker block(sb);
  sb->setRange(s.iMin, top < s.iMin ? s.iMin : static_cast<int>(top));
  sb->setPageStep(s.iPage > 0 ? s.iPage : 1);
  sb->setSliderPosition(s.iPos);
  sb->setValue(s.iPos);
  // The window's own bars grey out when there is nothing to scroll; a control
  // stays usable whatever its range (its page and position often stay 0).
  if (h->iCtlKind != QTCTL_SCROLLBAR) sb->setEnabled(top > s.iMin);
}

int ScrollCodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
  }
}

// Own bars notify the window with lParam 0; a control notifies its parent
// with itself in lParam.
void SendScroll(HWND h, int index, int code, int pos) {
  UINT msg = index == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
  WPARAM wp = static_cast<WPARAM>(MAKELONG(static_cast<unsigned>(code), static_cast<unsigned>(pos)));
  if (h->iCtlKind == QTCTL_SCROLLBAR) Win_SendMessage(h->hwndParent, msg, wp, reinterpret_cast<LPARAM>(h));
  else Win_SendMessage(h, msg, wp, 0);
}

void OnBarAction(HWND h, int index, int action) {
  if (!QtWin_IsLive(h)) return;
  QScrollBar* sb = h->pBar[index];
  int code = ScrollCodeOf(action);
  int track = sb->sliderPosition();
  sb->setSliderPosition(h->Scroll[index].iPos);
  if (code < 0) return;
  if (code == SB_THUMBTRACK) {
    h->iTrackPos[index] = track;
    SendScroll(h, index, SB_THUMBTRACK, track);
    return;
  }
  SendScroll(h, index, code, 0);
  if (QtWin_IsLive(h) && !sb->isSliderDown()) SendScroll(h, index, SB_ENDSCROLL, 0);
}

void OnBarReleased(HWND h, int index) {
  if (!QtWin_IsLive(h)) return;
  SendScroll(h, index, SB_THUMBPOSITION, h->iTrackPos[index]);
  if (QtWin_IsLive(h)) SendScroll(h, index, SB_ENDSCROLL, 0);
}

// Win32 rules: the page fits the range, the position fits range and page.
void ClampScroll(QtScrollState* s) {
  long long span = static_cast<long long>(s->iMax) - s->iMin + 1;
  if (span < 0) span = 0;
  if (s->iPage < 0) s->iPage = 0;
  if (s->iPage > span) s->iPage = static_cast<int>(span);
  long long top = ScrollTop(*s);
  if (s->iPos > top) s->iPos = static_cast<int>(top);
  if (s->iPos < s->iMin) s->iPos = s->iMin;
}

// The wheel over a bar does not move it: the window's own bars are part of
// the window, so it gets WM_MOUSEWHEEL; over a control, its parent gets it.
class QtBarWheel : public QObject {
 public:
  QtBarWheel(HWND h, QObject* parent) : QObject(parent), m_h(h) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::Wheel) return false;
    if (QtWin_IsLive(m_h))
      QtWin_SendWheel(m_h->iCtlKind == QTCTL_SCROLLBAR ? m_h->hwndParent : m_h, static_cast<QWheelEvent*>(e));
    return true;
  }

 private:
  HWND m_h;  // the bar's window, or the window whose own bar it is
};

}  // namespace

QScrollBar* QtWin_MakeBar(HWND h, int index, QWidget* parent) {
  auto* sb = new QScrollBar(index == SB_HORZ ? Qt::Horizontal : Qt::Vertical, parent);
  sb->setFocusPolicy(Qt::NoFocus);
  sb->installEventFilter(new QtBarWheel(h, sb));
  h->pBar[index] = sb;
  QObject::connect(sb, &QAbstractSlider::actionTriggered, [h, index](int a) { OnBarAction(h, index, a); });
  QObject::connect(sb, &QAbstractSlider::sliderReleased, [h, index]() { OnBarReleased(h, index); });
  ShowScroll(h, index);
  return sb;
}

int Win_SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, int) {
  int index = BarIndex(h, bar);
  if (index < 0 || !si) return 0;
  QtScrollState& s = h->Scroll[index];
  if (si->fMask & SIF_RANGE) {
    s.iMin = si->nMin;
    s.iMax = si->nMax;
  }
  if (si->fMask & SIF_PAGE) s.iPage = si->nPage > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(si->nPage);
  if (si->fMask & SIF_POS) s.iPos = si->nPos;
  ClampScroll(&s);
  ShowScroll(h, index);
  return s.iPos;
}

int Win_GetScrollInfo(HWND h, int bar, SCROLLINFO* si) {
  int index = BarIndex(h, bar);
  if (index < 0 || !si) return 0;
  const QtScrollState& s = h->Scroll[index];
  if (si->fMask & SIF_RANGE) {
    si->nMin = s.iMin;
    si->nMax = s.iMax;
  }
  if (si->fMask & SIF_PAGE) si->nPage = static_cast<UINT>(s.iPage);
  if (si->fMask & SIF_POS) si->nPos = s.iPos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = h->iTrackPos[index];
  return 1;
}

void QtWin_TriggerScroll(HWND h, int bar, int code, int pos) {
  int index = BarIndex(h, bar);
  if (index < 0) return;
  QScrollBar* sb = h->pBar[index];
  switch (code) {
    case SB_LINEUP: sb->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case SB_LINEDOWN: sb->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case SB_PAGEUP: sb->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case SB_PAGEDOWN: sb->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case SB_TOP: sb->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case SB_BOTTOM: sb->triggerAction(QAbstractSlider::SliderToMaximum); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      sb->setSliderDown(true);
      sb->setSliderPosition(pos);
      sb->setSliderDown(false);
      break;
    default: break;
  }
}
