#pragma once
// Spectrum reference files: key=value header lines describing the bins, then
// one value per line up to an "end" line.

#include "curve/channel.h"
#include "formats/load_notes.h"
#include "shell/app_state.h"

// Loads the values into channel first and the header into hdr; notes (when
// given) says whether values were left out.  Returns 0 or 2129 when the file
// cannot be opened (nothing changes then).
int SpectrumRef_Read(const char* path, ChannelSet* set, int first, SpectrumRefHeader* hdr,
                     CurveLoadNotes* notes = nullptr);

// Saves channel c with the header kept in hdr; bin count, bin width and
// offset are those of the channel.  Returns 0, 2129 when the file cannot be
// created, or the result code of the system error of a failed write
// (ErrorCode_FromErrno; the previous file stays).
int SpectrumRef_Write(const char* path, ChannelSet* set, int c, SpectrumRefHeader* hdr);
