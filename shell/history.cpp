// The edit history's steps: recording while a command runs, undo and redo,
// the budget and the save point.
//
// A step records primitive changes (HistoryOp) in the order they happen.  A
// SPAN keeps the old values of the range a command is about to overwrite
// (History_Touch grows it as a stroke moves on); its new values stay in the
// channel.  Undo swaps them: the channel's new values go into the op's
// buffer as the old ones come out of it, in place, so a step never holds
// both; redo swaps back.  Every allocation an undo or redo needs (a buffer
// that must grow, a channel's room) is had before anything changes, so a
// failure refuses the whole transition.  CROP and DELETE are done by the
// history itself, so that doing and redoing them run the same code.  Undo
// applies the changes backward in reverse order, redo forward in order; then
// the channel fields recorded before or after the step are set, so that
// ranges widened by the stores come back bit for bit.
#include "shell/history.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "shell/app_state.h"
#include "shell/journal.h"

namespace {

constexpr int kMoveChunk = 1 << 16;  // samples moved at a time when a crop shifts a channel

double* CopyValues(const double* src, int n) {
  if (n <= 0) return nullptr;
  double* p = static_cast<double*>(std::malloc(static_cast<size_t>(n) * sizeof(double)));
  if (p) std::memcpy(p, src, static_cast<size_t>(n) * sizeof(double));
  return p;
}

void FreeStep(HistoryStep* step) {
  if (!step) return;
  for (int i = 0; i < step->iOps; ++i) {
    std::free(step->pOps[i].pdOld);
    std::free(step->pOps[i].pdNew);
  }
  std::free(step->pOps);
  std::free(step);
}

// A new op of the open step, cleared; null when the list cannot grow (the
// step is then marked broken).
HistoryOp* AddOp(HistoryStep* step, int kind, int c) {
  if (step->iOps == step->iOpsCap) {
    int cap = step->iOpsCap ? 2 * step->iOpsCap : 4;
    void* p = std::realloc(step->pOps, static_cast<size_t>(cap) * sizeof(HistoryOp));
    if (!p) {
      step->iBroken = 1;
      return nullptr;
    }
    step->pOps = static_cast<HistoryOp*>(p);
    step->iOpsCap = cap;
  }
  HistoryOp* op = &step->pOps[step->iOps++];
  std::memset(op, 0, sizeof *op);
  op->iKind = kind;
  op->iChannel = c;
  return op;
}

// The open step's SPAN of channel c, or null.
HistoryOp* FindSpan(HistoryStep* step, int c) {
  for (int i = step->iOps - 1; i >= 0; --i)
    if (step->pOps[i].iKind == HISTORY_OP_SPAN && step->pOps[i].iChannel == c) return &step->pOps[i];
  return nullptr;
}

// Moves n samples of channel c from index from to index to through a bounded
// buffer, in the order that never reads a sample already overwritten.
void MoveSamples(AppState* app, int c, int from, int to, int n) {
  if (n <= 0 || from == to) return;
  double* buf = static_cast<double*>(std::malloc(static_cast<size_t>(kMoveChunk) * sizeof(double)));
  if (!buf) return;
  const double* src = nullptr;
  for (int done = 0; done < n;) {
    int k = n - done < kMoveChunk ? n - done : kMoveChunk;
    // Moving down: from the front; moving up: from the back.
    int off = to < from ? done : n - done - k;
    src = app->Channels.Channel[c].pdSamples;
    std::memcpy(buf, src + from + off, static_cast<size_t>(k) * sizeof(double));
    ChannelSet_SetSamples(&app->Channels, c, to + off, buf, k);
    done += k;
  }
  std::free(buf);
}

// Cuts channel c: h samples at the head and t at the tail.
void CropForward(AppState* app, int c, int h, int t) {
  CurveChannel* ch = &app->Channels.Channel[c];
  int keep = ch->iNrOfSamples - h - t;
  MoveSamples(app, c, h, 0, keep);
  Channel_SetCount(ch, keep);
}

// Puts the cut head and tail back around the kept samples.
void CropBackward(AppState* app, const HistoryOp* op) {
  int c = op->iChannel, keep = op->iNewCount;
  if (!Channel_Reserve(&app->Channels.Channel[c], op->iOldCount)) return;
  MoveSamples(app, c, 0, op->iFirst, keep);
  if (op->iOldN > 0) ChannelSet_SetSamples(&app->Channels, c, 0, op->pdOld, op->iOldN);
  if (op->iNewN > 0) ChannelSet_SetSamples(&app->Channels, c, op->iFirst + keep, op->pdNew, op->iNewN);
  Channel_SetCount(&app->Channels.Channel[c], op->iOldCount);
}

// Slot order of a deletion: where each old slot went (-1 removed).
void DeleteMoves(int mask, int* newSlot) {
  int kept = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) newSlot[c] = (mask & (1 << c)) ? -1 : kept++;
}

