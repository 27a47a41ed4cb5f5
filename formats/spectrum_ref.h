#pragma once
// Spectrum reference files: key=value header lines describing the bins, then
// one value per line up to an "end" line.

#include "curve/channel.h"
#include "shell/app_state.h"

// Loads the values into channel first and the header into hdr.  Returns 0 or
// 2129 when the file cannot be opened (nothing changes then).
int SpectrumRef_Read(const char* path, ChannelSet* set, int first, SpectrumRefHeader* hdr);

// Saves channel c with the header kept in hdr; bin count, bin width and
// offset are those of the channel.  Returns 0, 2129 when the file cannot be
// created, or the system error code of a failed write (previous file stays).
int SpectrumRef_Write(const char* path, ChannelSet* set, int c, SpectrumRefHeader* hdr);
