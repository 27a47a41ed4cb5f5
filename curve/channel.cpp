// The channel operations: storage that grows on demand up to
// CHANNEL_MAX_ALLOC samples, stores that track the range of the finite values
// and keep the min/max summaries exact, and the set-wide init, count and free.
// A failed allocation is never an error message: the channel keeps the
// storage and samples it had.  Storage of several megabytes is mapped from
// the system on its own (huge pages, grown by remapping), so a long load
// writes each page once and never holds two copies.
//
// Bulk stores, and stores a reader made straight into the storage
// (Channel_TakeStored), recompute the summaries of the blocks they cover and
// take the range of their values from those summaries, not from another pass.
//
// The summaries cover the stored values of indices 0 .. iCovered - 1.  A store
// just past the covered part folds its value in; a store inside it folds the
// value in unless the value it replaces may have been its block's minimum or
// maximum (or a NaN), in which case that block is recomputed from the samples
// (128 values, then 64 fine blocks for the coarse one).
#include "curve/channel.h"

#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define CHANNEL_AVX2 1  // a 256-bit scan is built beside the SSE2 one and picked when the processor has it
#endif

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kFine = 1 << SUMMARY_SHIFT1;
constexpr int kCoarse = 1 << SUMMARY_SHIFT2;
constexpr size_t kHuge = 2u << 20;

size_t FineBlocks(long long n) { return static_cast<size_t>((n + kFine - 1) >> SUMMARY_SHIFT1); }
size_t CoarseBlocks(long long n) { return static_cast<size_t>((n + kCoarse - 1) >> SUMMARY_SHIFT2); }

// Widens block b by another block's extent.
inline void Fold(SummaryBlock* b, double lo, double hi) {
  if (lo < b->dLo) b->dLo = lo;
  if (hi > b->dHi) b->dHi = hi;
}

// Storage of this many bytes or more is mapped from the system on its own.
constexpr size_t kMapMin = 2 * kHuge;

size_t RoundToHuge(size_t bytes) { return (bytes + kHuge - 1) / kHuge * kHuge; }

