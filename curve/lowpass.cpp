// Low-pass filter: the chosen range is copied into the middle of a
// power-of-two work array (the first and last value continued on either
// side), transformed, weighted by a gain that
// falls linearly from 1 to 0 across the transition below the cut-off,
// transformed back and stored into the target.  The work arrays live for one
// call only; when they cannot be allocated the target is left untouched.  The
// interactive filter keeps the forward transform (LowPassSpectrum) and repeats
// only the shaping and the inverse transform for each new setting.
#include "curve/lowpass.h"

#include <cstdlib>
#include <cstring>

#include "curve/fft.h"
#include "curve/safe_int.h"

namespace {

// The samples a filter run reads: first..last of the source, count of them.
struct LowPassRange {
  int iFirst;  // first source index read, >= 0
  int iLast;   // last source index read, below the channel's count
  int iCount;  // iLast - iFirst + 1, LOWPASS_MIN_COUNT .. LOWPASS_MAX_COUNT
};

// Applies the argument rules: first below 0 becomes 0, last is cut to the last
// sample, and a range without at least two ordered ends means the whole
// channel.  Returns 0 when the range is refused.
int LowPass_ChooseRange(const CurveChannel* src, int first, int last, LowPassRange* range) {
  // A record whose count exceeds its storage cannot be read safely.
  if (!src->pdSamples || src->iNrOfSamples > src->iAllocated) return 0;
  if (first < 0) first = 0;
  if (last >= src->iNrOfSamples) last = src->iNrOfSamples - 1;
  int count;
  if (last > first) {
    count = last - first + 1;
  } else {
    count = src->iNrOfSamples;
    first = 0;
    last = count - 1;
  }
  if (count < LOWPASS_MIN_COUNT || count > LOWPASS_MAX_COUNT || count > src->iNrOfSamples) return 0;
  range->iFirst = first;
  range->iLast = last;
  range->iCount = count;
  return 1;
}

// The smallest power of two that holds count samples, at least 4.
int LowPass_BlockSize(int count) {
  long long n = 4;
  while (n < count) n *= 2;
  return static_cast<int>(n);
}

// Places the samples in the middle of the n-point block and continues the
// first and the last value into the pad elements on either side.
void LowPass_FillBlock(const CurveChannel* src, const LowPassRange& range, int n, int pad, double* re) {
  const double* s = src->pdSamples;
  for (int i = 0; i < pad; ++i) re[i] = s[range.iFirst];
  for (int i = 0; i < range.iCount; ++i) re[pad + i] = s[range.iFirst + i];
  for (int i = pad + range.iCount; i < n; ++i) re[i] = s[range.iLast];
}

// Shapes bins 0 to n/2: gain 1 up to lo, 0 from hi on, and a linear ramp of
// slope 1/h in between.  The bin arithmetic runs in 64 bits so that huge
// cut-off or width values cannot overflow.
void LowPass_ShapeSpectrum(int n, double cutoff, double width, double* re, double* im) {
  if (!(2 * cutoff >= width)) width = 2 * cutoff;
  const long long half = n / 2;
  const long long h = Double_ToInt(static_cast<double>(half) * width);
  const long long kc = Double_ToInt(static_cast<double>(half) * cutoff);
  const long long lo = kc - h / 2;
  const long long hi = kc + h / 2;
  for (long long k = 0; k <= half; ++k) {
    double g;
    if (k <= lo) g = 1.0;
    else if (k >= hi) g = 0.0;
    else g = 1.0 - static_cast<double>(k - lo) / static_cast<double>(h);
    re[k] *= g;
    im[k] *= g;
  }
}

// Shapes the spectrum in re/im and transforms it back; the range's samples
// are then in re from (n - count) / 2 on.  The inverse transform is most of
// the work: it reports to progress.
void LowPass_Back(int n, double* re, double* im, double cutoff, double width, WorkProgress* progress) {
  LowPass_ShapeSpectrum(n, cutoff, width, re, im);
  FFT_InverseRealD(n, re, im, progress);
}

// Copies the kept bins 0 .. n/2 (re, then im) into the work arrays; the
// inverse reads only those, the rest of the arrays is workspace.
void LowPass_CopyBins(const LowPassSpectrum* sp, double* re, double* im) {
  const size_t bins = static_cast<size_t>(sp->iN) / 2 + 1;
  std::memcpy(re, sp->pdBins, bins * sizeof(double));
  std::memcpy(im, sp->pdBins + bins, bins * sizeof(double));
}

}  // namespace

