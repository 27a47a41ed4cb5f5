#pragma once
// Transform-based low-pass filter over a channel or a range of it.

#include "curve/channel.h"
#include "curve/progress.h"

// Largest number of samples that one filter run takes: a whole channel.
constexpr int LOWPASS_MAX_COUNT = CHANNEL_MAX_ALLOC;
// Result of a filter that could not get its work memory (nothing changed).
constexpr int LOWPASS_NO_MEMORY = -1;
// Result of a filter that its progress record stopped (nothing changed).
constexpr int LOWPASS_STOPPED = -2;
// Smallest number of samples that one filter run takes.
constexpr int LOWPASS_MIN_COUNT = 4;

// Filters samples first..last of src (the whole channel when last <= first)
// with a linear transition of the given width below the cut-off, both relative
// to half the sampling rate, and stores the result at the same indices of dst
// (which may be src).  Returns 0 when the arguments are refused (fewer than 4
// samples, a null channel), 1 otherwise; a failed work allocation returns
// LOWPASS_NO_MEMORY and changes nothing.  progress (when given) hears of each
// stage in hundredths; when it asks to stop before the result is stored, the
// result is LOWPASS_STOPPED and nothing changes.
int Channel_LowPass(const CurveChannel* src, CurveChannel* dst, int first, int last, double cutoff,
                    double width, WorkProgress* progress = nullptr);

// The forward transform of one source range, kept so that filtering the same
// samples again with other settings costs one inverse transform.  It knows
// nothing of where its samples came from: its owner keeps it only as long
// as those samples stay as they were.
struct LowPassSpectrum {
  double* pdBins;     // owned: re of bins 0 .. n/2, then im of the same bins; NULL when empty
  double* pdWork;     // owned: 2 n doubles for the inverse transform
  int iN;             // transform size, a power of two
  int iPad;           // index in the block of the range's first sample
  int iFirst;         // first source index of the range
  int iCount;         // samples in the range
};

// Transforms samples first..last of src (the same rules as Channel_LowPass)
// into sp, replacing what it held.  Returns 1 when sp is ready, 0 when the
// range is refused (sp unchanged), LOWPASS_NO_MEMORY when the work memory is
// missing and LOWPASS_STOPPED when progress (hundredths, as for
// Channel_LowPass) asked to stop; sp is left empty in both.
int LowPass_Prepare(const CurveChannel* src, int first, int last, LowPassSpectrum* sp,
                    WorkProgress* progress = nullptr);
// Filters the prepared samples into the same indices of dst, bit for bit as
// Channel_LowPass does, using sp's work arrays.  0 (nothing changes) when sp
// is empty; LOWPASS_STOPPED when progress asked to stop (dst unchanged, sp
// still ready).
int LowPass_Apply(LowPassSpectrum* sp, CurveChannel* dst, double cutoff, double width,
                  WorkProgress* progress = nullptr);
// Releases the spectrum; sp is empty afterwards.
void LowPass_Free(LowPassSpectrum* sp);
