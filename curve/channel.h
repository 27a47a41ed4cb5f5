#pragma once
// The channel set: every sample of the program lives here.  A channel holds
// equally spaced samples; sample i lies at x = dXOrigin + i * dXStep.

constexpr int MAX_CHANNELS = 8;                 // channels in the set
constexpr int CHANNEL_NAME_LEN = 84;           // name buffer, NUL included
constexpr int CHANNEL_MIN_ALLOC = 16384;       // least start capacity of ChannelSet_Init
constexpr int CHANNEL_MAX_INITIAL_ALLOC = 524288;  // most start capacity of ChannelSet_Init
constexpr int CHANNEL_MAX_ALLOC = 1048576;     // no channel grows beyond this many samples

// 1 when c names one of the set's channels (0 to MAX_CHANNELS - 1).
constexpr bool Channel_IsIndex(int c) { return c >= 0 && c < MAX_CHANNELS; }

struct CurveChannel {
  char szName[CHANNEL_NAME_LEN];  // legend text; "Channel n" at start, readers set it
  double* pdSamples;  // owned; NULL when the channel has no storage
  int iAllocated;     // capacity of pdSamples
  int iNrOfSamples;   // valid samples 0 .. iNrOfSamples - 1
  double dXOrigin;    // x value of sample 0 (0 at start)
  double dXStep;      // x distance between samples, > 0 for a usable channel (1 at start)
  double dViewMin;    // lower end of the value view (the diagram's y range)
  double dViewMax;    // upper end of the value view
  double dDataMin;    // tracked range of the finite samples; valid only when dDataMin < dDataMax
  double dDataMax;    // upper end of the tracked range
  int iAxis;     // 0 left, 1 right
  int iVisible;  // non-zero when the curve is drawn
};

struct ChannelSet {
  CurveChannel Channel[MAX_CHANNELS];  // the eight channels, index 0 to 7
  int iChannelsInUse;  // highest channel with samples + 1 (raised by the stores, recounted by CountInUse)
  double dXViewMin;    // x range shown by the diagram, common to all channels
  double dXViewMax;    // upper end of that x range
};

// Clears the channel and gives it n zeroed samples of storage (none for n <= 0).
void Channel_Init(CurveChannel* ch, int n);
// Releases the storage; name, x mapping, ranges and flags stay.
void Channel_Free(CurveChannel* ch);
// Stores v at index i, growing the storage to 2 * i when needed; tracks the
// range of the finite values.  Returns 0 for a null channel or a negative
// index; returns 1 also when the growth was refused or failed, and then only
// the tracked range takes v (the samples and their count stay as they were).
int Channel_SetSample(CurveChannel* ch, int i, double v);
// Rounds x to the nearest sample index within the capacity, or -1.
int Channel_XToIndex(const CurveChannel* ch, double x);
// Gives the channel room for n samples at once (n at most CHANNEL_MAX_ALLOC),
// keeping its valid samples; returns 1 when it holds at least n afterwards,
// 0 when n is refused or the allocation failed (the channel is unchanged).
int Channel_Reserve(CurveChannel* ch, int n);
// Recomputes the data range (and the view range) from the valid samples
// that are finite; both stay as they were when fewer than two distinct finite
// values exist.  Returns 0 only for a null channel.
int Channel_UpdateRange(CurveChannel* ch);
// Copies samples first..last of src to dst at index + offset; (0, 0) is all.
// Returns 0 when either channel is null or src is empty; samples whose growth
// fails are skipped as in Channel_SetSample.
int Channel_CopySamples(const CurveChannel* src, CurveChannel* dst, int first, int last, int offset);

// Clears the set and gives each channel a clamped capacity and its name.
void ChannelSet_Init(ChannelSet* set, int n);
// Releases the storage of all eight channels.
void ChannelSet_FreeAll(ChannelSet* set);
// Gives channel c its default name "Channel n" (n = c + 1); no effect for a
// channel number outside the set.
void ChannelSet_NameDefault(ChannelSet* set, int c);
// Counts the channels that hold samples into iChannelsInUse.
void ChannelSet_CountInUse(ChannelSet* set);
// Stores a sample into channel c (0 to 7) and raises iChannelsInUse; 0 (and
// nothing changes) for a null set, a bad channel or a negative index.
int ChannelSet_SetSample(ChannelSet* set, int c, int i, double v);
// Stores count values at indices i, i + 1, ... of channel c: the same as
// ChannelSet_SetSample for each in turn, but values that fit the storage are
// copied at once.  Returns 0 (nothing changes) for a bad channel or index.
int ChannelSet_SetSamples(ChannelSet* set, int c, int i, const double* values, int count);
