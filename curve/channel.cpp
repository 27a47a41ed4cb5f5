// The channel operations: storage that grows on demand up to
// CHANNEL_MAX_ALLOC samples, stores that track the range of the finite values,
// and the set-wide init, count and free.  A failed allocation is never an
// error message: the channel keeps the storage and samples it had.
#include "curve/channel.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef __linux__
#include <sys/mman.h>
#endif

void Channel_Init(CurveChannel* ch, int n) {
  if (!ch) return;
  std::memset(ch, 0, sizeof(*ch));
  if (n > 0) {
    double* p = static_cast<double*>(std::calloc(static_cast<size_t>(n), sizeof(double)));
    if (p) {
      ch->pdSamples = p;
      ch->iAllocated = n;
    }
  }
  ch->dXOrigin = 0.0;
  ch->dXStep = 1.0;
  ch->dViewMin = ch->dViewMax = 0.0;
  ch->iAxis = 0;
}

void Channel_Free(CurveChannel* ch) {
  if (!ch) return;
  ch->iNrOfSamples = 0;
  ch->iAllocated = 0;
  std::free(ch->pdSamples);
  ch->pdSamples = nullptr;
}

// n zeroed doubles.  Storage of several megabytes is aligned to 2 MiB and
// asks the system for huge pages, so that filling it costs a few hundred
// page faults instead of thousands.
static double* Channel_AllocZeroed(int n) {
  constexpr size_t kHuge = 2u << 20;
  size_t bytes = static_cast<size_t>(n) * sizeof(double);
#ifdef __linux__
  if (bytes >= 2 * kHuge) {
    size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
    void* p = std::aligned_alloc(kHuge, rounded);
    if (!p) return nullptr;
    ::madvise(p, rounded, MADV_HUGEPAGE);
    std::memset(p, 0, bytes);
    return static_cast<double*>(p);
  }
#endif
  return static_cast<double*>(std::calloc(static_cast<size_t>(n), sizeof(double)));
}

// Moves the channel to zeroed storage of n samples that starts with its
// first keep values.  0 when the allocation failed (the channel is unchanged).
static int Channel_Reallocate(CurveChannel* ch, int n, int keep) {
  double* p = Channel_AllocZeroed(n);
  if (!p) return 0;
  if (keep > 0 && ch->pdSamples) std::memcpy(p, ch->pdSamples, static_cast<size_t>(keep) * sizeof(double));
  std::free(ch->pdSamples);
  ch->pdSamples = p;
  ch->iAllocated = n;
  return 1;
}

// Grows the storage so that index i fits: the new capacity is 2 * i (at least
// 1) and never above CHANNEL_MAX_ALLOC; the whole old array is kept.  A failed
// or refused growth leaves the array as it was.
static void Channel_GrowFor(CurveChannel* ch, int i) {
  if (i > CHANNEL_MAX_ALLOC / 2) return;  // 2 * i would exceed the limit
  Channel_Reallocate(ch, i > 0 ? 2 * i : 1, ch->iAllocated);
}

int Channel_Reserve(CurveChannel* ch, int n) {
  if (!ch || n > CHANNEL_MAX_ALLOC) return 0;
  if (n <= ch->iAllocated) return 1;
  int keep = ch->iNrOfSamples < ch->iAllocated ? ch->iNrOfSamples : ch->iAllocated;
  return Channel_Reallocate(ch, n, keep);
}

// Widens the tracked range by v.  Values that are not finite are ignored: a
// NaN has no place on an axis, and one infinity would make the range
// infinite, so that every other value would normalise to the same end.
static void Channel_TrackValue(CurveChannel* ch, double v) {
  if (!std::isfinite(v)) return;
  if (ch->dDataMin >= ch->dDataMax) {
    ch->dDataMin = v;
    ch->dDataMax = v;
  }
  if (v < ch->dDataMin) ch->dDataMin = v;
  if (v > ch->dDataMax) ch->dDataMax = v;
}

int Channel_SetSample(CurveChannel* ch, int i, double v) {
  if (!ch || i < 0) return 0;
  if (i >= ch->iAllocated) Channel_GrowFor(ch, i);
  if (i < ch->iAllocated) {
    ch->pdSamples[i] = v;
    if (i >= ch->iNrOfSamples) ch->iNrOfSamples = i + 1;
  }
  Channel_TrackValue(ch, v);
  return 1;
}