void DeleteForward(AppState* app, int mask) {
  CurveChannel* ch = app->Channels.Channel;
  int newSlot[MAX_CHANNELS];
  DeleteMoves(mask, newSlot);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (newSlot[c] < 0) Channel_Free(&ch[c]);
    else if (newSlot[c] != c) ch[newSlot[c]] = ch[c];
  }
  int kept = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) kept += newSlot[c] >= 0;
  for (int c = kept; c < MAX_CHANNELS; ++c) Channel_Init(&ch[c], 0);
}

// Moves the kept channels back up to their old slots; the removed slots
// become empty channels for the SPANs before to refill.
void DeleteBackward(AppState* app, int mask) {
  CurveChannel* ch = app->Channels.Channel;
  int newSlot[MAX_CHANNELS];
  DeleteMoves(mask, newSlot);
  for (int c = MAX_CHANNELS - 1; c >= 0; --c) {
    if (newSlot[c] >= 0 && newSlot[c] != c) {
      ch[c] = ch[newSlot[c]];
      Channel_Init(&ch[newSlot[c]], 0);
    }
  }
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (newSlot[c] < 0) Channel_Init(&ch[c], 0);
}

// Bytes of values a SPAN or CROP holds in the given state of its step.
long long OpBytes(const HistoryOp& op, int applied) {
  long long n = op.iKind == HISTORY_OP_CROP ? static_cast<long long>(op.iOldN) + op.iNewN
              : op.iKind == HISTORY_OP_SPAN  ? (applied ? op.iOldN : op.iNewN)
                                             : 0;
  return n * static_cast<long long>(sizeof(double));
}

// Channel room a SPAN needs to go in the given direction.
int SpanTargetCount(const HistoryOp& op, int forward) {
  int count = forward ? op.iNewCount : op.iOldCount;
  long long end = static_cast<long long>(op.iFirst) + (forward ? op.iNewN : op.iOldN);
  return end > count ? static_cast<int>(end) : count;
}

// Before a SPAN goes in the given direction: grows its buffer to hold the
// values the channel shows now, and (when reserve) the channel's room for
// the values going in.  0 when an allocation failed (the op holds the same
// values).
int PrepareSpan(AppState* app, HistoryOp* op, int forward, int reserve) {
  double*& buf = forward ? op->pdNew : op->pdOld;
  int held = forward ? op->iNewN : op->iOldN, shown = forward ? op->iOldN : op->iNewN;
  if (shown > held) {
    void* p = std::realloc(buf, static_cast<size_t>(shown) * sizeof(double));
    if (!p) return 0;
    buf = static_cast<double*>(p);
  }
  return !reserve || Channel_Reserve(&app->Channels.Channel[op->iChannel], SpanTargetCount(*op, forward));
}

