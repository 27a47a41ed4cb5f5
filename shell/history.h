#pragma once
// The edit history: one linear list of steps, each able to take back and
// re-apply one change of samples.  A step keeps only what its change touched
// and the channels do not show: for the index range a stroke or a filter
// wrote (or a load or deletion replaced), the old values while the step is
// applied and the new ones while it is undone, swapped with the channel's at
// each undo and redo; the parts a crop cut off; plus the few channel fields
// (name, x mapping, ranges, count) that changed.  The list lives within a
// byte budget: the steps farthest from the current state are dropped first.
//
// Portable: no window system.  The shell opens and ends steps around its
// commands; the graph's point edits report the ranges they are about to
// write.  Every transition (a step done, undone or redone) is also handed to
// the crash journal (shell/journal.h), which reads the values from the
// channels as the transition left them.

#include "curve/channel.h"

struct AppState;

constexpr int HISTORY_LABEL_LEN = 48;  // step label ("crop", "low pass 0.01"), NUL included
// Status text of a change that does not fit the history.
constexpr const char* HISTORY_CANNOT_UNDO_TEXT = "This change cannot be undone: it does not fit the edit history";
// Status texts of an undo or redo refused for want of memory (nothing changed).
constexpr const char* HISTORY_NO_MEMORY_UNDO_TEXT = "Not enough memory to undo: nothing was changed";
constexpr const char* HISTORY_NO_MEMORY_REDO_TEXT = "Not enough memory to redo: nothing was changed";
constexpr long long HISTORY_DEFAULT_BUDGET = 1LL << 30;  // 1 GiB unless a quarter of the memory is less

// The fields of one channel that a step restores besides its samples.
struct ChannelMeta {
  char szName[CHANNEL_NAME_LEN];  // channel name
  double dXOrigin, dXStep;        // x mapping
  double dViewMin, dViewMax;      // value view
  double dDataMin, dDataMax;      // tracked data range
  int iAxis, iVisible;            // axis and shown flag
  int iNrOfSamples;               // valid samples
};

// Kinds of HistoryOp.
constexpr int HISTORY_OP_SPAN = 1;    // samples from iFirst replaced; count iOldCount -> iNewCount
constexpr int HISTORY_OP_CROP = 2;    // iFirst samples cut at the head, iNewN at the tail
constexpr int HISTORY_OP_DELETE = 3;  // the (emptied) channels of iMask removed, the others moved down

// One primitive change of one channel (or, for DELETE, of the slot order).
struct HistoryOp {
  int iKind;       // HISTORY_OP_*
  int iChannel;    // channel changed (SPAN, CROP)
  int iFirst;      // SPAN: first index written; CROP: samples cut at the head
  int iOldCount;   // samples before the change
  int iNewCount;   // samples after the change
  double* pdOld;   // SPAN: old values from iFirst, held while the step is applied (else null); CROP: the cut head (owned)
  int iOldN;       // old values (SPAN: from iFirst, whether held or shown; CROP: iFirst)
  double* pdNew;   // SPAN: new values from iFirst, held while the step is undone (else null); CROP: the cut tail (owned)
  int iNewN;       // new values (SPAN: from iFirst; CROP: the cut tail's length)
  int iMask;       // DELETE: bit c set for every removed slot c
  int iWhole;      // SPAN: the new values run from iFirst to the new count's end
  int iDone;       // SPAN: the new values are taken already (a deletion emptied the channel)
};

// One step of the history.
struct HistoryStep {
  char szLabel[HISTORY_LABEL_LEN];  // what the step did, for "Undone: %s"
  HistoryOp* pOps;    // the primitive changes, in the order they were done (owned)
  int iOps, iOpsCap;  // used and allocated entries of pOps
  unsigned uMetaMask;  // bit c: MetaBefore/MetaAfter[c] differ
  ChannelMeta MetaBefore[MAX_CHANNELS];  // channel fields before the step
  ChannelMeta MetaAfter[MAX_CHANNELS];   // and after it
  int iActiveBefore, iActiveAfter;       // active channel before and after
  int iLengthChanged;  // 1 when a channel's count changed (the view is scaled again)
  int iBroken;         // 1 when a copy failed: the step cannot be undone
  long long llBytes;   // memory the step holds now (a SPAN's values change size at undo and redo)
  unsigned long long uSerial;  // the step's number, unique in this run (History_OpenSerial)
};

