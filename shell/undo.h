#pragma once
// Single-level undo of the application record: one backed-up channel, plus
// the channels the last crop cut.

#include "shell/app_state.h"

// Makes dst hold exactly the samples of src (an empty src empties dst); where
// dst cannot grow, the samples that do not fit are left out.
void Undo_CopyExact(const CurveChannel* src, CurveChannel* dst);
// Copies channel c (0 to 7) into the undo buffer, which first is emptied, and
// drops the crop backups; nothing happens for a null record or a bad channel.
void Undo_Backup(AppState* app, int c);
// Puts the backup back into its channel; 0 when there is nothing to undo.
int Undo_Restore(AppState* app);
// Releases the undo buffer and the crop backups; nothing is left to undo.
void Undo_FreeAll(AppState* app);
