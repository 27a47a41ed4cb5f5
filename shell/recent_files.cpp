// The recent-files list of the File menu: up to eight paths, newest first,
// kept in the settings file and shown as "&1 name" ... "&8 name" between the
// Save item and the separator before Exit.  Loading into channel 0 and saving
// add to it; choosing an entry opens it.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/plotwin.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

// The message part's text while a recent entry shows its path in it.
char s_szHiddenStatus[2 * APP_TEXT_LEN];
int s_iStatusHidden;  // 1 while s_szHiddenStatus waits to be put back

void KeyOf(int i, char* key, size_t size) { std::snprintf(key, size, "File%d", i + 1); }

// Writes the whole list; unused keys are emptied.
void StoreList(const AppState* app) {
  for (int i = 0; i < RECENT_FILE_MAX; ++i) {
    char key[16];
    KeyOf(i, key, sizeof key);
    Profile_WriteString(RECENT_SECTION, key, i < app->iRecentFiles ? app->szRecentFile[i] : "", SETTINGS_FILE);
  }
}

// The menu text of entry i: "&N name" with the file part of the path, its
// ampersands doubled so that they show.
void EntryText(const char* path, int i, char* text, size_t size) {
  const char* slash = std::strrchr(path, '/');
  std::string name;
  for (const char* p = slash ? slash + 1 : path; *p; ++p) name += *p == '&' ? "&&" : std::string(1, *p);
  std::snprintf(text, size, "&%d %s", i + 1, name.c_str());
}

// Replaces the recent block of the File menu (a separator and the entries)
// with the current list; nothing is shown for an empty list.
void ShowList(AppState* app) {
  HMENU file = Win_GetSubMenu(app->hMainMenu, 0);
  if (!file) return;
  int first = -1, last = -1;
  for (int pos = 0; pos < Win_GetMenuItemCount(file); ++pos) {
    int id = Win_GetMenuItemID(file, pos);
    if (id >= IDM_RECENT_FIRST && id < IDM_RECENT_FIRST + RECENT_FILE_MAX) {
      if (first < 0) first = pos;
      last = pos;
    }
  }
  if (first > 0)
    for (int pos = last; pos >= first - 1; --pos) Win_DeleteMenu(file, static_cast<UINT>(pos), MF_BYPOSITION);
  if (app->iRecentFiles == 0) return;
  // Before the separator that precedes Exit.
  int at = 0;
  while (at < Win_GetMenuItemCount(file) && Win_GetMenuItemID(file, at) != IDM_EXIT) ++at;
  at = at > 0 ? at - 1 : at;
  Win_InsertMenu(file, static_cast<UINT>(at), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  for (int i = 0; i < app->iRecentFiles; ++i) {
    char text[2 * APP_TEXT_LEN + 8];
    EntryText(app->szRecentFile[i], i, text, sizeof text);
    Win_InsertMenu(file, static_cast<UINT>(at + 1 + i), MF_BYPOSITION | MF_STRING,
                   static_cast<std::uintptr_t>(IDM_RECENT_FIRST + i), text);
  }
}

// Takes entry i off the list.
void RemoveEntry(AppState* app, int i) {
  for (int k = i; k + 1 < app->iRecentFiles; ++k) AppState_CopyText(app->szRecentFile[k], app->szRecentFile[k + 1]);
  --app->iRecentFiles;
}

}  // namespace

void PlotWin_LoadRecentFiles(AppState* app) {
  if (!app) return;
  app->iRecentFiles = 0;
  for (int i = 0; i < RECENT_FILE_MAX; ++i) {
    char key[16];
    KeyOf(i, key, sizeof key);
    char* slot = app->szRecentFile[app->iRecentFiles];
    if (Profile_GetString(RECENT_SECTION, key, "", slot, APP_TEXT_LEN, SETTINGS_FILE) > 0) ++app->iRecentFiles;
  }
  ShowList(app);
}

void PlotWin_AddRecentFile(AppState* app, const char* path) {
  if (!app || !path || !*path) return;
  char full[APP_TEXT_LEN];
  char* resolved = realpath(path, nullptr);  // the file exists: it was just loaded or saved
  AppState_CopyText(full, resolved ? resolved : path);
  std::free(resolved);
  if (std::strlen(full) >= static_cast<size_t>(APP_TEXT_LEN - 1)) return;  // cut paths would open other files
  for (int i = 0; i < app->iRecentFiles; ++i)
    if (std::strcmp(app->szRecentFile[i], full) == 0) RemoveEntry(app, i--);
  if (app->iRecentFiles == RECENT_FILE_MAX) --app->iRecentFiles;
  for (int k = app->iRecentFiles; k > 0; --k) AppState_CopyText(app->szRecentFile[k], app->szRecentFile[k - 1]);
  AppState_CopyText(app->szRecentFile[0], full);
  ++app->iRecentFiles;
  StoreList(app);
  ShowList(app);
}

void PlotWin_OpenRecentFile(AppState* app, int i) {
  if (!app || i < 0 || i >= app->iRecentFiles) return;
  char path[APP_TEXT_LEN];
  AppState_CopyText(path, app->szRecentFile[i]);
  struct stat st{};
  if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) {
    RemoveEntry(app, i);
    StoreList(app);
    ShowList(app);
    s_iStatusHidden = 0;  // the removal's text stays
    char text[APP_TEXT_LEN + 80];
    std::snprintf(text, sizeof text, "\"%s\" no longer exists; it was taken off the recent files", path);
    WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, text);
    return;
  }
  s_iStatusHidden = 0;  // the load's text replaces the path shown
  if (!PlotWin_ConfirmDiscard(app)) return;
  AppState_CopyText(app->szDataFile, path);
  PlotWin_LoadFile(app, app->szDataFile, 0);
}

void PlotWin_OnMenuSelect(AppState* app, int id, int flags) {
  if (!app) return;
  int i = id - IDM_RECENT_FIRST;
  if (flags != 0xFFFF && i >= 0 && i < app->iRecentFiles) {
    if (!s_iStatusHidden) {
      Win_SendMessage(app->hwndStatus, SB_GETTEXTA, static_cast<WPARAM>(STATUS_PART_MESSAGE),
                      reinterpret_cast<LPARAM>(s_szHiddenStatus));
      s_iStatusHidden = 1;
    }
    WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, app->szRecentFile[i]);
  } else if (s_iStatusHidden) {
    s_iStatusHidden = 0;
    WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, s_szHiddenStatus);
  }
}
