#pragma once
// The channel set: every sample of the program lives here.  A channel holds
// equally spaced samples; sample i lies at x = dXOrigin + i * dXStep.

constexpr int MAX_CHANNELS = 8;                 // channels in the set
constexpr int CHANNEL_NAME_LEN = 84;           // name buffer, NUL included
constexpr int CHANNEL_MIN_ALLOC = 16384;       // least start capacity of ChannelSet_Init
constexpr int CHANNEL_MAX_INITIAL_ALLOC = 524288;  // most start capacity of ChannelSet_Init
constexpr int CHANNEL_MAX_ALLOC = 1 << 30;     // no channel grows beyond this many samples
constexpr int SUMMARY_SHIFT1 = 7;              // a fine summary block holds 2^7 = 128 samples
constexpr int SUMMARY_SHIFT2 = 13;             // a coarse summary block holds 2^13 = 8192 samples

// 1 when c names one of the set's channels (0 to MAX_CHANNELS - 1).
constexpr bool Channel_IsIndex(int c) { return c >= 0 && c < MAX_CHANNELS; }

// Smallest and largest value of one block of samples; NaN takes no part.
struct SummaryBlock {
  double dLo;  // smallest non-NaN value, +inf when the block holds none
  double dHi;  // largest non-NaN value, -inf when the block holds none
};

// Min/max summaries of a channel's stored samples at two block sizes, so that
// the min and max of a long index range cost a few hundred reads.  They cover
// the stored values of indices 0 .. iCovered - 1 (a partial last block covers
// only those) and every store keeps them exact.  About 1.7 % of the samples'
// memory.
struct ChannelSummary {
  SummaryBlock* pFine;          // one per 128 samples; NULL when the channel has no storage
  SummaryBlock* pCoarse;        // one per 8192 samples
  unsigned char* pbFineNaN;     // non-zero when the fine block holds a NaN
  unsigned char* pbCoarseNaN;   // non-zero when the coarse block holds a NaN
  int iCovered;                 // samples summarised, at most the capacity
};

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
  ChannelSummary Summary;  // owned with pdSamples; kept exact by every store
  unsigned long long uLostStores;  // stores dropped because the storage could not grow (memory), ever
};

struct ChannelSet {
  CurveChannel Channel[MAX_CHANNELS];  // the eight channels, index 0 to 7
  int iChannelsInUse;  // highest channel with samples + 1 (raised by the stores, recounted by CountInUse)
  double dXViewMin;    // x range shown by the diagram, common to all channels
  double dXViewMax;    // upper end of that x range
};

// Clears the channel and gives it n zeroed samples of storage (none for n <= 0,
// and none when the allocation fails).
void Channel_Init(CurveChannel* ch, int n);
// Releases the storage and its summaries; name, x mapping, ranges and flags stay.
void Channel_Free(CurveChannel* ch);
// Stores v at index i (below CHANNEL_MAX_ALLOC), growing the storage
// geometrically from its capacity (twice it, at least i + 1, at most the
// limit) when needed; tracks the range of the finite values.  Returns 0 for a
// null channel or a negative index; returns 1 also when the growth was refused
// or failed, and then only the tracked range takes v (the samples and their
// count stay as they were).
int Channel_SetSample(CurveChannel* ch, int i, double v);
// Stores count values at indices i, i + 1, ...: the same as Channel_SetSample
// for each in turn, but the storage grows at most once and the values are
// copied at once.  Returns 0 (nothing changes) for a null channel, a bad index
// or count; when the growth fails, only the values that fit are stored.
int Channel_StoreSamples(CurveChannel* ch, int i, const double* values, int count);
// Takes the count values the caller wrote into pdSamples at i .. i + count -
// 1 (within the capacity) as stored samples: the count, the summaries and the
// tracked range change as Channel_StoreSamples of those values would change
// them, so a reader can decode straight into reserved storage.
// Returns 0 (nothing changes) for a null channel or a range beyond the capacity.
int Channel_TakeStored(CurveChannel* ch, int i, int count);
// Sets the number of valid samples to n (0 .. capacity), keeping the
// summaries exact; 0 (nothing changes) when n is outside that.
int Channel_SetCount(CurveChannel* ch, int n);
// Keeps the valid samples first .. last as the channel's samples 0 .. last -
// first; 0 (nothing changes) when the range is not within the valid samples.
int Channel_Crop(CurveChannel* ch, int first, int last);
// Rounds x to the nearest sample index within the capacity, or -1.
int Channel_XToIndex(const CurveChannel* ch, double x);
// Gives the channel room for n samples at once (exactly n when it grows; n at
// most CHANNEL_MAX_ALLOC), keeping its valid samples; returns 1 when it holds
// at least n afterwards, 0 when n is refused or the allocation failed (the
// channel is unchanged).
int Channel_Reserve(CurveChannel* ch, int n);
// Recomputes the data range (and the view range) from the valid samples
// that are finite; both stay as they were when fewer than two distinct finite
// values exist.  Returns 0 only for a null channel.
int Channel_UpdateRange(CurveChannel* ch);
// Copies samples first..last of src to dst at index + offset; (0, 0) is all.
// Returns 0 when either channel is null or src is empty; samples whose growth
// fails are skipped as in Channel_SetSample.
int Channel_CopySamples(const CurveChannel* src, CurveChannel* dst, int first, int last, int offset);
// Smallest and largest of the n values at p, leaving out values that are not
// numbers (*nan says whether there were any); *lo > *hi when all of them were
// (or n is 0).
void Samples_MinMax(const double* p, long long n, double* lo, double* hi, int* nan);
// The same over the stored samples first .. last of the channel (within its
// capacity, first <= last), reading the summaries for whole blocks.
void Channel_MinMax(const CurveChannel* ch, int first, int last, double* lo, double* hi, int* nan);

// Clears the set and gives each channel a clamped capacity and its name.
void ChannelSet_Init(ChannelSet* set, int n);
// Releases the storage of all eight channels.
void ChannelSet_FreeAll(ChannelSet* set);
// Gives channel c its default name "Channel n" (n = c + 1); no effect for a
// channel number outside the set.
void ChannelSet_NameDefault(ChannelSet* set, int c);
// Counts the channels that hold samples into iChannelsInUse.
void ChannelSet_CountInUse(ChannelSet* set);
// Channel_TakeStored on channel c that raises iChannelsInUse; 0 (nothing
// changes) for a bad channel or range.
int ChannelSet_TakeStored(ChannelSet* set, int c, int i, int count);
// Stores a sample into channel c (0 to 7) and raises iChannelsInUse; 0 (and
// nothing changes) for a null set, a bad channel or a negative index.
int ChannelSet_SetSample(ChannelSet* set, int c, int i, double v);
// Stores count values at indices i, i + 1, ... of channel c with
// Channel_StoreSamples and raises iChannelsInUse.  Returns 0 (nothing
// changes) for a bad channel or index.
int ChannelSet_SetSamples(ChannelSet* set, int c, int i, const double* values, int count);
