// The progress window over Qt: a top-level widget of its own (not a child of
// the owner, which is disabled while it shows) with a bar and "Cancel",
// centred over the owner.  The work runs on this thread, so every report
// runs the message loop for a moment: the toolkit's events (the owner's
// repaints, the window's button and keys) and the layer's queued messages.
// The loop runs at most every 30 ms, so frequent reports cost little.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "winutil/progress.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

constexpr int kBarSteps = 1000;  // the bar's resolution
constexpr int kPumpEveryMs = 30;
constexpr int kWidth = 360;

// The window: Escape and the close box cancel as the button does.
class ProgressWidget : public QWidget {
 public:
  int iCancelled = 0;  // the user asked to stop

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape) iCancelled = 1;
    else QWidget::keyPressEvent(e);
  }
  void closeEvent(QCloseEvent* e) override {
    iCancelled = 1;
    e->ignore();  // Progress_End closes it
  }
};

// The watched work; one at a time.
struct ProgressState {
  int fActive;            // Progress_Begin .. Progress_End
  HWND hwndOwner;         // the window disabled while the progress window shows
  HWND hwndFocus;         // the focus before the window appeared
  QString sTitle;         // what runs
  QElapsedTimer Clock;    // time since Progress_Begin
  qint64 llLastPump;      // Clock's time of the last message loop run
  ProgressWidget* pWindow;  // the window once shown, else null
  QProgressBar* pBar;       // its bar
  QPushButton* pCancel;     // its button
};
ProgressState g_State;
int g_iDelayMs = PROGRESS_DEFAULT_DELAY_MS;

int Report(void*, long long done, long long total) { return Progress_Step(done, total); }

void ShowWindow() {
  ProgressState& s = g_State;
  s.pWindow = new ProgressWidget;
  s.pWindow->setWindowTitle(s.sTitle);
  s.pWindow->setWindowFlag(Qt::Dialog);
  auto* layout = new QVBoxLayout(s.pWindow);
  s.pBar = new QProgressBar(s.pWindow);
  s.pBar->setRange(0, kBarSteps);
  s.pCancel = new QPushButton("Cancel", s.pWindow);
  QObject::connect(s.pCancel, &QPushButton::clicked, [] { g_State.pWindow->iCancelled = 1; });
  layout->addWidget(s.pBar);
  layout->addWidget(s.pCancel, 0, Qt::AlignHCenter);
  s.pWindow->resize(kWidth, s.pWindow->sizeHint().height());
  s.hwndFocus = Win_GetFocus();
  if (QtWin_IsLive(s.hwndOwner)) {
    QRect o = s.hwndOwner->pTop->window()->geometry();
    s.pWindow->move(o.center() - QPoint(kWidth / 2, s.pWindow->height() / 2));
    Win_EnableWindow(s.hwndOwner, 0);
  }
  s.pWindow->show();
  s.pWindow->activateWindow();
  s.pCancel->setFocus();
}

}  // namespace

int Progress_Begin(HWND owner, const char* title, WorkProgress* progress) {
  if (progress) *progress = WorkProgress{};
  if (g_State.fActive) return 0;
  Win_Init(nullptr, nullptr);
  g_State = ProgressState{};
  g_State.fActive = 1;
  g_State.hwndOwner = owner;
  g_State.sTitle = QString::fromLocal8Bit(title ? title : "");
  g_State.Clock.start();
  if (progress) progress->pfnReport = Report;
  return 1;
}

int Progress_Step(long long done, long long total) {
  ProgressState& s = g_State;
  if (!s.fActive) return 1;
  qint64 now = s.Clock.elapsed();
  if (!s.pWindow && now < g_iDelayMs) return 1;
  const WinModalSeam* seam = Win_GetModalSeam();
  if (seam->pfnProgress)
    return seam->pfnProgress(s.hwndOwner, s.sTitle.toLocal8Bit().constData(), done, total);
  if (!s.pWindow) ShowWindow();
  else if (now - s.llLastPump < kPumpEveryMs) return !s.pWindow->iCancelled;
  s.llLastPump = now;
  double part = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
  s.pBar->setValue(static_cast<int>((part < 0.0 ? 0.0 : (part > 1.0 ? 1.0 : part)) * kBarSteps));
  Win_PumpMessages();
  return !s.pWindow->iCancelled;
}

void Progress_End(void) {
  ProgressState& s = g_State;
  if (!s.fActive) return;
  if (s.pWindow) {
    Win_EnableWindow(s.hwndOwner, 1);
    delete s.pWindow;
    Win_SetFocus(s.hwndFocus);
  }
  s = ProgressState{};
}

void Progress_SetDelay(int ms) { g_iDelayMs = ms < 0 ? 0 : ms; }

int WinTest_ProgressWindow(char* title, int size, int* permille) {
  const ProgressState& s = g_State;
  if (!s.pWindow || !s.pWindow->isVisible()) return 0;
  if (title) QtWin_CopyText(s.pWindow->windowTitle().toLocal8Bit().toStdString(), title, static_cast<std::size_t>(size));
  if (permille) *permille = s.pBar->value();
  return 1;
}

void WinTest_CancelProgress(int escape) {
  ProgressState& s = g_State;
  if (!s.pWindow) return;
  if (escape) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(s.pWindow, &press);
  } else {
    s.pCancel->click();
  }
}
