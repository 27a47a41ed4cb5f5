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

// Transforms the range into re/im (n doubles each).
void LowPass_Forward(const CurveChannel* src, const LowPassRange& range, int n, double* re, double* im) {
  LowPass_FillBlock(src, range, n, (n - range.iCount) / 2, re);
  FFT_RealD(n, re, im);
}

// Shapes the spectrum in re/im, transforms it back and stores the range's
// samples into dst.
void LowPass_Back(const LowPassRange& range, int n, double* re, double* im, CurveChannel* dst, double cutoff,
                  double width) {
  LowPass_ShapeSpectrum(n, cutoff, width, re, im);
  FFT_InverseRealD(n, re, im);
  Channel_StoreSamples(dst, range.iFirst, re + (n - range.iCount) / 2, range.iCount);
}

// Maps the reports of one stage onto its share from .. from + span of the
// filter's hundred.
struct StageProgress {
  WorkProgress* pOuter;  // the filter's progress
  long long llFrom;      // where the stage starts, in hundredths
  long long llSpan;      // its share, in hundredths
};

int StageProgress_Report(void* context, long long done, long long total) {
  auto* s = static_cast<StageProgress*>(context);
  return Progress_Report(s->pOuter, s->llFrom + (total > 0 ? s->llSpan * done / total : 0), 100);
}

}  // namespace

int Channel_LowPass(const CurveChannel* src, CurveChannel* dst, int first, int last, double cutoff,
                    double width, WorkProgress* progress) {
  if (!src || !dst) return 0;
  LowPassRange range = {};
  if (!LowPass_ChooseRange(src, first, last, &range)) return 0;
  const int n = LowPass_BlockSize(range.iCount);
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
  StageProgress forward{progress, 5, 40}, inverse{progress, 50, 45};
  WorkProgress fwd{StageProgress_Report, &forward, 0}, inv{StageProgress_Report, &inverse, 0};
  int go = Progress_Report(progress, 0, 100);
  if (go) LowPass_FillBlock(src, range, n, (n - range.iCount) / 2, re);
  if (go && (go = Progress_Report(progress, 5, 100))) FFT_RealD(n, re, im, progress ? &fwd : nullptr);
  if (go && (go = Progress_Report(progress, 45, 100))) LowPass_ShapeSpectrum(n, cutoff, width, re, im);
  if (go && (go = Progress_Report(progress, 50, 100))) FFT_InverseRealD(n, re, im, progress ? &inv : nullptr);
  if (go && (go = Progress_Report(progress, 95, 100)))
    Channel_StoreSamples(dst, range.iFirst, re + (n - range.iCount) / 2, range.iCount);
  std::free(work);
  if (!go) return LOWPASS_STOPPED;
  Progress_Report(progress, 100, 100);
  return 1;
}

int LowPass_Prepare(const CurveChannel* src, int first, int last, LowPassSpectrum* sp) {
  if (!src || !sp) return 0;
  LowPassRange range = {};
  if (!LowPass_ChooseRange(src, first, last, &range)) return 0;
  if (sp->pdBins && sp->pSource == src && sp->uStamp == src->uStamp && sp->iFirst == range.iFirst &&
      sp->iCount == range.iCount)
    return 1;
  LowPass_Free(sp);
  const int n = LowPass_BlockSize(range.iCount);
  const size_t bins = static_cast<size_t>(n) / 2 + 1;
  sp->pdWork = static_cast<double*>(std::malloc(2 * static_cast<size_t>(n) * sizeof(double)));
  sp->pdBins = static_cast<double*>(std::malloc(2 * bins * sizeof(double)));
  if (!sp->pdWork || !sp->pdBins) {
    LowPass_Free(sp);
    return LOWPASS_NO_MEMORY;
  }
  LowPass_Forward(src, range, n, sp->pdWork, sp->pdWork + n);
  std::memcpy(sp->pdBins, sp->pdWork, bins * sizeof(double));
  std::memcpy(sp->pdBins + bins, sp->pdWork + n, bins * sizeof(double));
  sp->iN = n;
  sp->iPad = (n - range.iCount) / 2;
  sp->iFirst = range.iFirst;
  sp->iCount = range.iCount;
  sp->pSource = src;
  sp->uStamp = src->uStamp;
  return 1;
}

int LowPass_Apply(LowPassSpectrum* sp, CurveChannel* dst, double cutoff, double width) {
  if (!sp || !sp->pdBins || !dst) return 0;
  const int n = sp->iN;
  const size_t bins = static_cast<size_t>(n) / 2 + 1;
  double* re = sp->pdWork;
  double* im = sp->pdWork + n;
  // The inverse reads bins 0 .. n/2 only; the rest of the arrays is workspace.
  std::memcpy(re, sp->pdBins, bins * sizeof(double));
  std::memcpy(im, sp->pdBins + bins, bins * sizeof(double));
  LowPassRange range = {sp->iFirst, sp->iFirst + sp->iCount - 1, sp->iCount};
  LowPass_Back(range, n, re, im, dst, cutoff, width);
  return 1;
}

void LowPass_Free(LowPassSpectrum* sp) {
  if (!sp) return;
  std::free(sp->pdBins);
  std::free(sp->pdWork);
  std::memset(sp, 0, sizeof(*sp));
}