// Moves a SPAN in the given direction by swapping the values the channel
// shows with the ones the op holds, in place (after PrepareSpan).
void SwapSpan(AppState* app, HistoryOp* op, int forward) {
  CurveChannel* ch = &app->Channels.Channel[op->iChannel];
  double*& from = forward ? op->pdNew : op->pdOld;
  double*& to = forward ? op->pdOld : op->pdNew;
  int in = forward ? op->iNewN : op->iOldN, out = forward ? op->iOldN : op->iNewN;
  if (!Channel_Reserve(ch, SpanTargetCount(*op, forward))) return;  // had before (MoveStep): no allocation here
  double* at = ch->pdSamples ? ch->pdSamples + op->iFirst : nullptr;
  int common = in < out ? in : out;
  // The channel's extra values first, then the swap, then the op's extra
  // values: none is read after it was overwritten.
  if (out > in) std::memcpy(from + in, at + in, static_cast<size_t>(out - in) * sizeof(double));
  for (int i = 0; i < common; ++i) {
    unsigned long long a, b;
    std::memcpy(&a, at + i, sizeof a);
    std::memcpy(&b, from + i, sizeof b);
    std::memcpy(at + i, &b, sizeof b);
    std::memcpy(from + i, &a, sizeof a);
  }
  if (in > out) std::memcpy(at + out, from + out, static_cast<size_t>(in - out) * sizeof(double));
  if (in > 0) ChannelSet_TakeStored(&app->Channels, op->iChannel, op->iFirst, in);
  Channel_SetCount(ch, SpanTargetCount(*op, forward));
  // The buffer now holds the values the channel no longer shows.
  if (out == 0) {
    std::free(from);
    from = nullptr;
  } else if (in > out) {
    void* p = std::realloc(from, static_cast<size_t>(out) * sizeof(double));
    if (p) from = static_cast<double*>(p);
  }
  to = from;
  from = nullptr;
}

void GetAllMeta(const AppState* app, ChannelMeta* meta) {
  for (int c = 0; c < MAX_CHANNELS; ++c) ChannelMeta_Get(&app->Channels.Channel[c], &meta[c]);
}

// Sets the recorded channel fields of a step's side and recounts the
// channels.  A channel the step stored into but whose fields it did not
// change gets its data range back: the stores track the values they write,
// which does not give back a range that was not valid (one that follows the
// values one by one).
void SetMeta(AppState* app, const HistoryStep* step, int after) {
  const ChannelMeta* meta = after ? step->MetaAfter : step->MetaBefore;
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (step->uMetaMask & (1u << c)) ChannelMeta_Set(&app->Channels.Channel[c], &meta[c]);
  for (int i = 0; i < step->iOps; ++i) {
    int c = step->pOps[i].iChannel;
    if (!Channel_IsIndex(c) || (step->uMetaMask & (1u << c))) continue;
    app->Channels.Channel[c].dDataMin = meta[c].dDataMin;
    app->Channels.Channel[c].dDataMax = meta[c].dDataMax;
  }
  app->Graph.iActiveChannel = after ? step->iActiveAfter : step->iActiveBefore;
  ChannelSet_CountInUse(&app->Channels);
}

void DropOldest(EditHistory* h) {
  h->llBytes -= h->ppSteps[0]->llBytes;
  FreeStep(h->ppSteps[0]);
  std::memmove(h->ppSteps, h->ppSteps + 1, static_cast<size_t>(h->iCount - 1) * sizeof(HistoryStep*));
  --h->iCount;
  --h->iPos;
  if (h->iSavePos >= 0) --h->iSavePos;  // at 0 the save point goes before the oldest step: gone
}

void DropFrom(EditHistory* h, int first) {
  for (int i = first; i < h->iCount; ++i) {
    h->llBytes -= h->ppSteps[i]->llBytes;
    FreeStep(h->ppSteps[i]);
  }
  if (h->iSavePos > first) h->iSavePos = -1;
  h->iCount = first;
}

