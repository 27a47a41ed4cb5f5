// The help window over QTextBrowser: one top-level window, not modal, kept
// until the program ends; the user closes it (it hides) and Help shows it again.
#include <QPointer>
#include <QTextBrowser>

#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

QPointer<QTextBrowser> g_pHelp;  // the window, once it was shown

constexpr int HELP_WIDTH = 760;
constexpr int HELP_HEIGHT = 560;

}  // namespace

int Win_ShowHelpWindow(HWND owner, const char* title, const char* html) {
  Win_Init(nullptr, nullptr);
  if (!g_pHelp) {
    g_pHelp = new QTextBrowser();
    g_pHelp->setAttribute(Qt::WA_QuitOnClose, false);  // the editor's window decides when to quit
    g_pHelp->setOpenExternalLinks(true);
    g_pHelp->resize(HELP_WIDTH, HELP_HEIGHT);
  }
  g_pHelp->setWindowTitle(QString::fromLocal8Bit(title ? title : ""));
  g_pHelp->setHtml(QString::fromUtf8(html ? html : ""));
  if (QtWin_IsLive(owner)) {
    QRect r = owner->pTop->frameGeometry();
    g_pHelp->move(r.topLeft() + QPoint(40, 40));
  }
  g_pHelp->show();
  g_pHelp->raise();
  g_pHelp->activateWindow();
  return 1;
}

int Win_GetHelpWindowText(char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!g_pHelp || !g_pHelp->isVisible()) return 0;
  return QtWin_CopyText(g_pHelp->toPlainText().toLocal8Bit().toStdString(), buffer, static_cast<std::size_t>(size));
}

void WinTest_CloseHelpWindow(void) {
  if (g_pHelp) g_pHelp->close();
}
