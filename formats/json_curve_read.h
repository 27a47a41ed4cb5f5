#pragma once
// Reads back the JSON layout that the text curve writer produces: an object
// of header members ("samples_per_second", "n_samples", "n_channels", the
// texts "file_info", "original_filename" and "data_type") and last the flat
// "array" of values, group by group, null standing for a missing value.
// Nothing else is taken for that layout.

#include "curve/channel.h"
#include "formats/buffered_file.h"
#include "formats/load_notes.h"

// Loads the JSON curve file at path into channels first, first + 1, ...
// Returns 0, 2129 when it does not exist, the system's error
// (ErrorCode_FromOpenErrno) when it cannot be opened otherwise, 2130 when its
// header is not that layout (the channels are then unchanged).  An array that ends early or
// breaks off loads what it holds, and notes (when given) says so.
int JsonCurve_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes = nullptr);
// The same for a file open for reading at its start; the caller closes it.
int JsonCurve_ReadFile(BufferedFile* f, ChannelSet* set, int first, CurveLoadNotes* notes);
