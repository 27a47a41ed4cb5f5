// Menus: a Win32 menu tree kept by the layer, shown through QMenuBar, QMenu and
// QAction.  The tree is the truth (texts, ids, check marks, grayed state); the
// Qt objects only display it.  Item texts keep the Win32 notation, which Qt
// reads alike: "&" marks the mnemonic, "&&" shows one ampersand and the text
// after "\t" is drawn right-aligned as the shortcut.
//
// A menu bar belongs to the window it is given to: opening any of its popups
// sends WM_INITMENU to that window first, and choosing an item sends
// WM_COMMAND (id in the low word, 0 in the high word and in lParam).  A popup
// shown by Win_TrackPopupMenu posts the chosen command to its owner instead.
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

struct MenuItem {
  UINT uId;           // command id (0 for separators and popups)
  UINT uFlags;        // MF_CHECKED, MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_POPUP
  std::string sText;  // Win32 item text
  HMENU hSub;         // the popup of an MF_POPUP item
  QAction* pAction;   // what shows the item
};

}  // namespace

struct WinMenu {
  bool bBar;                    // a menu bar (Win_CreateMenu) rather than a popup
  std::vector<MenuItem> Items;  // the items in order
  HMENU hParent;                // the menu holding this popup, or null
  HWND hwndOwner;               // the window a bar is attached to
  QMenuBar* pBar;               // the widget of a bar
  QMenu* pMenu;                 // the widget of a popup
};

