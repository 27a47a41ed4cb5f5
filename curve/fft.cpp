// Real and complex radix-2 transforms for the low-pass filter.
#include "curve/fft.h"

#include <cmath>

// How the transforms are organised for speed without changing a single bit:
// - Within a stage every butterfly touches its own pair of elements, so the
//   butterflies of a stage may run in any order as long as each one uses the
//   twiddle factor that the rotation recurrence gives for its position.  The
//   factors of a stage are therefore produced by the recurrence into a table
//   (or a chunk of one) first, and the butterflies then run over contiguous
//   memory, which the compiler can vectorise.
// - A stage only combines elements inside blocks of its own length, so all
//   stages of a small block can run while the block is in the cache before the
//   next block is touched (depth first).
// - The real-signal transform runs its half-length complex transform in the
//   lower halves of the arrays; the upper halves are free meanwhile and hold
//   the twiddle tables of every stage.

namespace {

// Stages with blocks of up to this many points run block by block in the cache.
constexpr int FFT_CACHE_BLOCK = 2048;
// Twiddle factors produced at a time for a stage that has no table.
constexpr int FFT_TWIDDLE_CHUNK = 512;

// The rotation recurrence of one stage: the current factor (ur, ui) and the
// per-step rotation (sr, si).
template <typename T>
struct FftRotor {
  T ur, ui;  // current twiddle factor (real, imaginary)
  T sr, si;  // rotation from one factor to the next
};

// Starts the recurrence of the stage whose blocks are 2 * le2 points long.
template <typename T>
FftRotor<T> FftRotor_Start(int le2) {
  FftRotor<T> rot;
  rot.ur = 1;
  rot.ui = 0;
  rot.sr = static_cast<T>(std::cos(FFT_PI / le2));
  rot.si = static_cast<T>(-std::sin(FFT_PI / le2));
  return rot;
}

// Writes the next count factors of the recurrence to wr and wi.
template <typename T>
void FftRotor_Fill(FftRotor<T>* rot, int count, T* __restrict wr, T* __restrict wi) {
  T ur = rot->ur, ui = rot->ui;
  const T sr = rot->sr, si = rot->si;
  for (int j = 0; j < count; ++j) {
    wr[j] = ur;
    wi[j] = ui;
    T t = ur;
    ur = t * sr - ui * si;
    ui = t * si + ui * sr;
  }
  rot->ur = ur;
  rot->ui = ui;
}

// Fills the twiddle tables of the stages le2 = 1, 2, 4, ... below size: the
// factors of stage le2 start at index le2 - 1 (size - 1 entries in all).
template <typename T>
void Fft_FillTables(int size, T* wr, T* wi) {
  for (int le2 = 1; le2 < size; le2 *= 2) {
    FftRotor<T> rot = FftRotor_Start<T>(le2);
    FftRotor_Fill(&rot, le2, wr + le2 - 1, wi + le2 - 1);
  }
}

// count butterflies between the elements j and j + dist, j = 0 .. count - 1,
// with the factors w[j].
template <typename T>
inline void Fft_Butterflies(int count, int dist, T* __restrict re, T* __restrict im,
                            const T* __restrict wr, const T* __restrict wi) {
  T* __restrict re2 = re + dist;
  T* __restrict im2 = im + dist;
  for (int j = 0; j < count; ++j) {
    T tr = re2[j] * wr[j] - im2[j] * wi[j];
    T ti = re2[j] * wi[j] + im2[j] * wr[j];
    re2[j] = re[j] - tr;
    im2[j] = im[j] - ti;
    re[j] = re[j] + tr;
    im[j] = im[j] + ti;
  }
}

// The first stage (pairs of neighbours, factor (wr, wi) = (1, 0)) over size
// points.
template <typename T>
void Fft_FirstStage(int size, T* __restrict re, T* __restrict im, T wr, T wi) {
  for (int i = 0; i < size; i += 2) {
    T tr = re[i + 1] * wr - im[i + 1] * wi;
    T ti = re[i + 1] * wi + im[i + 1] * wr;
    re[i + 1] = re[i] - tr;
    im[i + 1] = im[i] - ti;
    re[i] = re[i] + tr;
    im[i] = im[i] + ti;
  }
}

// All stages of one block of size points (a power of two) whose tables cover
// every stage below size.
template <typename T>
void Fft_BlockStages(int size, T* re, T* im, const T* wr, const T* wi) {
  if (size < 2) return;
  Fft_FirstStage(size, re, im, wr[0], wi[0]);
  for (int le2 = 2; le2 < size; le2 *= 2) {
    for (int b = 0; b < size; b += 2 * le2)
      Fft_Butterflies(le2, le2, re + b, im + b, wr + le2 - 1, wi + le2 - 1);
  }
}

// Counts the cache-sized blocks of the tabled stages for a progress record:
// most of a big transform's time is spent there.
struct FftTicker {
  WorkProgress* pProgress;  // told the blocks done of llTotal; null: nothing is counted
  long long llDone;         // blocks done
  long long llTotal;        // blocks of the whole transform
};

// All stages of a block of size points, depth first, with tables for every
// stage below size.  Once the ticker's progress is stopped the rest is skipped
// (the result is then of no use).
template <typename T>
void Fft_TabledStages(int size, T* re, T* im, const T* wr, const T* wi, FftTicker* tick) {
  if (tick && tick->pProgress && tick->pProgress->fStopped) return;
  if (size <= FFT_CACHE_BLOCK) {
    Fft_BlockStages(size, re, im, wr, wi);
    if (tick && (++tick->llDone & 15) == 0) Progress_Report(tick->pProgress, tick->llDone, tick->llTotal);
    return;
  }
  int half = size / 2;
  Fft_TabledStages(half, re, im, wr, wi, tick);
  Fft_TabledStages(half, re + half, im + half, wr, wi, tick);
  Fft_Butterflies(half, half, re, im, wr + half - 1, wi + half - 1);
}

// One stage with blocks of 2 * le2 points over all n points, its factors
// produced chunk by chunk; for stages that have no table.
template <typename T>
void Fft_ChunkedStage(int n, int le2, T* re, T* im) {
  T wr[FFT_TWIDDLE_CHUNK], wi[FFT_TWIDDLE_CHUNK];
  FftRotor<T> rot = FftRotor_Start<T>(le2);
  for (int j0 = 0; j0 < le2; j0 += FFT_TWIDDLE_CHUNK) {
    int count = le2 - j0 < FFT_TWIDDLE_CHUNK ? le2 - j0 : FFT_TWIDDLE_CHUNK;
    FftRotor_Fill(&rot, count, wr, wi);
    for (int b = 0; b < n; b += 2 * le2) Fft_Butterflies(count, le2, re + b + j0, im + b + j0, wr, wi);
  }
}

// Calls visit(i, j) for every index i of n points (n >= 2) with its bit
// reversal j.  j is a reverse-carry counter: adding one at the top bit clears
// the run of leading ones and sets the zero below them.  That run is exactly
// as long as the run of trailing ones of i, so the carry is one exclusive or
// with a mask taken from the trailing-zero count of i + 1 instead of a loop
// whose length the processor cannot predict.
template <typename Visit>
void Fft_ForEachReversal(int n, Visit visit) {
  const unsigned un = static_cast<unsigned>(n);
  unsigned j = 0;
  for (unsigned i = 0; i < un - 1; ++i) {
    visit(static_cast<int>(i), static_cast<int>(j));
    unsigned carry = static_cast<unsigned>(__builtin_ctz(i + 1)) + 1;
    j ^= un - (un >> carry);
  }
  visit(n - 1, n - 1);
}

// Bit reversal of three bits.
constexpr int FFT_REVERSE3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// Calls visit(i, j) for every index i of n points with its bit reversal j,
// in tiles of 8 x 8 indices so that both i and j run over whole cache lines:
// with i = (hi, mid, lo) split into 3 high, the middle and 3 low bits, j is
// (rev lo, rev mid, rev hi).  The middle reversal comes from the counter.
template <typename Visit>
void Fft_ForEachReversalTiled(int n, Visit visit) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  if (bits < 6) {
    Fft_ForEachReversal(n, visit);
    return;
  }
  const int shiftHi = bits - 3;
  Fft_ForEachReversal(1 << (bits - 6), [visit, shiftHi](int mid, int rmid) {
    for (int hi = 0; hi < 8; ++hi) {
      const int iBase = (hi << shiftHi) | (mid << 3);
      const int jBase = (rmid << 3) | FFT_REVERSE3[hi];
      for (int lo = 0; lo < 8; ++lo) visit(iBase | lo, jBase | (FFT_REVERSE3[lo] << shiftHi));
    }
  });
}

