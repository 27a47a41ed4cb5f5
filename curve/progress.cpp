// The one entry through which work reports its progress.
#include "curve/progress.h"

int Progress_Report(WorkProgress* p, long long done, long long total) {
  if (!p || !p->pfnReport) return 1;
  if (!p->fStopped && !p->pfnReport(p->pContext, done, total)) p->fStopped = 1;
  return p->fStopped ? 0 : 1;
}