int Channel_LowPass(const CurveChannel* src, CurveChannel* dst, int first, int last, double cutoff,
                    double width, WorkProgress* progress) {
  if (!src || !dst) return 0;
  LowPassRange range = {};
  if (!LowPass_ChooseRange(src, first, last, &range)) return 0;
  const int n = LowPass_BlockSize(range.iCount);
  const int pad = (n - range.iCount) / 2;
  // Both work arrays in one block: re is the first half, im the second.  No
  // clearing is needed: the block fills all of re, and the transform uses im
  // only as workspace that it writes before reading.
  double* work = static_cast<double*>(std::malloc(2 * static_cast<size_t>(n) * sizeof(double)));
  if (!work) return LOWPASS_NO_MEMORY;
  // Every sample is read into the block before any is stored, so dst may be src.
  // The two transforms are most of the work; the store comes only after the
  // last chance to stop.
  double* re = work;
  double* im = work + n;
  ProgressPart forward{}, inverse{};
  int go = Progress_Report(progress, 0, 100);
  if (go) LowPass_FillBlock(src, range, n, pad, re);
  if (go && (go = Progress_Report(progress, 5, 100))) FFT_RealD(n, re, im, Progress_Part(&forward, progress, 5, 40));
  if (go && (go = Progress_Report(progress, 45, 100)))
    LowPass_Back(n, re, im, cutoff, width, Progress_Part(&inverse, progress, 50, 45));
  if (go && (go = Progress_Report(progress, 95, 100))) Channel_StoreSamples(dst, range.iFirst, re + pad, range.iCount);
  std::free(work);
  if (!go) return LOWPASS_STOPPED;
  Progress_Report(progress, 100, 100);
  return 1;
}

int LowPass_Prepare(const CurveChannel* src, int first, int last, LowPassSpectrum* sp, WorkProgress* progress) {
  if (!src || !sp) return 0;
  LowPassRange range = {};
  if (!LowPass_ChooseRange(src, first, last, &range)) return 0;
  LowPass_Free(sp);
  const int n = LowPass_BlockSize(range.iCount);
  const int pad = (n - range.iCount) / 2;
  const size_t bins = static_cast<size_t>(n) / 2 + 1;
  sp->pdWork = static_cast<double*>(std::malloc(2 * static_cast<size_t>(n) * sizeof(double)));
  sp->pdBins = static_cast<double*>(std::malloc(2 * bins * sizeof(double)));
  if (!sp->pdWork || !sp->pdBins) {
    LowPass_Free(sp);
    return LOWPASS_NO_MEMORY;
  }
  double* re = sp->pdWork;
  double* im = sp->pdWork + n;
  ProgressPart forward{};
  int go = Progress_Report(progress, 0, 100);
  if (go) LowPass_FillBlock(src, range, n, pad, re);
  if (go && (go = Progress_Report(progress, 5, 100))) FFT_RealD(n, re, im, Progress_Part(&forward, progress, 5, 90));
  if (!go || !Progress_Report(progress, 95, 100)) {
    LowPass_Free(sp);
    return LOWPASS_STOPPED;
  }
  std::memcpy(sp->pdBins, re, bins * sizeof(double));
  std::memcpy(sp->pdBins + bins, im, bins * sizeof(double));
  sp->iN = n;
  sp->iPad = pad;
  sp->iFirst = range.iFirst;
  sp->iCount = range.iCount;
  Progress_Report(progress, 100, 100);
  return 1;
}

int LowPass_Apply(LowPassSpectrum* sp, CurveChannel* dst, double cutoff, double width,
                  WorkProgress* progress) {
  if (!sp || !sp->pdBins || !dst) return 0;
  const int n = sp->iN;
  double* re = sp->pdWork;
  double* im = sp->pdWork + n;
  ProgressPart inverse{};
  int go = Progress_Report(progress, 0, 100);
  if (go) LowPass_CopyBins(sp, re, im);
  if (go && (go = Progress_Report(progress, 5, 100)))
    LowPass_Back(n, re, im, cutoff, width, Progress_Part(&inverse, progress, 5, 90));
  // The store comes after the last chance to stop: a stopped run changes nothing.
  if (!go || !Progress_Report(progress, 95, 100)) return LOWPASS_STOPPED;
  Channel_StoreSamples(dst, sp->iFirst, re + sp->iPad, sp->iCount);
  Progress_Report(progress, 100, 100);
  return 1;
}

void LowPass_Free(LowPassSpectrum* sp) {
  if (!sp) return;
  std::free(sp->pdBins);
  std::free(sp->pdWork);
  std::memset(sp, 0, sizeof(*sp));
}