namespace {

int g_iNextPopupChoice = 0;  // command that the next tracked popup picks at once (tests)

std::set<HMENU>& Menus() {
  static std::set<HMENU> menus;
  return menus;
}

bool IsMenu(HMENU m) { return m && Menus().count(m) != 0; }

QWidget* WidgetOf(HMENU m) { return m->bBar ? static_cast<QWidget*>(m->pBar) : m->pMenu; }

HMENU RootOf(HMENU m) {
  while (m->hParent) m = m->hParent;
  return m;
}

// Brings an item's QAction in line with the tree.
void ShowItem(const MenuItem& it) {
  QAction* a = it.pAction;
  if (it.uFlags & MF_SEPARATOR) return;
  a->setText(QString::fromLocal8Bit(it.sText.c_str()));
  a->setEnabled(!(it.uFlags & (MF_GRAYED | MF_DISABLED)));
  bool checked = (it.uFlags & MF_CHECKED) != 0;
  a->setCheckable(checked);  // unchecked items show no check box at all
  a->setChecked(checked);
}

// The item with the command id (searching popups depth first), or by position.
MenuItem* FindItem(HMENU menu, UINT item, bool byPosition, HMENU* holder = nullptr) {
  if (!IsMenu(menu)) return nullptr;
  if (byPosition) {
    if (item >= menu->Items.size()) return nullptr;
    if (holder) *holder = menu;
    return &menu->Items[item];
  }
  for (MenuItem& it : menu->Items) {
    if (it.uFlags & MF_POPUP) {
      if (MenuItem* found = FindItem(it.hSub, item, false, holder)) return found;
    } else if (!(it.uFlags & MF_SEPARATOR) && it.uId == item) {
      if (holder) *holder = menu;
      return &it;
    }
  }
  return nullptr;
}

// The item shown by a QAction anywhere below menu.
MenuItem* ItemOfAction(HMENU menu, const QAction* a) {
  for (MenuItem& it : menu->Items) {
    if (it.pAction == a) return &it;
    if (it.hSub)
      if (MenuItem* found = ItemOfAction(it.hSub, a)) return found;
  }
  return nullptr;
}

void SendInitMenu(HMENU bar) {
  if (bar->bBar && QtWin_IsLive(bar->hwndOwner))
    Win_SendMessage(bar->hwndOwner, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
}

// A command item was chosen: in a bar's tree its command goes to the window.
void OnTriggered(HMENU menu, QAction* a) {
  if (!IsMenu(menu)) return;
  MenuItem* it = ItemOfAction(menu, a);
  if (!it) return;
  ShowItem(*it);  // Qt toggled a checkable action by itself; the tree decides
  HMENU root = RootOf(menu);
  if (!root->bBar || !QtWin_IsLive(root->hwndOwner)) return;  // a tracked popup answers through exec
  if (menu == root) SendInitMenu(root);  // a command item of the bar opens no popup first
  Win_SendMessage(root->hwndOwner, WM_COMMAND, static_cast<WPARAM>(MAKELONG(it->uId, 0)), 0);
}

// The pointer rests on an item: its owner window hears of it.
void OnHovered(HMENU menu, QAction* a) {
  if (!IsMenu(menu)) return;
  MenuItem* it = ItemOfAction(menu, a);
  HMENU root = RootOf(menu);
  if (!it || !root->bBar || !QtWin_IsLive(root->hwndOwner)) return;
  WPARAM wp = static_cast<WPARAM>(MAKELONG(it->uId, it->uFlags & 0xFFFF));
  Win_SendMessage(root->hwndOwner, WM_MENUSELECT, wp, reinterpret_cast<LPARAM>(menu));
}

HMENU NewMenu(bool bar) {
  Win_Init(nullptr, nullptr);
  auto* m = new WinMenu();
  m->bBar = bar;
  if (bar) {
    m->pBar = new QMenuBar();
    m->pBar->setNativeMenuBar(false);
  } else {
    m->pMenu = new QMenu();
    // Opening a popup of a bar lets the window bring the items up to date.
    QObject::connect(m->pMenu, &QMenu::aboutToShow, [m]() {
      if (IsMenu(m) && m->hParent && m->hParent->bBar) SendInitMenu(m->hParent);
    });
    QObject::connect(m->pMenu, &QMenu::aboutToHide, [m]() {
      HMENU root = IsMenu(m) ? RootOf(m) : nullptr;
      if (root && root->bBar && QtWin_IsLive(root->hwndOwner))
        Win_SendMessage(root->hwndOwner, WM_MENUSELECT, static_cast<WPARAM>(MAKELONG(0, 0xFFFF)), 0);
    });
  }
  Menus().insert(m);
  return m;
}

// Frees a menu and its popups.  Their widgets go once control is back in the
// event loop: a command may free the very menu whose click is being handled.
void FreeMenu(HMENU m) {
  for (MenuItem& it : m->Items)
    if (it.hSub) FreeMenu(it.hSub);
  Menus().erase(m);
  QWidget* w = WidgetOf(m);
  w->disconnect();
  for (QAction* a : w->actions()) a->disconnect();
  w->hide();
  w->deleteLater();
  delete m;
}

}  // namespace

HMENU Win_CreateMenu(void) { return NewMenu(true); }
HMENU Win_CreatePopupMenu(void) { return NewMenu(false); }

int Win_AppendMenu(HMENU menu, UINT flags, std::uintptr_t idOrPopup, const char* text) {
  if (!IsMenu(menu)) return 0;
  return Win_InsertMenu(menu, static_cast<UINT>(menu->Items.size()), flags | MF_BYPOSITION, idOrPopup, text);
}

int Win_InsertMenu(HMENU menu, UINT item, UINT flags, std::uintptr_t idOrPopup, const char* text) {
  if (!IsMenu(menu)) return 0;
  size_t pos = menu->Items.size();
  if (flags & MF_BYPOSITION) {
    pos = std::min<size_t>(item, pos);
  } else {
    pos = 0;
    while (pos < menu->Items.size() && !(menu->Items[pos].uId == item && !(menu->Items[pos].uFlags & MF_POPUP))) ++pos;
    if (pos == menu->Items.size()) return 0;
  }
  MenuItem it{};
  it.uFlags = flags & (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP);
  it.sText = text ? text : "";
  QWidget* w = WidgetOf(menu);
  if (flags & MF_POPUP) {
    auto sub = reinterpret_cast<HMENU>(idOrPopup);
    if (!IsMenu(sub) || sub->bBar || sub->hParent || sub == menu) return 0;
    sub->hParent = menu;
    it.hSub = sub;
    it.pAction = sub->pMenu->menuAction();
  } else {
    it.uId = static_cast<UINT>(idOrPopup);
    it.pAction = new QAction(w);
    if (flags & MF_SEPARATOR) it.pAction->setSeparator(true);
    QAction* a = it.pAction;
    QObject::connect(a, &QAction::triggered, [menu, a]() { OnTriggered(menu, a); });
    QObject::connect(a, &QAction::hovered, [menu, a]() { OnHovered(menu, a); });
  }
  ShowItem(it);
  QAction* before = pos < menu->Items.size() ? menu->Items[pos].pAction : nullptr;
  w->insertAction(before, it.pAction);
  menu->Items.insert(menu->Items.begin() + static_cast<std::ptrdiff_t>(pos), it);
  return 1;
}

int Win_DeleteMenu(HMENU menu, UINT item, UINT flags) {
  HMENU holder = nullptr;
  MenuItem* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0, &holder);
  if (!it) return 0;
  MenuItem gone = *it;
  holder->Items.erase(holder->Items.begin() + (it - holder->Items.data()));
  WidgetOf(holder)->removeAction(gone.pAction);
  if (gone.hSub) {
    gone.hSub->hParent = nullptr;
    FreeMenu(gone.hSub);
  } else {
    gone.pAction->disconnect();
    gone.pAction->deleteLater();  // it may be the action whose click is being handled
  }
  return 1;
}

