#pragma once
// What a successful save changed on the way to the file, so that the status
// text can say so: channels cut to or padded up to the first channel's
// length, missing values (NaN) written as a number, channels in use that
// the format could not take, and a .wav written as RF64; also why an encoding
// library refused a save.  Also the one rule for the value a writer puts
// at an index past a shorter channel's end.

#include "curve/channel.h"
#include "formats/load_notes.h"

// The changes of one save; all zero when the file holds the data as it is.
struct CurveSaveNotes {
  int iLengthChange[MAX_CHANNELS];  // per channel: > 0 samples padded, < 0 samples cut, 0 neither
  long iMissing;                    // missing values written as szMissingAs (not read back as missing)
  char szMissingAs[8];              // what stands for them in the file: "-32767", "0", ...
  int iChannelsLeftOut;             // channels in use after the ones written (a .ref file takes one)
  int fRf64;                        // a .wav was written as RF64: its data passes the RIFF size limit
  char szReason[CURVE_REASON_LEN];  // why the encoding library refused the save ("" when it did not)
};

// The samples of ch that a writer may read: those in use and in storage.
int CurveSave_ValidCount(const CurveChannel* ch);
// The value a writer puts at index i of ch: the sample while i is valid, past
// the end the last valid sample (so a shorter channel is padded with its last
// value, never with stale storage); NaN for a channel without valid samples.
double CurveSave_Value(const CurveChannel* ch, int i);
// Notes the changes of writing n groups of channels first .. first + nch - 1
// of set: each channel's cut or padding against n and, when missingAs is
// given, the missing values among the values written (counted as the format
// writes them as missingAs).  Clears notes first; arguments out of range
// leave them cleared.
void CurveSave_NoteChanges(CurveSaveNotes* notes, const ChannelSet* set, int first, int nch, int n,
                           const char* missingAs);
// Appends the notes to dst (size chars, holding a NUL-terminated text) as
// " (channel 2 padded by 3 samples with its last value; ...)"; nothing when
// there is nothing to say.  Returns the length of dst afterwards.
int CurveSave_AppendText(char* dst, int size, const CurveSaveNotes* notes);
// Copies path into dst (size chars) for a comment line of a saved file, with
// every control character (a line end among them) written as '?', so that
// the name cannot end the line and become content.  Returns the length.
int CurveSave_PathForComment(char* dst, int size, const char* path);