// n zeroed doubles (n > 0), released with FreeStorage(p, n).  Storage of
// several megabytes is mapped from the system on its own, at a 2 MiB boundary
// and with huge pages asked for: its pages read zero until first written, so
// nothing writes them before the samples do, filling it costs a few hundred
// page faults rather than thousands, and it always takes new address space.
double* AllocZeroed(long long n) {
  const size_t bytes = static_cast<size_t>(n) * sizeof(double);
#ifdef __linux__
  if (bytes >= kMapMin) {
    const size_t len = RoundToHuge(bytes);
    void* m = ::mmap(nullptr, len + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return nullptr;
    const uintptr_t lo = reinterpret_cast<uintptr_t>(m), a = (lo + kHuge - 1) / kHuge * kHuge;
    if (a > lo) ::munmap(m, a - lo);
    if (lo + len + kHuge > a + len) ::munmap(reinterpret_cast<void*>(a + len), lo + len + kHuge - (a + len));
    ::madvise(reinterpret_cast<void*>(a), len, MADV_HUGEPAGE);
    return reinterpret_cast<double*>(a);
  }
#endif
  return static_cast<double*>(std::calloc(bytes / sizeof(double), sizeof(double)));
}

// Releases storage of n samples made by AllocZeroed or GrowStorage.
void FreeStorage(double* p, long long n) {
#ifdef __linux__
  const size_t bytes = static_cast<size_t>(n) * sizeof(double);
  if (p && bytes >= kMapMin) {
    ::munmap(p, RoundToHuge(bytes));
    return;
  }
#else
  (void)n;
#endif
  std::free(p);
}

// Storage of m samples holding the n values at p (0 < n < m), whose new
// elements read 0.0, or null (p unchanged) when it cannot be had.  Mapped
// storage is remapped, in place where the system can, so that a growing load
// never holds two copies of the samples.
double* GrowStorage(double* p, long long n, long long m) {
#ifdef __linux__
  const size_t oldBytes = static_cast<size_t>(n) * sizeof(double);
  if (oldBytes >= kMapMin) {
    // The bytes behind the old samples were never written: they read 0.0.
    const size_t oldLen = RoundToHuge(oldBytes), len = RoundToHuge(static_cast<size_t>(m) * sizeof(double));
    if (len == oldLen) return p;
    void* q = ::mremap(p, oldLen, len, MREMAP_MAYMOVE);
    return q == MAP_FAILED ? nullptr : static_cast<double*>(q);
  }
#endif
  double* q = AllocZeroed(m);
  if (!q) return nullptr;
  std::memcpy(q, p, static_cast<size_t>(n) * sizeof(double));
  FreeStorage(p, n);
  return q;
}

// Readies summary storage that a load is about to fill from end to end: huge
// pages over the whole 2 MiB pages within p .. p + bytes, and all its pages
// faulted in by one call rather than one page fault per 4 KiB.
void PrepareSummary(void* p, size_t bytes) {
#ifdef __linux__
  const uintptr_t a = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) / kHuge * kHuge;
  const uintptr_t e = (reinterpret_cast<uintptr_t>(p) + bytes) / kHuge * kHuge;
  if (e > a) ::madvise(reinterpret_cast<void*>(a), e - a, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  const uintptr_t page = reinterpret_cast<uintptr_t>(p) & ~static_cast<uintptr_t>(4095);
  ::madvise(reinterpret_cast<void*>(page), reinterpret_cast<uintptr_t>(p) + bytes - page, MADV_POPULATE_WRITE);
#endif
#else
  (void)p, (void)bytes;
#endif
}

// Resizes *p to count elements of size bytes each; 0 (and *p unchanged) on failure.
template <typename T>
int Resize(T** p, size_t count) {
  void* q = std::realloc(*p, count * sizeof(T) + (count == 0));
  if (!q) return 0;
  *p = static_cast<T*>(q);
  return 1;
}

// Gives the summary arrays room for a capacity of n samples.  The arrays never
// shrink, so a partial failure leaves them at least as large as before.
int Summary_Grow(ChannelSummary* s, long long n) {
  if (!Resize(&s->pFine, FineBlocks(n)) || !Resize(&s->pbFineNaN, FineBlocks(n)) ||
      !Resize(&s->pCoarse, CoarseBlocks(n)) || !Resize(&s->pbCoarseNaN, CoarseBlocks(n)))
    return 0;
  PrepareSummary(s->pFine, FineBlocks(n) * sizeof(SummaryBlock));
  PrepareSummary(s->pbFineNaN, FineBlocks(n));
  return 1;
}

void Summary_Free(ChannelSummary* s) {
  std::free(s->pFine);
  std::free(s->pbFineNaN);
  std::free(s->pCoarse);
  std::free(s->pbCoarseNaN);
  std::memset(s, 0, sizeof(*s));
}

// Folds v, stored at index i == iCovered, into the summaries.
inline void Summary_Append(ChannelSummary* s, int i, double v) {
  const int f = i >> SUMMARY_SHIFT1, g = i >> SUMMARY_SHIFT2;
  if ((i & (kFine - 1)) == 0) s->pFine[f] = SummaryBlock{kInf, -kInf}, s->pbFineNaN[f] = 0;
  if ((i & (kCoarse - 1)) == 0) s->pCoarse[g] = SummaryBlock{kInf, -kInf}, s->pbCoarseNaN[g] = 0;
  if (v != v) {
    s->pbFineNaN[f] = s->pbCoarseNaN[g] = 1;
  } else {
    Fold(&s->pFine[f], v, v);
    Fold(&s->pCoarse[g], v, v);
  }
  s->iCovered = i + 1;
}

// Recomputes the blocks that hold indices from .. to - 1 (within iCovered)
// from the stored samples.
void Summary_Rebuild(CurveChannel* ch, long long from, long long to) {
  ChannelSummary* s = &ch->Summary;
  const long long cov = s->iCovered;
  if (to > cov) to = cov;
  if (from < 0) from = 0;
  if (from >= to) return;
  for (long long f = from >> SUMMARY_SHIFT1; f <= (to - 1) >> SUMMARY_SHIFT1; ++f) {
    long long a = f << SUMMARY_SHIFT1, e = a + kFine < cov ? a + kFine : cov;
    int nan = 0;
    Samples_MinMax(ch->pdSamples + a, e - a, &s->pFine[f].dLo, &s->pFine[f].dHi, &nan);
    s->pbFineNaN[f] = static_cast<unsigned char>(nan);
  }
  const long long fineUsed = static_cast<long long>(FineBlocks(cov));
  for (long long g = from >> SUMMARY_SHIFT2; g <= (to - 1) >> SUMMARY_SHIFT2; ++g) {
    SummaryBlock b{kInf, -kInf};
    unsigned char nan = 0;
    long long a = g << (SUMMARY_SHIFT2 - SUMMARY_SHIFT1);
    long long e = a + (kCoarse / kFine) < fineUsed ? a + (kCoarse / kFine) : fineUsed;
    for (long long f = a; f < e; ++f) {
      Fold(&b, s->pFine[f].dLo, s->pFine[f].dHi);
      nan |= s->pbFineNaN[f];
    }
    s->pCoarse[g] = b;
    s->pbCoarseNaN[g] = nan;
  }
}

// Extends the summaries over the stored samples up to index n - 1.
void Summary_Extend(CurveChannel* ch, int n) {
  for (int k = ch->Summary.iCovered; k < n; ++k) Summary_Append(&ch->Summary, k, ch->pdSamples[k]);
}

// Moves the channel to storage of n samples (n above the capacity) that keeps
// all old values; the new elements read 0.0.  0 when an allocation failed
// (the samples, their count and capacity are unchanged).
int Channel_Grow(CurveChannel* ch, long long n) {
  if (!Summary_Grow(&ch->Summary, n)) return 0;
  double* p = ch->pdSamples ? GrowStorage(ch->pdSamples, ch->iAllocated, n) : AllocZeroed(n);
  if (!p) return 0;
  ch->pdSamples = p;
  ch->iAllocated = static_cast<int>(n);
  return 1;
}

// Grows the storage so that it holds need samples (need <= the limit):
// twice the capacity when that is more, never beyond CHANNEL_MAX_ALLOC.
int Channel_GrowFor(CurveChannel* ch, long long need) {
  long long n = 2LL * ch->iAllocated;
  if (n > CHANNEL_MAX_ALLOC) n = CHANNEL_MAX_ALLOC;
  if (n < need) n = need;
  return Channel_Grow(ch, n);
}

// Widens the tracked range by v.  Values that are not finite are ignored: a
// NaN has no place on an axis, and one infinity would make the range
// infinite, so that every other value would normalise to the same end.
inline void Channel_TrackValue(CurveChannel* ch, double v) {
  if (!std::isfinite(v)) return;
  if (ch->dDataMin >= ch->dDataMax) {
    ch->dDataMin = v;
    ch->dDataMax = v;
  }
  if (v < ch->dDataMin) ch->dDataMin = v;
  if (v > ch->dDataMax) ch->dDataMax = v;
}

// Widens the tracked range by count values as Channel_TrackValue of each in
// turn would, given the smallest and largest of them that are numbers (lo,
// hi).  A valid range widens by those two at once when both are finite and
// not zero; otherwise (a range not yet valid follows the values one by one,
// and the sign a zero leaves depends on the order) value by value.
void Channel_TrackValues(CurveChannel* ch, const double* values, long long count, double lo, double hi) {
  if (ch->dDataMin < ch->dDataMax && std::isfinite(lo) && std::isfinite(hi) && lo != 0.0 && hi != 0.0) {
    Channel_TrackValue(ch, lo);
    Channel_TrackValue(ch, hi);
    return;
  }
  for (long long k = 0; k < count; ++k) Channel_TrackValue(ch, values[k]);
}

// Makes the values now in the storage at i .. end - 1 (within the capacity)
// stored samples: the summaries and the count follow them.
void Channel_AdoptStored(CurveChannel* ch, long long i, long long end) {
  ChannelSummary* s = &ch->Summary;
  long long from = i < s->iCovered ? i : s->iCovered;
  if (end > s->iCovered) s->iCovered = static_cast<int>(end);
  Summary_Rebuild(ch, from, end);
  if (end > ch->iNrOfSamples) ch->iNrOfSamples = static_cast<int>(end);
}

}  // namespace

