#pragma once
// Progress of long work (a load, a save, a filter, a crop): the work reports
// every so often how much of it is done, and the record's function shows
// that and says whether to go on.  Portable: the window that shows it lives
// in winutil/, the command-line indicator in cli/.

// Who watches one piece of work; cleared to zero nobody does.
struct WorkProgress {
  int (*pfnReport)(void* pContext, long long done, long long total);  // 0 asks the work to stop
  void* pContext;  // handed to pfnReport
  int fStopped;    // set once pfnReport asked to stop; the work then stops at its next report
};

// Reports done of total units; returns 1 to go on, 0 when the work is to
// stop (also on every later call once stopped).  A null record, or one
// without a function, always gives 1.
int Progress_Report(WorkProgress* p, long long done, long long total);
