#pragma once
// The progress window of long work: a small modal window over the owner (its
// title says what runs; a bar; "Cancel") that appears once the work has run
// longer than a delay.  The work runs on the user-interface thread and
// reports through a WorkProgress record; each report runs the window's own
// message loop for a moment while the owner is disabled, so the owner keeps
// painting.  Cancel, Escape or the close box stop the work at its next
// report.  When the modal seam answers progress, no window is shown at all.

#include "curve/progress.h"
#include "winutil/wintypes.h"

constexpr int PROGRESS_DEFAULT_DELAY_MS = 500;  // work shorter than this shows no window

// Starts watching work titled title (the window's title) over owner and points
// progress at the watcher.  One piece of work at a time: while one is watched,
// a second call leaves progress cleared (its work runs unwatched) and gives 0;
// otherwise 1.
int Progress_Begin(HWND owner, const char* title, WorkProgress* progress);
// Takes a report of done of total units: shows the window once the delay has
// passed, moves its bar and runs its message loop; 1 to go on, 0 when the
// user cancelled (or the seam said stop).
int Progress_Step(long long done, long long total);
// Ends the watched work: closes the window, enables and focuses the owner again.
void Progress_End(void);
// Sets the delay before the window appears (tests set 0 to see it at once).
void Progress_SetDelay(int ms);