void Channel_Init(CurveChannel* ch, int n) {
  if (!ch) return;
  std::memset(ch, 0, sizeof(*ch));
  if (n > 0 && !Channel_Grow(ch, n > CHANNEL_MAX_ALLOC ? CHANNEL_MAX_ALLOC : n)) Summary_Free(&ch->Summary);
  ch->dXOrigin = 0.0;
  ch->dXStep = 1.0;
  ch->dViewMin = ch->dViewMax = 0.0;
  ch->iAxis = 0;
}

void Channel_Free(CurveChannel* ch) {
  if (!ch) return;
  ch->iNrOfSamples = 0;
  FreeStorage(ch->pdSamples, ch->iAllocated);
  ch->iAllocated = 0;
  ch->pdSamples = nullptr;
  Summary_Free(&ch->Summary);
}

int Channel_Reserve(CurveChannel* ch, int n) {
  if (!ch || n > CHANNEL_MAX_ALLOC) return 0;
  if (n <= ch->iAllocated) return 1;
  return Channel_Grow(ch, n);
}

int Channel_SetSample(CurveChannel* ch, int i, double v) {
  if (!ch || i < 0) return 0;
  if (i >= ch->iAllocated && i < CHANNEL_MAX_ALLOC && !Channel_GrowFor(ch, i + 1LL)) ++ch->uLostStores;
  if (i < ch->iAllocated) {
    ChannelSummary* s = &ch->Summary;
    if (i >= s->iCovered) {
      Summary_Extend(ch, i);
      ch->pdSamples[i] = v;
      Summary_Append(s, i, v);
    } else {
      const double old = ch->pdSamples[i];
      ch->pdSamples[i] = v;
      const SummaryBlock& f = s->pFine[i >> SUMMARY_SHIFT1];
      if (old > f.dLo && old < f.dHi) {  // old was neither an end nor a NaN
        if (v != v) {
          s->pbFineNaN[i >> SUMMARY_SHIFT1] = s->pbCoarseNaN[i >> SUMMARY_SHIFT2] = 1;
        } else {
          Fold(&s->pFine[i >> SUMMARY_SHIFT1], v, v);
          Fold(&s->pCoarse[i >> SUMMARY_SHIFT2], v, v);
        }
      } else if (std::memcmp(&old, &v, sizeof v) != 0) {
        Summary_Rebuild(ch, i, i + 1LL);
      }
    }
    if (i >= ch->iNrOfSamples) ch->iNrOfSamples = i + 1;
  }
  Channel_TrackValue(ch, v);
  return 1;
}

