// The modal services: message boxes and the open and save dialogs over
// QMessageBox and QFileDialog, and the seam through which tests answer them.
//
// The Win32 filter list (pairs of description and ";"-separated patterns) is
// shown with the descriptions as written; each pattern becomes a wildcard of
// character classes ("*.wav" -> "*.[wW][aA][vV]") so that names match
// without regard to letter case.  Qt's own dialog is used, not the desktop's,
// because only it applies these patterns as given.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <cstring>
#include <string>

#include "winutil/message_queue.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

WinModalSeam g_Seam{};  // the seam in force; all null: the real dialogs

// Answers that tests gave for the next real dialog.
struct PendingAnswer {
  bool bMessageBox;     // a message box answer is waiting
  int iButton;          // its button id, 0 Escape, -1 Enter
  bool bFileDialog;     // a file dialog answer is waiting
  bool bCancel;         // cancel the file dialog
  std::string sPath;    // the name to type
  int iFilterIndex;     // 1-based filter to choose, 0 keeps
};
PendingAnswer g_Answer{};

QWidget* OwnerWidget(HWND owner) { return QtWin_IsLive(owner) ? owner->pTop->window() : nullptr; }

void PressKey(QWidget* w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

// "*.wav" -> "*.[wW][aA][vV]": letters match in either case.
QString CaseFreePattern(const QString& pattern) {
  QString out;
  for (QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) out += QString("[%1%2]").arg(c.toLower()).arg(c.toUpper());
    else out += c;
  }
  return out;
}

// The Qt name filters of a Win32 filter list, in order.
QStringList NameFilters(const char* list) {
  QStringList filters;
  for (const char* p = list; p && *p;) {
    QString desc = QString::fromLocal8Bit(p);
    p += std::strlen(p) + 1;
    QStringList patterns = QString::fromLocal8Bit(p).split(';', Qt::SkipEmptyParts);
    p += std::strlen(p) + 1;
    for (QString& pat : patterns) pat = CaseFreePattern(pat.trimmed());
    filters << QString("%1 (%2)").arg(desc, patterns.join(' '));
  }
  return filters;
}

// Stores the chosen path (with the default extension when it has none); 0
// when it does not fit.
int StorePath(OPENFILENAMEA* ofn, QString path) {
  if (ofn->lpstrDefExt && *ofn->lpstrDefExt && QFileInfo(path).suffix().isEmpty() && !path.endsWith('.'))
    path += "." + QString::fromLocal8Bit(ofn->lpstrDefExt);
  QByteArray bytes = path.toLocal8Bit();
  if (!ofn->lpstrFile || static_cast<DWORD>(bytes.size()) + 1 > ofn->nMaxFile) return 0;
  std::memcpy(ofn->lpstrFile, bytes.constData(), static_cast<size_t>(bytes.size()) + 1);
  return 1;
}