int Win_CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!it) return -1;
  int before = static_cast<int>(it->uFlags & MF_CHECKED);
  it->uFlags = (it->uFlags & ~MF_CHECKED) | (flags & MF_CHECKED);
  ShowItem(*it);
  return before;
}

int Win_EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!it) return -1;
  int before = static_cast<int>(it->uFlags & (MF_GRAYED | MF_DISABLED));
  it->uFlags = (it->uFlags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  ShowItem(*it);
  return before;
}

int Win_SetMenuItemInfo(HMENU menu, UINT item, int byPosition, const MENUITEMINFOA* info) {
  MenuItem* it = FindItem(menu, item, byPosition != 0);
  if (!it || !info) return 0;
  if (info->fMask & MIIM_TYPE) {
    if (info->fType & MFT_SEPARATOR) {
      it->uFlags |= MF_SEPARATOR;
      it->pAction->setSeparator(true);
    } else {
      it->sText = info->dwTypeData ? info->dwTypeData : "";
    }
  }
  if (info->fMask & MIIM_STATE) {
    it->uFlags &= ~(MF_CHECKED | MF_GRAYED | MF_DISABLED);
    it->uFlags |= info->fState & (MFS_CHECKED | MFS_GRAYED);
  }
  if ((info->fMask & MIIM_ID) && !(it->uFlags & MF_POPUP)) it->uId = info->wID;
  ShowItem(*it);
  return 1;
}

int Win_GetMenuItemInfo(HMENU menu, UINT item, int byPosition, MENUITEMINFOA* info) {
  MenuItem* it = FindItem(menu, item, byPosition != 0);
  if (!it || !info) return 0;
  if (info->fMask & MIIM_TYPE) {
    info->fType = (it->uFlags & MF_SEPARATOR) ? MFT_SEPARATOR : MFT_STRING;
    QtWin_CopyText(it->sText, info->dwTypeData, info->cch);
    info->cch = static_cast<UINT>(it->sText.size());
  }
  if (info->fMask & MIIM_STATE) info->fState = it->uFlags & (MFS_CHECKED | MFS_GRAYED);
  if (info->fMask & MIIM_ID) info->wID = it->uId;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it->hSub;
  return 1;
}

int Win_GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = FindItem(menu, item, (flags & MF_BYPOSITION) != 0);
  return it ? static_cast<int>(it->uFlags) : -1;
}

int Win_GetMenuItemCount(HMENU menu) { return IsMenu(menu) ? static_cast<int>(menu->Items.size()) : -1; }