int Channel_StoreSamples(CurveChannel* ch, int i, const double* values, int count) {
  if (!ch || i < 0 || count < 0 || !values) return 0;
  if (count == 0) return 1;
  long long end = static_cast<long long>(i) + count;
  if (end > CHANNEL_MAX_ALLOC) end = CHANNEL_MAX_ALLOC;  // stores beyond the limit are dropped
  if (end > i && end > ch->iAllocated && !Channel_GrowFor(ch, end)) {
    ch->uLostStores += static_cast<unsigned long long>(end - (i > ch->iAllocated ? i : ch->iAllocated));
    end = ch->iAllocated;
  }
  double lo = kInf, hi = -kInf;
  int nan;
  const long long kept = end > i ? end - i : 0;
  double* dst = kept > 0 ? ch->pdSamples + i : nullptr;
  const uintptr_t d = reinterpret_cast<uintptr_t>(dst), v = reinterpret_cast<uintptr_t>(values);
  const uintptr_t bytes = static_cast<uintptr_t>(kept) * sizeof(double);
  if (kept > 0 && (d + bytes <= v || v + static_cast<uintptr_t>(count) * sizeof(double) <= d)) {
    // Apart: the range of what was kept comes from the summaries just made,
    // and whatever was dropped is looked at on its own.
    std::memcpy(dst, values, static_cast<size_t>(bytes));
    Channel_AdoptStored(ch, i, end);
    Channel_MinMax(ch, i, static_cast<int>(end - 1), &lo, &hi, &nan);
    if (count > kept) {
      double l, h;
      Samples_MinMax(values + kept, count - kept, &l, &h, &nan);
      lo = l < lo ? l : lo;
      hi = h > hi ? h : hi;
    }
  } else {
    // Overlapping (or nothing kept): the range reads the values after the move.
    if (kept > 0) {
      std::memmove(dst, values, static_cast<size_t>(bytes));
      Channel_AdoptStored(ch, i, end);
    }
    Samples_MinMax(values, count, &lo, &hi, &nan);
  }
  Channel_TrackValues(ch, values, count, lo, hi);
  return 1;
}