// After an undo or redo of step `moved` its values may have grown (an undone
// load holds the samples it brought): while over the budget the steps
// farthest from it go, the oldest applied ones first, then the last ones to
// redo.  The moved step itself stays.
void KeepBudgetAround(EditHistory* h, int moved) {
  while (h->llBytes > h->llBudget && h->iCount > 1) {
    if (moved > 0) {
      DropOldest(h);
      --moved;
    } else if (h->iCount - 1 > moved) {
      DropFrom(h, h->iCount - 1);
    } else {
      break;
    }
  }
}

// Takes a step of the history in the given direction: every allocation
// first (0 and nothing changes when one fails), then the swaps and moves,
// then the recorded channel fields; the step's size follows its values.
int MoveStep(AppState* app, HistoryStep* step, int forward) {
  // Backward, a deletion's slots come back empty before its SPANs refill
  // them: their storage is had here and put in once the slots have moved.
  CurveChannel spare[MAX_CHANNELS] = {};
  int ok = 1;
  for (int i = 0; i < step->iOps && ok; ++i) {
    HistoryOp* op = &step->pOps[i];
    int c = op->iChannel, deleted = op->iKind == HISTORY_OP_SPAN && op->iDone;
    if (op->iKind == HISTORY_OP_SPAN) ok = PrepareSpan(app, op, forward, forward || !deleted);
    if (ok && !forward && deleted && SpanTargetCount(*op, 0) > 0) {
      Channel_Init(&spare[c], SpanTargetCount(*op, 0));
      ok = spare[c].pdSamples != nullptr;
    }
    if (ok && !forward && op->iKind == HISTORY_OP_CROP) ok = Channel_Reserve(&app->Channels.Channel[c], op->iOldCount);
  }
  if (!ok) {
    for (CurveChannel& ch : spare) Channel_Free(&ch);
    return 0;
  }
  long long before = 0, after = 0;
  for (int k = 0; k < step->iOps; ++k) {
    HistoryOp* op = &step->pOps[forward ? k : step->iOps - 1 - k];
    before += OpBytes(*op, !forward);
    if (op->iKind == HISTORY_OP_SPAN) SwapSpan(app, op, forward);
    else HistoryOp_Apply(app, op, forward);
    after += OpBytes(*op, forward);
    for (int c = 0; c < MAX_CHANNELS && op->iKind == HISTORY_OP_DELETE && !forward; ++c) {
      if (!(op->iMask & (1 << c)) || !spare[c].pdSamples) continue;
      app->Channels.Channel[c] = spare[c];  // the slot is empty, without storage
      spare[c] = CurveChannel{};
    }
  }
  for (CurveChannel& ch : spare) Channel_Free(&ch);
  SetMeta(app, step, forward);
  step->llBytes += after - before;
  app->History.llBytes += after - before;
  return 1;
}

void CopyLabel(char* dst, int size, const char* label) {
  if (dst && size > 0) std::snprintf(dst, static_cast<size_t>(size), "%s", label);
}

void UpdateModified(AppState* app) {
  const EditHistory& h = app->History;
  app->iModified = (h.iSavePos >= 0 && h.iSavePos == h.iPos) ? 0 : 1;
}

}  // namespace

void ChannelMeta_Get(const CurveChannel* ch, ChannelMeta* meta) {
  std::memset(meta, 0, sizeof *meta);
  std::memcpy(meta->szName, ch->szName, sizeof meta->szName);
  meta->dXOrigin = ch->dXOrigin;
  meta->dXStep = ch->dXStep;
  meta->dViewMin = ch->dViewMin;
  meta->dViewMax = ch->dViewMax;
  meta->dDataMin = ch->dDataMin;
  meta->dDataMax = ch->dDataMax;
  meta->iAxis = ch->iAxis;
  meta->iVisible = ch->iVisible;
  meta->iNrOfSamples = ch->iNrOfSamples;
}

