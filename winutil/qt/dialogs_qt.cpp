// The modal services: message boxes and the open and save dialogs over
// QMessageBox and QFileDialog, and the seam through which tests answer them.
//
// The Win32 filter list (pairs of description and ";"-separated patterns) is
// shown with the descriptions as written; each pattern becomes a wildcard of
// character classes ("*.wav" -> "*.[wW][aA][vV]") so that names match
// without regard to letter case.  Qt's own dialog is used, not the desktop's,
// because only it applies these patterns as given.  When the user picks
// another type in the save dialog, the name's extension becomes that type's
// plain extension (Qt alone would paste in the character classes).
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
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
  bool bTypeFirst;      // type the name, then pick the type in the list as a user does
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

// The plain extension of each entry of a Win32 filter list ("wav" for
// "*.wav"); empty for an entry of several patterns or one without a dot.
QStringList PlainExtensions(const char* list) {
  QStringList exts;
  for (const char* p = list; p && *p;) {
    p += std::strlen(p) + 1;
    QString pattern = QString::fromLocal8Bit(p);
    p += std::strlen(p) + 1;
    int dot = static_cast<int>(pattern.lastIndexOf('.'));
    exts << (pattern.contains(';') || dot < 0 ? QString() : pattern.mid(dot + 1));
  }
  return exts;
}

// Index of the filter that the dialog reports (in full, or only its
// description when the details are hidden); -1 when none.
int IndexOfFilter(const QStringList& filters, const QString& reported) {
  int i = static_cast<int>(filters.indexOf(reported));
  for (int k = 0; i < 0 && k < filters.size(); ++k)
    if (filters[k].startsWith(reported + " (")) i = k;
  return i;
}

// The name with its extension (after the last dot of the file part) replaced
// by ext; a name without an extension, or an empty ext, leaves it as it is.
QString WithExtension(const QString& name, const QString& ext) {
  int slash = static_cast<int>(name.lastIndexOf('/'));
  int dot = static_cast<int>(name.lastIndexOf('.'));
  if (ext.isEmpty() || dot <= slash + 1) return name;
  return name.left(dot + 1) + ext;
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
  if (ofn->lpstrDefExt && *ofn->lpstrDefExt) dialog.setDefaultSuffix(QString::fromLocal8Bit(ofn->lpstrDefExt));
  QStringList filters = NameFilters(ofn->lpstrFilter);
  QStringList exts = PlainExtensions(ofn->lpstrFilter);
  if (save) {
    // Queued, so that it runs after the dialog's own rewrite of the name.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, filters, exts](const QString& reported) {
          auto* nameEdit = dialog.findChild<QLineEdit*>("fileNameEdit");
          int i = IndexOfFilter(filters, reported);
          if (nameEdit && i >= 0 && i < exts.size()) nameEdit->setText(WithExtension(nameEdit->text(), exts[i]));
        },
        Qt::QueuedConnection);
  }
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
      auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
      auto* nameEdit = dialog.findChild<QLineEdit*>("fileNameEdit");
      if (a.bTypeFirst && nameEdit && combo) {
        nameEdit->setText(QString::fromLocal8Bit(a.sPath.c_str()));
        // Home, then Down to the entry, as a user picks it from the keyboard.
        PressKey(combo, Qt::Key_Home);
        for (int i = 1; i < a.iFilterIndex; ++i) PressKey(combo, Qt::Key_Down);
        QTimer::singleShot(50, &dialog, [&dialog]() { QMetaObject::invokeMethod(&dialog, "accept"); });
        return;
      }
      if (a.iFilterIndex >= 1 && a.iFilterIndex <= filters.size()) dialog.selectNameFilter(filters[a.iFilterIndex - 1]);
      dialog.selectFile(QString::fromLocal8Bit(a.sPath.c_str()));
      QMetaObject::invokeMethod(&dialog, "accept");  // as the accept button does
    });
  }
  QtModalPump pump;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return 0;
  int chosen = IndexOfFilter(filters, dialog.selectedNameFilter());
  QString path = dialog.selectedFiles().first();
  // Accepted before the queued fix ran (a busy machine), the name may still
  // carry the dialog's pattern as its extension: it gets the type's plain one.
  if (save && chosen >= 0 && chosen < exts.size() && QFileInfo(path).suffix().contains('['))
    path = WithExtension(path, exts[chosen]);
  if (!StorePath(ofn, path)) return 0;
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
  g_Answer.bTypeFirst = false;
}

void WinTest_AnswerSaveDialogTypingFirst(const char* name, int filterIndex) {
  WinTest_AnswerFileDialog(name, filterIndex);
  g_Answer.bTypeFirst = true;
}