// Reorders n points by bit reversal, in place.
template <typename T>
void Fft_BitReverse(int n, T* re, T* im) {
  if (n < 2) return;
  Fft_ForEachReversalTiled(n, [re, im](int i, int j) {
    if (i < j) {
      T t = re[i];
      re[i] = re[j];
      re[j] = t;
      t = im[i];
      im[i] = im[j];
      im[j] = t;
    }
  });
}

template <typename T>
void Fft_Complex(int n, T* re, T* im) {
  Fft_BitReverse(n, re, im);
  T wr[FFT_CACHE_BLOCK], wi[FFT_CACHE_BLOCK];
  int block = n < FFT_CACHE_BLOCK ? n : FFT_CACHE_BLOCK;
  Fft_FillTables(block, wr, wi);
  for (int b = 0; b < n; b += block) Fft_BlockStages(block, re + b, im + b, wr, wi);
  for (int le2 = block; le2 < n; le2 *= 2) Fft_ChunkedStage(n, le2, re, im);
}

// Splits the real signal of n points into even samples (re) and odd samples
// (im) of the lower halves, already in bit-reversed order for the n/2-point
// complex transform.  The upper half of im holds the even samples meanwhile.
template <typename T>
void Fft_SplitReversed(int n, T* re, T* im) {
  const int half = n / 2;
  T* even = im + half;
  for (int i = 0; i < half; ++i) even[i] = re[2 * i];
  Fft_ForEachReversalTiled(half, [re, im](int i, int j) { im[j] = re[2 * i + 1]; });
  Fft_ForEachReversalTiled(half, [re, even](int i, int j) { re[j] = even[i]; });
}