void ChannelMeta_Set(CurveChannel* ch, const ChannelMeta* meta) {
  std::memcpy(ch->szName, meta->szName, sizeof ch->szName);
  ch->szName[CHANNEL_NAME_LEN - 1] = '\0';
  ch->dXOrigin = meta->dXOrigin;
  ch->dXStep = meta->dXStep;
  ch->dViewMin = meta->dViewMin;
  ch->dViewMax = meta->dViewMax;
  ch->dDataMin = meta->dDataMin;
  ch->dDataMax = meta->dDataMax;
  ch->iAxis = meta->iAxis;
  ch->iVisible = meta->iVisible;
  Channel_SetCount(ch, meta->iNrOfSamples);
}

int History_PutSamples(AppState* app, int c, int first, const double* values, int n, int count) {
  if (!app || !Channel_IsIndex(c) || first < 0 || n < 0) return 0;
  CurveChannel* ch = &app->Channels.Channel[c];
  long long need = static_cast<long long>(first) + n;
  if (need > count) count = static_cast<int>(need);
  if (!Channel_Reserve(ch, count)) return 0;
  if (n > 0) ChannelSet_SetSamples(&app->Channels, c, first, values, n);
  Channel_SetCount(ch, count);
  return 1;
}

void HistoryOp_Apply(AppState* app, const HistoryOp* op, int forward) {
  switch (op->iKind) {
    case HISTORY_OP_SPAN:
      if (forward) History_PutSamples(app, op->iChannel, op->iFirst, op->pdNew, op->iNewN, op->iNewCount);
      else History_PutSamples(app, op->iChannel, op->iFirst, op->pdOld, op->iOldN, op->iOldCount);
      break;
    case HISTORY_OP_CROP:
      if (forward) CropForward(app, op->iChannel, op->iFirst, op->iNewN);
      else CropBackward(app, op);
      break;
    case HISTORY_OP_DELETE:
      if (forward) DeleteForward(app, op->iMask);
      else DeleteBackward(app, op->iMask);
      break;
    default: break;
  }
}

long long History_BudgetFor(int megabytes) {
  if (megabytes > 0) return static_cast<long long>(megabytes) << 20;
  long long budget = HISTORY_DEFAULT_BUDGET;
  long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
  if (pages > 0 && size > 0 && static_cast<long long>(pages) * size / 4 < budget)
    budget = static_cast<long long>(pages) * size / 4;
  return budget;
}

void History_Clear(AppState* app) {
  if (!app) return;
  EditHistory& h = app->History;
  FreeStep(h.pOpen);
  h.pOpen = nullptr;
  DropFrom(&h, 0);
  std::free(h.ppSteps);
  h.ppSteps = nullptr;
  h.iCapacity = h.iPos = 0;
  h.llBytes = 0;
}

void History_Init(AppState* app, long long budget) {
  if (!app) return;
  History_Clear(app);
  app->History.llBudget = budget;
  app->History.iSavePos = 0;
}

void History_MarkSaved(AppState* app) {
  if (!app) return;
  History_End(app);
  app->History.iSavePos = app->History.iPos;
  app->iModified = 0;
  Journal_Discard(app);
}

int History_Begin(AppState* app, const char* label) {
  if (!app) return 0;
  History_End(app);
  Journal_BeforeChange(app);
  auto* step = static_cast<HistoryStep*>(std::calloc(1, sizeof(HistoryStep)));
  if (!step) {
    // The change goes on unrecorded: no older step fits what follows it, and
    // the journal cannot follow it either.
    History_Clear(app);
    app->History.iSavePos = -1;
    app->iModified = 1;
    Journal_Discard(app);
    app->Journal.iFailed = 1;
    return 1;
  }
  CopyLabel(step->szLabel, HISTORY_LABEL_LEN, label ? label : "");
  GetAllMeta(app, step->MetaBefore);
  step->iActiveBefore = app->Graph.iActiveChannel;
  step->uSerial = ++app->History.uLastSerial;
  app->History.pOpen = step;
  return 1;
}

