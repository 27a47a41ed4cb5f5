#pragma once
// RIFF WAVE files: 8-, 16-, 24- and 32-bit PCM and 32-bit float are read
// (1 to 8 channels, plain or extensible format chunk); 16-bit PCM of 1 to 4
// channels is written.

#include <cstdint>

#include "curve/channel.h"
#include "formats/load_notes.h"

// Loads the file's channels into channels first, first + 1, ... of the set,
// named by the channel roles of an extensible format chunk or "Channel n";
// notes (when given) says what was left out and whether the data ended
// early.  Returns 0, or 2101 (no such file), the system's error
// (ErrorCode_FromErrno) of another failed open, 2102 (not RIFF WAVE), 2103
// (truncated header or no data chunk), 2105 (unsupported format), 2106 (chunk
// skip failed), 2142 (block align not channels x bytes per sample), 2143
// (rate above 1 MHz), 2144 (more than eight channels); the channels are
// unchanged on every refusal.
int WaveFile_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes = nullptr);
// Readies channels first .. first + n - 1 for the samples of an audio file of
// that rate: x origin 0, x step 1 / rate, value view and data range -1 .. 1,
// no samples yet (their storage stays).  The caller checks the channels exist.
void WaveFile_PrepareChannels(ChannelSet* set, int first, int n, double rate);

// Saves channels first .. first + nch - 1 as 16-bit PCM, frame count taken
// from channel first (a shorter channel padded as CurveSave_Value says).
// Returns 0, or 2105 (bad arguments), 2145 (the file would pass 4 GiB), a refusal of SafeWrite_Begin, the result code of the system error of a failed write, flush,
// sync or close (ErrorCode_FromErrno), or 2109 for a failed write without a
// system cause; the previous file stays on every failure.
int WaveFile_Write(const char* path, ChannelSet* set, int first, int nch);

// The rate the writer stores for a channel of x step step: 1 / step rounded
// to the nearest integer and kept within 1 .. 1000000 Hz, the rates the reader
// accepts; 11025 when step is not positive.  *pfClamped (when given) is 1
// when the rounded rate had to be moved into that range.
uint32_t WaveFile_RateForStep(double step, int* pfClamped);

// Counts the values that WaveFile_Write with the same arguments would clip
// because a 16-bit sample cannot hold them (beyond -1 .. 1; NaN, written as
// 0, is not counted).  0 for arguments the writer refuses.
long WaveFile_CountClipped(const ChannelSet* set, int first, int nch);