int Channel_TakeStored(CurveChannel* ch, int i, int count) {
  if (!ch || !ch->pdSamples || i < 0 || count < 0 || static_cast<long long>(i) + count > ch->iAllocated) return 0;
  if (count == 0) return 1;
  Channel_AdoptStored(ch, i, static_cast<long long>(i) + count);
  double lo, hi;
  int nan;
  Channel_MinMax(ch, i, i + count - 1, &lo, &hi, &nan);
  Channel_TrackValues(ch, ch->pdSamples + i, count, lo, hi);
  return 1;
}

int Channel_SetCount(CurveChannel* ch, int n) {
  if (!ch || n < 0 || n > ch->iAllocated) return 0;
  ch->iNrOfSamples = n;
  if (ch->Summary.iCovered > n) {
    ch->Summary.iCovered = n;
    Summary_Rebuild(ch, n - 1LL, n);  // the last block is partial now
  } else {
    Summary_Extend(ch, n);
  }
  return 1;
}

int Channel_Crop(CurveChannel* ch, int first, int last) {
  if (!ch || !ch->pdSamples || first < 0 || last < first || last >= ch->iNrOfSamples || last >= ch->iAllocated)
    return 0;
  const int count = last - first + 1;
  std::memmove(ch->pdSamples, ch->pdSamples + first, static_cast<size_t>(count) * sizeof(double));
  ch->iNrOfSamples = count;
  ch->Summary.iCovered = count;
  Summary_Rebuild(ch, 0, count);
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
  double slo = 0.0, shi = 0.0;
  int nan;
  if (ch->pdSamples && n > 0) Channel_MinMax(ch, 0, n - 1, &slo, &shi, &nan);
  if (std::isfinite(slo) && std::isfinite(shi) && slo != 0.0 && shi != 0.0) {
    // The summaries give the same ends as the walk below when every number
    // is finite and neither end is a zero (whose sign the walk's order sets).
    lo = slo < lo ? slo : lo;
    hi = shi > hi ? shi : hi;
  } else if (ch->pdSamples) {
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
  if (first < 0 || last < first) return 1;
  // The destination is sized exactly for the copy when it must grow.
  long long end = static_cast<long long>(last) + offset + 1;
  if (end <= CHANNEL_MAX_ALLOC && end > dst->iAllocated) Channel_Reserve(dst, static_cast<int>(end));
  Channel_StoreSamples(dst, first + offset, src->pdSamples + first, last - first + 1);
  return 1;
}

namespace {

#ifdef CHANNEL_AVX2
// Samples_MinMax in four 256-bit chains (n >= 16): half the instructions of
// the SSE2 scan, the same ends.
__attribute__((target("avx2"))) void Samples_MinMaxAvx2(const double* p, long long n, double* lo, double* hi,
                                                        int* nan) {
  __m256d vl[4], vh[4], vbad = _mm256_setzero_pd();
  for (int j = 0; j < 4; ++j) vl[j] = _mm256_set1_pd(kInf), vh[j] = _mm256_set1_pd(-kInf);
  long long k = 0;
  for (; k + 16 <= n; k += 16) {
    const __m256d a = _mm256_loadu_pd(p + k), b = _mm256_loadu_pd(p + k + 4);
    const __m256d c = _mm256_loadu_pd(p + k + 8), d = _mm256_loadu_pd(p + k + 12);
    vl[0] = _mm256_min_pd(a, vl[0]), vh[0] = _mm256_max_pd(a, vh[0]);
    vl[1] = _mm256_min_pd(b, vl[1]), vh[1] = _mm256_max_pd(b, vh[1]);
    vl[2] = _mm256_min_pd(c, vl[2]), vh[2] = _mm256_max_pd(c, vh[2]);
    vl[3] = _mm256_min_pd(d, vl[3]), vh[3] = _mm256_max_pd(d, vh[3]);
    vbad = _mm256_or_pd(vbad, _mm256_or_pd(_mm256_cmp_pd(a, b, _CMP_UNORD_Q), _mm256_cmp_pd(c, d, _CMP_UNORD_Q)));
  }
  __m256d ml = _mm256_min_pd(_mm256_min_pd(vl[0], vl[1]), _mm256_min_pd(vl[2], vl[3]));
  __m256d mh = _mm256_max_pd(_mm256_max_pd(vh[0], vh[1]), _mm256_max_pd(vh[2], vh[3]));
  __m128d l2 = _mm_min_pd(_mm256_castpd256_pd128(ml), _mm256_extractf128_pd(ml, 1));
  __m128d h2 = _mm_max_pd(_mm256_castpd256_pd128(mh), _mm256_extractf128_pd(mh, 1));
  double l = _mm_cvtsd_f64(_mm_min_sd(l2, _mm_unpackhi_pd(l2, l2)));
  double h = _mm_cvtsd_f64(_mm_max_sd(h2, _mm_unpackhi_pd(h2, h2)));
  int bad = _mm256_movemask_pd(vbad) != 0;
  for (; k < n; ++k) {
    const double a = p[k];
    l = a < l ? a : l, h = a > h ? a : h;
    bad |= a != a;
  }
  *lo = l;
  *hi = h;
  *nan = bad;
}

const bool g_fAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));  // the processor runs the 256-bit scan
#endif

}  // namespace