void History_SetLabel(AppState* app, const char* label) {
  if (app && app->History.pOpen) CopyLabel(app->History.pOpen->szLabel, HISTORY_LABEL_LEN, label);
}

void History_Touch(AppState* app, int c, int first, int last) {
  if (!app || !Channel_IsIndex(c)) return;
  if (first > last) {
    int t = first;
    first = last;
    last = t;
  }
  const CurveChannel& ch = app->Channels.Channel[c];
  if (first < 0) first = 0;
  if (last > ch.iNrOfSamples - 1) last = ch.iNrOfSamples - 1;
  if (first > last) return;
  if (!app->History.pOpen) History_Begin(app, "point edit");
  HistoryStep* step = app->History.pOpen;
  if (!step) return;
  HistoryOp* op = FindSpan(step, c);
  if (!op) {
    op = AddOp(step, HISTORY_OP_SPAN, c);
    if (!op) return;
    op->iFirst = first;
    op->iOldCount = ch.iNrOfSamples;
    op->pdOld = CopyValues(ch.pdSamples + first, last - first + 1);
    op->iOldN = op->pdOld ? last - first + 1 : 0;
    if (!op->pdOld) step->iBroken = 1;
    return;
  }
  if (op->iWhole) return;
  // Grow the kept range to the hull of both; the values outside the old
  // range are untouched so far, so the channel still holds them.
  int lo = op->iFirst, hi = op->iFirst + op->iOldN - 1;
  int nlo = first < lo ? first : lo, nhi = last > hi ? last : hi;
  if (nlo == lo && nhi == hi) return;
  int n = nhi - nlo + 1;
  auto* p = static_cast<double*>(std::malloc(static_cast<size_t>(n) * sizeof(double)));
  if (!p) {
    step->iBroken = 1;
    return;
  }
  std::memcpy(p, ch.pdSamples + nlo, static_cast<size_t>(lo - nlo) * sizeof(double));
  std::memcpy(p + (lo - nlo), op->pdOld, static_cast<size_t>(op->iOldN) * sizeof(double));
  std::memcpy(p + (hi + 1 - nlo), ch.pdSamples + hi + 1, static_cast<size_t>(nhi - hi) * sizeof(double));
  std::free(op->pdOld);
  op->pdOld = p;
  op->iOldN = n;
  op->iFirst = nlo;
}

void History_KeepChannel(AppState* app, int c) {
  if (!app || !Channel_IsIndex(c)) return;
  if (!app->History.pOpen) History_Begin(app, "");
  HistoryStep* step = app->History.pOpen;
  if (!step || FindSpan(step, c)) return;
  const CurveChannel& ch = app->Channels.Channel[c];
  HistoryOp* op = AddOp(step, HISTORY_OP_SPAN, c);
  if (!op) return;
  op->iWhole = 1;
  op->iOldCount = ch.iNrOfSamples;
  op->pdOld = CopyValues(ch.pdSamples, ch.iNrOfSamples);
  op->iOldN = op->pdOld ? ch.iNrOfSamples : 0;
  if (ch.iNrOfSamples > 0 && !op->pdOld) step->iBroken = 1;
}

int History_CropChannel(AppState* app, int c, int first, int last) {
  if (!app || !Channel_IsIndex(c)) return 0;
  const CurveChannel& ch = app->Channels.Channel[c];
  int n = ch.iNrOfSamples;
  if (first < 0 || last >= n || first > last || (first == 0 && last == n - 1)) return 0;
  if (!app->History.pOpen) History_Begin(app, "crop");
  HistoryStep* step = app->History.pOpen;
  HistoryOp* op = step ? AddOp(step, HISTORY_OP_CROP, c) : nullptr;
  if (op) {
    op->iFirst = first;
    op->iOldCount = n;
    op->iNewCount = last - first + 1;
    op->pdOld = CopyValues(ch.pdSamples, first);
    op->iOldN = first;
    op->pdNew = CopyValues(ch.pdSamples + last + 1, n - 1 - last);
    op->iNewN = n - 1 - last;
    if ((first > 0 && !op->pdOld) || (op->iNewN > 0 && !op->pdNew)) step->iBroken = 1;
  }
  CropForward(app, c, first, n - 1 - last);
  return 1;
}

