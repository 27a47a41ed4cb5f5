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

// One part of a larger piece of work: the part reports done of total of its
// own, and the whole hears it as the same fraction of the part's share.
struct ProgressPart {
  WorkProgress Inner;    // what the part reports to
  WorkProgress* pOuter;  // the whole's watcher
  long long llFrom;      // where the part starts, in hundredths of the whole
  long long llSpan;      // its share, in hundredths
};

// Sets part up as hundredths from .. from + span of outer and returns the
// record the part reports to; null when outer is null (nobody watches).
WorkProgress* Progress_Part(ProgressPart* part, WorkProgress* outer, long long from, long long span);