// Turns the n/2-point complex spectrum of (even, odd) samples into the
// spectra of the two halves, and fixes the bins 0, n/4, n/2 and 3n/4.
template <typename T>
void Fft_SeparateHalves(int n, T* re, T* im) {
  for (int i = 1; i <= n / 4 - 1; ++i) {
    int m = n / 2 - i, p2 = i + n / 2, pm = m + n / 2;
    re[p2] = (im[i] + im[m]) * T(0.5);
    re[pm] = re[p2];
    im[p2] = -(re[i] - re[m]) * T(0.5);
    im[pm] = -im[p2];
    re[i] = (re[i] + re[m]) * T(0.5);
    re[m] = re[i];
    im[i] = (im[i] - im[m]) * T(0.5);
    im[m] = -im[i];
  }
  re[3 * n / 4] = im[n / 4];
  re[n / 2] = im[0];
  im[3 * n / 4] = 0;
  im[n / 2] = 0;
  im[n / 4] = 0;
  im[0] = 0;
}

template <typename T>
void Fft_Real(int n, T* re, T* im, WorkProgress* progress = nullptr) {
  const int half = n / 2;
  FftTicker tick{progress, 0, (half + FFT_CACHE_BLOCK - 1) / FFT_CACHE_BLOCK};
  Fft_SplitReversed(n, re, im);
  Fft_FillTables(half, re + half, im + half);
  Fft_TabledStages(half, re, im, re + half, im + half, progress ? &tick : nullptr);
  Fft_SeparateHalves(n, re, im);
  Fft_ChunkedStage(n, half, re, im);
}

template <typename T>
void Fft_InverseReal(int n, T* re, T* im, WorkProgress* progress = nullptr) {
  // Rebuild the upper half from the lower and add the imaginary parts; the
  // upper half goes first because it reads the lower half unchanged.
  for (int k = n / 2 + 1; k <= n - 1; ++k) {
    im[k] = -im[n - k];
    re[k] = re[n - k] + im[k];
  }
  for (int k = 0; k <= n / 2; ++k) re[k] = re[k] + im[k];
  Fft_Real(n, re, im, progress);
  const T s = T(1) / static_cast<T>(n);
  for (int i = 0; i < n; ++i) {
    re[i] = (re[i] + im[i]) * s;
    im[i] = 0;
  }
}

}  // namespace

void FFT_ComplexD(int n, double* re, double* im) { Fft_Complex(n, re, im); }

void FFT_RealD(int n, double* re, double* im) { Fft_Real(n, re, im); }

void FFT_RealD(int n, double* re, double* im, WorkProgress* progress) { Fft_Real(n, re, im, progress); }

void FFT_InverseRealD(int n, double* re, double* im) { Fft_InverseReal(n, re, im); }

void FFT_InverseRealD(int n, double* re, double* im, WorkProgress* progress) {
  Fft_InverseReal(n, re, im, progress);
}

void FFT_ComplexF(int n, float* re, float* im) { Fft_Complex(n, re, im); }

void FFT_InverseComplexF(int n, float* re, float* im) {
  for (int k = 0; k < n; ++k) im[k] = -im[k];
  Fft_Complex(n, re, im);
  const float s = 1.0f / static_cast<float>(n);
  for (int i = 0; i < n; ++i) {
    re[i] = s * re[i];
    im[i] = -s * im[i];
  }
}

void FFT_RealF(int n, float* re, float* im) { Fft_Real(n, re, im); }

void FFT_InverseRealF(int n, float* re, float* im) { Fft_InverseReal(n, re, im); }
