#pragma once
// The native text curve format: key=value header lines, then the sample
// values as decimal numbers; the writer also produces the JSON layout.

#include "curve/channel.h"
#include "formats/load_notes.h"
#include "formats/save_type.h"

// Loads a text curve file into channels first, first + 1, ...: with an
// "n_channels=" header the values form groups of that many, one value per
// channel; without one, each field of a data line goes to its own channel as
// the first data line's fields set (a line of names before the data names
// them).  notes (when given) says what was left out.  Returns 0, 2129 when
// the file does not exist, the system's error (ErrorCode_FromOpenErrno) when
// it cannot be opened otherwise, 2130 when it holds NUL bytes early on (binary,
// UTF-16 or compressed); nothing changes on a refusal.
int TextCurve_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes = nullptr);
// Readies channels first .. first + count - 1 (those below MAX_CHANNELS) for
// a text or JSON curve of that rate: x origin 0, x step 1 / rate (1 for a
// rate of 0.001 or less), value view and data range -1 .. 1, no samples yet,
// the default name.
void TextCurve_PrepareChannels(ChannelSet* set, int first, int count, double rate);

// Saves channels first .. first + nch - 1 with the values converted as the
// low four bits of type say, in the JSON layout when SAVE_TYPE_JSON is set.
// Returns 0, a refusal of SafeWrite_Begin (a path that cannot be created or
// may not be replaced), or the result code of the system error of a failed
// write, flush, sync or close (ErrorCode_FromErrno; the previous file then
// stays as it was).
int TextCurve_Write(const char* path, ChannelSet* set, int first, int nch, int type);

// Converts the value of channel ch at index i (CurveSave_Value: past its end
// its last sample) for saving with the given type into dst (at least 32
// chars): normalised by the channel's data range and rounded to the nearest
// step of an integer type; a missing value (NaN) gives "nan" for reals
// ("null" in JSON) and the lowest value of an integer type.  Returns the length.
int TextCurve_FormatValue(char* dst, const CurveChannel* ch, int i, int type);