int Win_GetMenuItemID(HMENU menu, int pos) {
  if (!IsMenu(menu) || pos < 0 || pos >= static_cast<int>(menu->Items.size())) return -1;
  const MenuItem& it = menu->Items[static_cast<size_t>(pos)];
  return (it.uFlags & (MF_POPUP | MF_SEPARATOR)) ? -1 : static_cast<int>(it.uId);
}

HMENU Win_GetSubMenu(HMENU menu, int pos) {
  if (!IsMenu(menu) || pos < 0 || pos >= static_cast<int>(menu->Items.size())) return nullptr;
  return menu->Items[static_cast<size_t>(pos)].hSub;
}

int Win_DestroyMenu(HMENU menu) {
  if (!IsMenu(menu) || menu->hParent || menu->hwndOwner) return 0;
  FreeMenu(menu);
  return 1;
}

int Win_TrackPopupMenu(HMENU menu, UINT, int x, int y, int, HWND owner, const RECT*) {
  if (!IsMenu(menu) || menu->bBar || !QtWin_IsLive(owner)) return 0;
  int id = 0;
  if (g_iNextPopupChoice) {
    id = FindItem(menu, static_cast<UINT>(g_iNextPopupChoice), false) ? g_iNextPopupChoice : 0;
    g_iNextPopupChoice = 0;
  } else {
    QtModalPump pump;
    QAction* chosen = menu->pMenu->exec(QPoint(x, y));
    MenuItem* it = chosen && IsMenu(menu) ? ItemOfAction(menu, chosen) : nullptr;
    if (it) {
      ShowItem(*it);
      id = static_cast<int>(it->uId);
    }
  }
  if (id) Win_PostMessage(owner, WM_COMMAND, static_cast<WPARAM>(MAKELONG(static_cast<unsigned>(id), 0)), 0);
  return 1;
}

int QtMenu_AttachBar(HMENU bar, HWND h, QGridLayout* grid) {
  if (!IsMenu(bar) || !bar->bBar || bar->hwndOwner) return 0;
  bar->hwndOwner = h;
  grid->setMenuBar(bar->pBar);
  return 1;
}

void QtMenu_DestroyBar(HWND h) {
  HMENU bar = h->hMenu;
  h->hMenu = nullptr;
  if (!IsMenu(bar)) return;
  FreeMenu(bar);
}

int WinTest_HighlightMenuItem(HWND hwnd, int id) {
  if (!QtWin_IsLive(hwnd) || !IsMenu(hwnd->hMenu)) return 0;
  MenuItem* it = FindItem(hwnd->hMenu, static_cast<UINT>(id), false);
  if (!it) return 0;
  it->pAction->hover();
  return 1;
}

int WinTest_ChooseMenuItem(HWND hwnd, int id) {
  if (!QtWin_IsLive(hwnd) || !IsMenu(hwnd->hMenu)) return 0;
  HMENU holder = nullptr;
  MenuItem* it = FindItem(hwnd->hMenu, static_cast<UINT>(id), false, &holder);
  if (!it || !it->pAction->isEnabled()) return 0;
  QAction* a = it->pAction;
  // Open the chain of popups from the bar down, as the user's clicks would.
  std::vector<HMENU> chain;
  for (HMENU m = holder; m && !m->bBar; m = m->hParent) chain.insert(chain.begin(), m);
  for (HMENU m : chain) m->pMenu->popup(QPoint(0, 0));
  // A click on the item where the menu shows it, as the user's would.
  QWidget* w = WidgetOf(holder);
  QRect r = holder->bBar ? holder->pBar->actionGeometry(a) : holder->pMenu->actionGeometry(a);
  if (r.isEmpty()) {
    a->trigger();
  } else {
    QPointF c = QRectF(r).center();
    QPointer<QWidget> alive(w);
    QMouseEvent press(QEvent::MouseButtonPress, c, w->mapToGlobal(c), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, c, w->mapToGlobal(c), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    if (alive) QApplication::sendEvent(w, &release);
  }
  for (HMENU m : chain)
    if (IsMenu(m)) m->pMenu->hide();
  return 1;
}

void WinTest_ChooseNextPopupItem(int id) { g_iNextPopupChoice = id; }