// Eight independent chains in four pairs of SSE2 lanes keep the compare
// latency from serialising the loop; a < l ? a : l is exactly what minpd
// computes, NaN and all (a NaN leaves l).  The order in which the chains are
// merged sets only the sign of a zero end.  Without SSE2, one plain chain;
// with AVX2 (found at run time), the 256-bit scan above.
void Samples_MinMax(const double* p, long long n, double* lo, double* hi, int* nan) {
#ifdef CHANNEL_AVX2
  if (n >= 16 && g_fAvx2) return Samples_MinMaxAvx2(p, n, lo, hi, nan);
#endif
  double l = kInf, h = -kInf;
  int bad = 0;
  long long k = 0;
#ifdef __SSE2__
  if (n >= 8) {
    __m128d vl[4], vh[4], vbad = _mm_setzero_pd();
    for (int j = 0; j < 4; ++j) vl[j] = _mm_set1_pd(kInf), vh[j] = _mm_set1_pd(-kInf);
    for (; k + 8 <= n; k += 8) {
      const __m128d a = _mm_loadu_pd(p + k), b = _mm_loadu_pd(p + k + 2);
      const __m128d c = _mm_loadu_pd(p + k + 4), d = _mm_loadu_pd(p + k + 6);
      vl[0] = _mm_min_pd(a, vl[0]), vh[0] = _mm_max_pd(a, vh[0]);
      vl[1] = _mm_min_pd(b, vl[1]), vh[1] = _mm_max_pd(b, vh[1]);
      vl[2] = _mm_min_pd(c, vl[2]), vh[2] = _mm_max_pd(c, vh[2]);
      vl[3] = _mm_min_pd(d, vl[3]), vh[3] = _mm_max_pd(d, vh[3]);
      vbad = _mm_or_pd(vbad, _mm_or_pd(_mm_cmpunord_pd(a, b), _mm_cmpunord_pd(c, d)));
    }
    // The lanes hold no NaN, so merging them in any order gives the ends.
    __m128d ml = _mm_min_pd(_mm_min_pd(vl[0], vl[1]), _mm_min_pd(vl[2], vl[3]));
    __m128d mh = _mm_max_pd(_mm_max_pd(vh[0], vh[1]), _mm_max_pd(vh[2], vh[3]));
    l = _mm_cvtsd_f64(_mm_min_sd(ml, _mm_unpackhi_pd(ml, ml)));
    h = _mm_cvtsd_f64(_mm_max_sd(mh, _mm_unpackhi_pd(mh, mh)));
    bad = _mm_movemask_pd(vbad) != 0;
  }
#endif
  for (; k < n; ++k) {
    const double a = p[k];
    l = a < l ? a : l, h = a > h ? a : h;
    bad |= a != a;
  }
  *lo = l;
  *hi = h;
  *nan = bad;
}