// The history inside AppState.  Cleared to zero it is empty with no budget
// (History_Init sets one).
struct EditHistory {
  HistoryStep** ppSteps;  // steps, oldest first (owned)
  int iCount;             // steps held
  int iCapacity;          // entries of ppSteps
  int iPos;               // steps applied: Undo takes back step iPos - 1, Redo re-applies step iPos
  int iSavePos;           // iPos at the last load or save; -1 once that state cannot be reached
  HistoryStep* pOpen;     // the step being recorded, or null
  long long llBytes;      // memory of all steps held
  long long llBudget;     // most memory the steps may hold
  unsigned long long uLastSerial;  // uSerial of the last step opened; never goes back
};

// Budget in bytes for a setting of megabytes (0 or less: the default of
// 1 GiB or a quarter of the physical memory, whichever is less).
long long History_BudgetFor(int megabytes);
// Empties the history and sets its budget; the current state becomes the
// save point.  Nothing for a null record.
void History_Init(AppState* app, long long budget);
// Frees every step; the history is empty (the budget stays).
void History_Clear(AppState* app);
// Marks the current state as the one on disk (load or save): iModified is
// cleared, and undo or redo back to here clears it again.
void History_MarkSaved(AppState* app);

// Opens a step with the label; a step still open is ended first.  Returns 1,
// or 0 for a null record.
int History_Begin(AppState* app, const char* label);
// Replaces the label of the open step (the interactive filter names its
// final cut-off at Ok).
void History_SetLabel(AppState* app, const char* label);
// Before samples first..last of channel c are overwritten in place: keeps
// the old values of the ones not kept yet (the open step's range for c
// grows to cover them).  Opens a "point edit" step when none is open.  A
// failed copy marks the step as one that cannot be undone.
void History_Touch(AppState* app, int c, int first, int last);
// Before channel c is replaced as a whole (filter, load): keeps all its
// samples and its count.
void History_KeepChannel(AppState* app, int c);
// Cuts channel c to samples first..last (valid indices), keeping the cut
// parts in the open step.  Returns 1 when cut, 0 (nothing changes) otherwise.
int History_CropChannel(AppState* app, int c, int first, int last);
// Removes the channels whose bit is set in mask (their samples kept in the
// open step) and moves the others down in their order; the slots left over
// at the top become empty channels without storage.
void History_DeleteChannels(AppState* app, int mask);
// Ends the open step: notes the new counts (the new values stay in the
// channels; nothing is copied), drops it when it changed nothing, drops the
// steps that could have been redone, keeps the budget and sets iModified.  Returns 1 when a step was added, 0 when nothing changed,
// and -1 when the change happened but cannot be undone (the step did not fit
// the budget or a copy failed; the whole history is then dropped).
int History_End(AppState* app);
// Takes back the open step's changes and drops it (the interactive filter's
// Cancel).
void History_Cancel(AppState* app);
// Channel c's samples as the open step found them, as a read-only channel
// (no storage of its own: never free it); 0 when the open step did not keep
// channel c whole.
int History_KeptChannel(const AppState* app, int c, CurveChannel* out);
// The open step's number, 0 when none is open.  No other step of the run
// has it, and what the step kept stays as it is while it is open, so the
// number names the samples History_KeptChannel gives.
unsigned long long History_OpenSerial(const AppState* app);

// 1 when there is a step to take back / to re-apply.
int History_CanUndo(const AppState* app);
int History_CanRedo(const AppState* app);
// Takes back the last applied step (an open step is ended first), keeping
// the values it replaces in the step for a redo.  Returns 1 with the step's
// label in label (size bytes) and whether a count changed in *lengthChanged;
// 0 when there was nothing to undo; -1 (nothing changes, the label is set)
// when the memory to hold the replaced values could not be had.
int History_Undo(AppState* app, char* label, int size, int* lengthChanged);
// Re-applies the next step, with the same outputs; 0 when there is none, -1
// (nothing changes) when the memory to hold the replaced values could not be had.
int History_Redo(AppState* app, char* label, int size, int* lengthChanged);

// Channel fields as a ChannelMeta, and back (the count only where the
// storage holds it).
void ChannelMeta_Get(const CurveChannel* ch, ChannelMeta* meta);
void ChannelMeta_Set(CurveChannel* ch, const ChannelMeta* meta);
// Writes values into channel c from index first, then sets its count to
// count (cutting or, within its samples, keeping); the stores go through the
// channel set.  Returns 1, or 0 when the storage could not be had.
int History_PutSamples(AppState* app, int c, int first, const double* values, int n, int count);
// Applies one primitive change forward or backward from the values the op
// holds for that direction (a journal's replay, a cancelled step's old
// values); the op keeps them.
void HistoryOp_Apply(AppState* app, const HistoryOp* op, int forward);