int RunFileDialog(int save, OPENFILENAMEA* ofn) {
  if (!ofn) return 0;
  if (g_Seam.pfnFileDialog) return g_Seam.pfnFileDialog(save, ofn);
  Win_Init(nullptr, nullptr);
  QFileDialog dialog(OwnerWidget(ofn->hwndOwner));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save && !(ofn->Flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (ofn->lpstrTitle) dialog.setWindowTitle(QString::fromLocal8Bit(ofn->lpstrTitle));
  QStringList filters = NameFilters(ofn->lpstrFilter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    int pre = static_cast<int>(ofn->nFilterIndex);
    if (pre >= 1 && pre <= filters.size()) dialog.selectNameFilter(filters[pre - 1]);
  }
  QString proposed = ofn->lpstrFile ? QString::fromLocal8Bit(ofn->lpstrFile) : QString();
  if (!proposed.isEmpty()) {
    QFileInfo info(proposed);
    if (proposed.contains('/')) dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  if (g_Answer.bFileDialog) {
    PendingAnswer a = g_Answer;
    g_Answer.bFileDialog = false;
    QTimer::singleShot(0, &dialog, [&dialog, a, filters]() {
      if (a.bCancel) {
        dialog.reject();
        return;
      }
      if (a.iFilterIndex >= 1 && a.iFilterIndex <= filters.size()) dialog.selectNameFilter(filters[a.iFilterIndex - 1]);
      dialog.selectFile(QString::fromLocal8Bit(a.sPath.c_str()));
      QMetaObject::invokeMethod(&dialog, "accept");  // as the accept button does
    });
  }
  QtModalPump pump;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 0;
  // With the details hidden the dialog reports the description it shows.
  QString selected = dialog.selectedNameFilter();
  int chosen = static_cast<int>(filters.indexOf(selected));
  for (int i = 0; chosen < 0 && i < filters.size(); ++i)
    if (filters[i].startsWith(selected + " (")) chosen = i;
  if (!StorePath(ofn, dialog.selectedFiles().first())) return 0;
  ofn->nFilterIndex = chosen >= 0 ? static_cast<DWORD>(chosen + 1) : 0;
  return 1;
}

}  // namespace

QtModalPump::QtModalPump() {
  QObject::connect(&m_Timer, &QTimer::timeout, []() { WinQueue_DispatchAll(); });
  m_Timer.start(20);
}

void Win_SetModalSeam(const WinModalSeam* seam) { g_Seam = seam ? *seam : WinModalSeam{}; }

const WinModalSeam* Win_GetModalSeam(void) { return &g_Seam; }

int Win_MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  if (g_Seam.pfnMessageBox) return g_Seam.pfnMessageBox(owner, text, caption, type);
  Win_Init(nullptr, nullptr);
  QMessageBox box(OwnerWidget(owner));
  box.setWindowTitle(QString::fromLocal8Bit(caption ? caption : ""));
  box.setText(QString::fromLocal8Bit(text ? text : ""));
  switch (type & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  // The buttons in Win32 order with their results; Escape is Cancel, or the
  // only button of a box with one.
  struct Choice {
    QMessageBox::StandardButton button;  // the toolkit's button
    int id;                              // the IDOK, IDCANCEL, ... it answers
  };
  static constexpr Choice kOk[] = {{QMessageBox::Ok, IDOK}};
  static constexpr Choice kOkCancel[] = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
  static constexpr Choice kYesNo[] = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
  static constexpr Choice kYesNoCancel[] = {
      {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
  struct Choices {
    const Choice* items;  // one of the tables above
    size_t count;         // its length
    size_t size() const { return count; }
    const Choice& operator[](size_t i) const { return items[i]; }
    const Choice* begin() const { return items; }
    const Choice* end() const { return items + count; }
  } choices{kOk, 1};
  switch (type & 0x0F) {
    case MB_OKCANCEL: choices = {kOkCancel, 2}; break;
    case MB_YESNOCANCEL: choices = {kYesNoCancel, 3}; break;
    case MB_YESNO: choices = {kYesNo, 2}; break;
    default: break;
  }
  std::vector<QPushButton*> buttons;
  for (const Choice& c : choices) buttons.push_back(box.addButton(c.button));
  size_t def = (type & MB_DEFBUTTON3) ? 2 : (type & MB_DEFBUTTON2) ? 1 : 0;
  box.setDefaultButton(buttons[def < buttons.size() ? def : 0]);
  for (size_t i = 0; i < choices.size(); ++i)
    if (choices[i].id == IDCANCEL || choices.size() == 1) box.setEscapeButton(buttons[i]);
  if (g_Answer.bMessageBox) {
    int id = g_Answer.iButton;
    g_Answer.bMessageBox = false;
    QTimer::singleShot(0, &box, [&box, &buttons, choices, id]() {
      if (id == 0) return PressKey(&box, Qt::Key_Escape);
      if (id < 0) return PressKey(&box, Qt::Key_Return);
      for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].id == id) buttons[i]->click();
    });
  }
  QtModalPump pump;
  box.exec();
  for (size_t i = 0; i < choices.size(); ++i)
    if (box.clickedButton() == buttons[i]) return choices[i].id;
  return choices.size() == 1 ? IDOK : IDCANCEL;
}

int Win_GetOpenFileName(OPENFILENAMEA* ofn) { return RunFileDialog(0, ofn); }
int Win_GetSaveFileName(OPENFILENAMEA* ofn) { return RunFileDialog(1, ofn); }

void WinTest_AnswerMessageBox(int id) {
  g_Answer.bMessageBox = true;
  g_Answer.iButton = id;
}

void WinTest_AnswerFileDialog(const char* path, int filterIndex) {
  g_Answer.bFileDialog = true;
  g_Answer.bCancel = path == nullptr;
  g_Answer.sPath = path ? path : "";
  g_Answer.iFilterIndex = filterIndex;
}