void Channel_MinMax(const CurveChannel* ch, int first, int last, double* lo, double* hi, int* nan) {
  const ChannelSummary& s = ch->Summary;
  SummaryBlock acc{kInf, -kInf};
  int bad = 0;
  long long i = first;
  const long long end = static_cast<long long>(last) + 1;
  const long long cov = s.pFine && s.iCovered < end ? s.iCovered : (s.pFine ? end : first);
  auto samples = [&](long long a, long long e) {
    double l, h;
    int n;
    Samples_MinMax(ch->pdSamples + a, e - a, &l, &h, &n);
    Fold(&acc, l, h);
    bad |= n;
  };
  if (cov - i >= 2 * kFine) {
    long long head = (i + kFine - 1) & ~static_cast<long long>(kFine - 1);
    samples(i, head);
    for (i = head; i + kFine <= cov && (i & (kCoarse - 1)); i += kFine) {
      Fold(&acc, s.pFine[i >> SUMMARY_SHIFT1].dLo, s.pFine[i >> SUMMARY_SHIFT1].dHi);
      bad |= s.pbFineNaN[i >> SUMMARY_SHIFT1];
    }
    for (; i + kCoarse <= cov; i += kCoarse) {
      Fold(&acc, s.pCoarse[i >> SUMMARY_SHIFT2].dLo, s.pCoarse[i >> SUMMARY_SHIFT2].dHi);
      bad |= s.pbCoarseNaN[i >> SUMMARY_SHIFT2];
    }
    for (; i + kFine <= cov; i += kFine) {
      Fold(&acc, s.pFine[i >> SUMMARY_SHIFT1].dLo, s.pFine[i >> SUMMARY_SHIFT1].dHi);
      bad |= s.pbFineNaN[i >> SUMMARY_SHIFT1];
    }
  }
  samples(i, end);
  *lo = acc.dLo;
  *hi = acc.dHi;
  *nan = bad;
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

int ChannelSet_TakeStored(ChannelSet* set, int c, int i, int count) {
  if (!set || !Channel_IsIndex(c) || !Channel_TakeStored(&set->Channel[c], i, count)) return 0;
  if (count > 0 && set->iChannelsInUse <= c) set->iChannelsInUse = c + 1;
  return 1;
}

int ChannelSet_SetSamples(ChannelSet* set, int c, int i, const double* values, int count) {
  if (!set || c < 0 || c >= MAX_CHANNELS) return 0;
  if (!Channel_StoreSamples(&set->Channel[c], i, values, count)) return 0;
  if (count > 0 && set->iChannelsInUse <= c) set->iChannelsInUse = c + 1;
  return 1;
}

