#pragma once
// The crash journal: while there are unsaved changes, a file in the per-user
// state folder holds what is needed to rebuild them: a snapshot of the
// channels as they were at the last load or save (written when the first
// change after it begins), then one record per transition (a step done,
// undone or redone) in its forward form.  Records go to the file as they
// come; once the state they lead to has been on screen for Journal_DelayMs
// (or at once, before the next change, when it already has been) they are
// flushed to disk and committed by rewriting the committed length in the
// file's head.  Bytes past that length (a write cut short by a crash) are
// ignored; anything damaged before it makes the whole journal refused.
//
// Each running editor writes its own file, "journal-<pid>.psj", and holds a
// lock on it; at start-up a file that no running instance locks is what a
// run that did not end normally left.  Portable (POSIX files), no window
// system.

struct AppState;

constexpr int JOURNAL_PATH_LEN = 512;  // path buffers, NUL included
// Milliseconds a state stays on screen before it is written; tests shorten it.
extern int Journal_DelayMs;

// The journal inside AppState.  Cleared to zero it is off (no folder).
struct EditJournal {
  char szDir[JOURNAL_PATH_LEN];   // folder of the journals; empty: no journal is kept
  char szPath[JOURNAL_PATH_LEN + 32];  // this run's journal file while open
  int iFd;                        // its descriptor + 1 (0: not open)
  long long llCommitted;          // bytes of the file committed
  long long llEnd;                // bytes written to the file (the next record goes after them)
  long long llChangedMs;          // steady-clock time of the last transition
  int iDirty;                     // 1 while records past the committed length wait for their commit
  int iBaseUnsaved;               // 1 when the snapshot itself is unsaved work (a recovered state)
  int iFailed;                    // 1 after a write failed: no journal until the next save point
};

// What a journal found at start-up holds, once read and checked.
struct JournalFound {
  char szPath[JOURNAL_PATH_LEN + 260];  // the journal file (folder and a directory entry's name)
  char szDataFile[JOURNAL_PATH_LEN];  // the data file its changes belong to
  long long llTime;                   // time of its last commit (seconds since 1970)
  int iDamaged;                       // 1 when it cannot be applied
  int iFd;                            // descriptor + 1 holding its lock while it is looked at
  AppState* pRebuilt;                 // its last committed state, rebuilt while it was checked (owned)
};

// The journal folder: $XDG_STATE_HOME/plotsmith, else ~/.local/state/plotsmith,
// created when missing.  0 when no folder can be had.
int Journal_DefaultDir(char* dir, int size);
// Turns the journal on in dir (null or "" turns it off).
void Journal_Setup(AppState* app, const char* dir);
// Before a change: commits what has been on screen long enough, and opens the
// journal with a snapshot of the current state when none is open.
void Journal_BeforeChange(AppState* app);
// A transition has been applied: its forward form, with the values read from
// the channels it left, is written after the records before it (not
// committed yet).  A failed write turns the journal
// off until the next save point.
struct HistoryStep;
void Journal_Transition(AppState* app, const HistoryStep* step, int forward);
// Commits the records written so far once the state has been on screen for
// Journal_DelayMs; the editor calls it from its 100 ms timer.
void Journal_Tick(AppState* app);
// Commits the records written so far now.  Returns 1, 0 on a failed write
// (the journal is then off until the next save point).
int Journal_Flush(AppState* app);
// Removes this run's journal (save point reached, or a normal end).
void Journal_Discard(AppState* app);
// Looks in dir for a journal no running instance holds; 1 when one was
// found (found filled, its lock held until Journal_CloseFound).  Its state
// is rebuilt aside at once, so that iDamaged is known before anyone asks.
int Journal_FindOrphan(const char* dir, JournalFound* found);
// Puts the found journal's rebuilt state into app's channels, data file
// name and active channel.  Returns 1, or 0 (app unchanged) for a damaged one.
int Journal_Recover(AppState* app, JournalFound* found);
// Releases the found journal's lock, its rebuilt state and deletes its file.
void Journal_CloseFound(JournalFound* found);
// Starts this run's journal over the current state as unsaved work (after a
// recovery), committed at once.
void Journal_StartUnsaved(AppState* app);