void History_DeleteChannels(AppState* app, int mask) {
  if (!app || !(mask & ((1 << MAX_CHANNELS) - 1))) return;
  if (!app->History.pOpen) History_Begin(app, "delete hidden channels");
  // Each removed channel is emptied first (its samples kept by the SPAN),
  // so that the deletion itself only moves records.
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (!(mask & (1 << c))) continue;
    History_KeepChannel(app, c);
    Channel_SetCount(&app->Channels.Channel[c], 0);
    HistoryOp* span = app->History.pOpen ? FindSpan(app->History.pOpen, c) : nullptr;
    if (span) span->iDone = 1;  // new count 0, no new values: the slot moves away below
  }
  HistoryStep* step = app->History.pOpen;
  HistoryOp* op = step ? AddOp(step, HISTORY_OP_DELETE, -1) : nullptr;
  if (op) op->iMask = mask;
  DeleteForward(app, mask);
}

int History_End(AppState* app) {
  if (!app || !app->History.pOpen) return 0;
  EditHistory& h = app->History;
  HistoryStep* step = h.pOpen;
  h.pOpen = nullptr;
  GetAllMeta(app, step->MetaAfter);
  step->iActiveAfter = app->Graph.iActiveChannel;
  step->llBytes = static_cast<long long>(sizeof(HistoryStep)) + step->iOpsCap * static_cast<long long>(sizeof(HistoryOp));
  // The extent of each kept range's new values; they stay in the channel
  // until an undo swaps them into the op.
  for (int i = 0; i < step->iOps; ++i) {
    HistoryOp& op = step->pOps[i];
    if (op.iKind == HISTORY_OP_SPAN && !op.iDone) {
      const CurveChannel& ch = app->Channels.Channel[op.iChannel];
      op.iNewCount = ch.iNrOfSamples;
      int from = op.iFirst, to = op.iWhole ? ch.iNrOfSamples : op.iFirst + op.iOldN;
      // Deleted channels (emptied) and shortened ones keep only what is left.
      if (to > ch.iNrOfSamples) to = ch.iNrOfSamples;
      op.iNewN = to > from ? to - from : 0;
    }
    if (op.iOldCount != op.iNewCount || op.iKind != HISTORY_OP_SPAN) step->iLengthChanged = 1;
    step->llBytes += OpBytes(op, 1);
  }
  // Spans over channels that stayed empty (a load keeps every free channel) change nothing.
  int kept = 0;
  for (int i = 0; i < step->iOps; ++i) {
    const HistoryOp& op = step->pOps[i];
    if (op.iKind == HISTORY_OP_SPAN && op.iOldN == 0 && op.iNewN == 0 && op.iOldCount == op.iNewCount) continue;
    step->pOps[kept++] = op;
  }
  step->iOps = kept;
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (std::memcmp(&step->MetaBefore[c], &step->MetaAfter[c], sizeof(ChannelMeta)) != 0) step->uMetaMask |= 1u << c;
  int changed = step->iOps > 0 || step->uMetaMask != 0 || step->iActiveBefore != step->iActiveAfter;
  if (!changed) {
    FreeStep(step);
    return 0;
  }
  // A new change drops the steps that could have been redone.
  DropFrom(&h, h.iPos);
  kept = 0;
  if (!step->iBroken && step->llBytes <= h.llBudget && h.iCount < INT_MAX / 2) {
    if (h.iCount == h.iCapacity) {
      int cap = h.iCapacity ? 2 * h.iCapacity : 16;
      void* p = std::realloc(h.ppSteps, static_cast<size_t>(cap) * sizeof(HistoryStep*));
      if (p) {
        h.ppSteps = static_cast<HistoryStep**>(p);
        h.iCapacity = cap;
      }
    }
    if (h.iCount < h.iCapacity) kept = 1;
  }
  Journal_Transition(app, step, 1);
  app->iModified = 1;
  if (!kept) {
    // The change stands but cannot be taken back: nothing before it can be
    // either, since every older step assumes the state this one changed.
    FreeStep(step);
    DropFrom(&h, 0);
    h.iPos = 0;
    h.iSavePos = -1;
    return -1;
  }
  h.ppSteps[h.iCount++] = step;
  h.iPos = h.iCount;
  h.llBytes += step->llBytes;
  while (h.llBytes > h.llBudget && h.iCount > 1) DropOldest(&h);
  return 1;
}

