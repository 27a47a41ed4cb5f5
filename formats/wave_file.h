#pragma once
// RIFF WAVE files: 8-bit and 16-bit PCM and 32-bit float are read (mono or
// stereo, plain or extensible format chunk); 16-bit PCM is written.

#include "curve/channel.h"

// Loads the file's channels into channels first, first + 1, ... of the set.
// Returns 0, or 2101 (open), 2102 (not RIFF WAVE), 2103 (truncated header or
// no data chunk), 2105 (unsupported format), 2106 (chunk skip failed).
int WaveFile_Read(const char* path, ChannelSet* set, int first);

// Saves channels first .. first + nch - 1 as 16-bit PCM, frame count taken
// from channel first.  Returns 0, or 2105 (bad arguments), 2129 (cannot
// create), 2109 (write, flush or close failed; the previous file stays).
int WaveFile_Write(const char* path, ChannelSet* set, int first, int nch);
