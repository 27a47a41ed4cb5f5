// Single-level undo over the application record.  Undo holds one backup:
// UndoBuffer with the channel it came from.  A crop may cut several channels,
// so it additionally keeps a copy of each channel it cuts (CropBackup, flagged
// in iCropBackups); Undo restores those as well, and any later backup drops
// them.  Every backup and restore is exact: the copy ends up with the source's
// samples and count, nothing of older contents.  Portable: the graph's point
// edits back up through here as well as the shell's commands.
#include "shell/undo.h"

void Undo_CopyExact(const CurveChannel* src, CurveChannel* dst) {
  dst->iNrOfSamples = 0;
  Channel_CopySamples(src, dst, 0, 0, 0);
}

void Undo_Backup(AppState* app, int c) {
  if (!app || !Channel_IsIndex(c)) return;
  app->iCropBackups = 0;
  Undo_CopyExact(&app->Channels.Channel[c], &app->UndoBuffer);
  app->iUndoChannel = c;
}

int Undo_Restore(AppState* app) {
  if (!app) return 0;
  int restored = 0;
  if (Channel_IsIndex(app->iUndoChannel)) {
    Undo_CopyExact(&app->UndoBuffer, &app->Channels.Channel[app->iUndoChannel]);
    restored = 1;
  }
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (!(app->iCropBackups & (1 << c))) continue;
    Undo_CopyExact(&app->CropBackup[c], &app->Channels.Channel[c]);
    restored = 1;
  }
  if (!restored) return 0;
  ChannelSet_CountInUse(&app->Channels);
  app->Graph.iViewChanged = 1;
  app->iModified = 1;
  return 1;
}

void Undo_FreeAll(AppState* app) {
  if (!app) return;
  Channel_Free(&app->UndoBuffer);
  for (CurveChannel& ch : app->CropBackup) Channel_Free(&ch);
  app->iUndoChannel = -1;
  app->iCropBackups = 0;
}