void History_Cancel(AppState* app) {
  if (!app || !app->History.pOpen) return;
  HistoryStep* step = app->History.pOpen;
  app->History.pOpen = nullptr;
  // The open step holds the old values; the new ones are dropped.
  for (int i = step->iOps - 1; i >= 0; --i) HistoryOp_Apply(app, &step->pOps[i], 0);
  for (int c = 0; c < MAX_CHANNELS; ++c) ChannelMeta_Set(&app->Channels.Channel[c], &step->MetaBefore[c]);
  app->Graph.iActiveChannel = step->iActiveBefore;
  ChannelSet_CountInUse(&app->Channels);
  FreeStep(step);
  UpdateModified(app);
}

int History_KeptChannel(const AppState* app, int c, CurveChannel* out) {
  if (!app || !out || !app->History.pOpen || !Channel_IsIndex(c)) return 0;
  HistoryOp* op = FindSpan(app->History.pOpen, c);
  if (!op || !op->iWhole) return 0;
  std::memset(out, 0, sizeof *out);
  ChannelMeta_Set(out, &app->History.pOpen->MetaBefore[c]);
  out->pdSamples = op->pdOld;
  out->iAllocated = out->iNrOfSamples = op->iOldN;
  return 1;
}

unsigned long long History_OpenSerial(const AppState* app) {
  return app && app->History.pOpen ? app->History.pOpen->uSerial : 0;
}

int History_CanUndo(const AppState* app) {
  return app && (app->History.pOpen || app->History.iPos > 0) ? 1 : 0;
}

int History_CanRedo(const AppState* app) {
  return app && !app->History.pOpen && app->History.iPos < app->History.iCount ? 1 : 0;
}

int History_Undo(AppState* app, char* label, int size, int* lengthChanged) {
  if (!app) return 0;
  History_End(app);
  EditHistory& h = app->History;
  if (h.iPos <= 0) return 0;
  HistoryStep* step = h.ppSteps[h.iPos - 1];
  CopyLabel(label, size, step->szLabel);
  Journal_BeforeChange(app);
  if (!MoveStep(app, step, 0)) return -1;
  --h.iPos;
  Journal_Transition(app, step, 0);
  if (lengthChanged) *lengthChanged = step->iLengthChanged;
  KeepBudgetAround(&h, h.iPos);
  UpdateModified(app);
  return 1;
}

int History_Redo(AppState* app, char* label, int size, int* lengthChanged) {
  if (!app) return 0;
  History_End(app);
  EditHistory& h = app->History;
  if (h.iPos >= h.iCount) return 0;
  HistoryStep* step = h.ppSteps[h.iPos];
  CopyLabel(label, size, step->szLabel);
  Journal_BeforeChange(app);
  if (!MoveStep(app, step, 1)) return -1;
  ++h.iPos;
  Journal_Transition(app, step, 1);
  if (lengthChanged) *lengthChanged = step->iLengthChanged;
  KeepBudgetAround(&h, h.iPos - 1);
  UpdateModified(app);
  return 1;
}
