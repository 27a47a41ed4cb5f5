#pragma once
// Picks the reader or writer of a curve file by the extension of its name.

#include "shell/app_state.h"

// Loads path into channels first, first + 1, ... by its extension (.txt,
// .wav, .ref in any letter case).  Returns the reader's result, 2129 for a
// path without any ".", 2130 for an extension without a reader.
int LoadCurveFile(AppState* app, const char* path, int first);

// Saves the channels in use from first on by the extension (.txt and .json
// with the layout and value type of saveType, .wav, .ref).  Returns the
// writer's result, 2129 without any ".", 2130 without a writer.
int SaveCurveFile(AppState* app, const char* path, int first, int saveType);

// The extension of path: from its last "." to the end, or NULL without one.
const char* CurveFile_Extension(const char* path);