int Channel_XToIndex(const CurveChannel* ch, double x) {
  if (!ch->pdSamples || !(ch->dXStep > 0.0)) return -1;
  double q = (x - ch->dXOrigin) / ch->dXStep + 0.5;
  // Truncation toward zero; anything outside the capacity (NaN included) is -1.
  if (!(q > -1.0) || !(q < static_cast<double>(ch->iAllocated))) return -1;
  int i = static_cast<int>(q);
  return (i >= 0 && i < ch->iAllocated) ? i : -1;
}

int Channel_UpdateRange(CurveChannel* ch) {
  if (!ch) return 0;
  int n = ch->iNrOfSamples < ch->iAllocated ? ch->iNrOfSamples : ch->iAllocated;
  double lo = 1e100, hi = -1e100;
  if (ch->pdSamples) {
    for (int i = 0; i < n; ++i) {
      double v = ch->pdSamples[i];
      if (!std::isfinite(v)) continue;  // NaN and infinities take no part
      if (v < lo) lo = v;
      if (v > hi) hi = v;
    }
  }
  if (lo < hi) {
    ch->dViewMin = ch->dDataMin = lo;
    ch->dViewMax = ch->dDataMax = hi;
  }
  return 1;
}

int Channel_CopySamples(const CurveChannel* src, CurveChannel* dst, int first, int last, int offset) {
  if (!src || !dst || src->iNrOfSamples <= 0) return 0;
  if (first <= 0 && last <= 0) {
    first = 0;
    last = src->iNrOfSamples - 1;
  }
  if (offset < 0) offset = 0;
  for (int i = first; i <= last; ++i) Channel_SetSample(dst, i + offset, src->pdSamples[i]);
  return 1;
}

void ChannelSet_Init(ChannelSet* set, int n) {
  if (!set) return;
  if (n < CHANNEL_MIN_ALLOC) n = CHANNEL_MIN_ALLOC;
  if (n > CHANNEL_MAX_INITIAL_ALLOC) n = CHANNEL_MAX_INITIAL_ALLOC;
  std::memset(set, 0, sizeof(*set));
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    Channel_Init(&set->Channel[c], n);
    ChannelSet_NameDefault(set, c);
  }
}

void ChannelSet_NameDefault(ChannelSet* set, int c) {
  if (set && Channel_IsIndex(c)) std::snprintf(set->Channel[c].szName, CHANNEL_NAME_LEN, "Channel %d", c + 1);
}

void ChannelSet_FreeAll(ChannelSet* set) {
  if (!set) return;
  for (int c = 0; c < MAX_CHANNELS; ++c) Channel_Free(&set->Channel[c]);
}

void ChannelSet_CountInUse(ChannelSet* set) {
  if (!set) return;
  int count = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = set->Channel[c];
    if (ch.pdSamples && ch.iAllocated > 0 && ch.iNrOfSamples != 0) ++count;
  }
  set->iChannelsInUse = count;
}

int ChannelSet_SetSample(ChannelSet* set, int c, int i, double v) {
  if (!set || c < 0 || c >= MAX_CHANNELS || i < 0) return 0;
  if (!Channel_SetSample(&set->Channel[c], i, v)) return 0;
  if (set->iChannelsInUse <= c) set->iChannelsInUse = c + 1;
  return 1;
}

int ChannelSet_SetSamples(ChannelSet* set, int c, int i, const double* values, int count) {
  if (!set || c < 0 || c >= MAX_CHANNELS || i < 0 || count < 0 || !values) return 0;
  CurveChannel* ch = &set->Channel[c];
  if (count > 0 && i <= ch->iAllocated - count) {
    std::memcpy(ch->pdSamples + i, values, static_cast<size_t>(count) * sizeof(double));
    if (i + count > ch->iNrOfSamples) ch->iNrOfSamples = i + count;
    for (int k = 0; k < count; ++k) Channel_TrackValue(ch, values[k]);
  } else {
    for (int k = 0; k < count && k <= INT_MAX - i; ++k) Channel_SetSample(ch, i + k, values[k]);  // i + k stays an int
  }
  if (count > 0 && set->iChannelsInUse <= c) set->iChannelsInUse = c + 1;
  return 1;
}
