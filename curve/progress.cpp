// The one entry through which work reports its progress, and the mapping of
// a part's reports onto its share of the whole.
#include "curve/progress.h"

namespace {

int Part_Report(void* context, long long done, long long total) {
  auto* part = static_cast<ProgressPart*>(context);
  return Progress_Report(part->pOuter, part->llFrom + (total > 0 ? part->llSpan * done / total : 0), 100);
}

}  // namespace

int Progress_Report(WorkProgress* p, long long done, long long total) {
  if (!p || !p->pfnReport) return 1;
  if (!p->fStopped && !p->pfnReport(p->pContext, done, total)) p->fStopped = 1;
  return p->fStopped ? 0 : 1;
}

WorkProgress* Progress_Part(ProgressPart* part, WorkProgress* outer, long long from, long long span) {
  if (!part || !outer) return nullptr;
  *part = ProgressPart{WorkProgress{Part_Report, part, 0}, outer, from, span};
  return &part->Inner;
}
