#pragma once
// Transform-based low-pass filter over a channel or a range of it.

#include "curve/channel.h"

// Largest number of samples that one filter run takes.
constexpr int LOWPASS_MAX_COUNT = 1048576;
// Smallest number of samples that one filter run takes.
constexpr int LOWPASS_MIN_COUNT = 4;

// Filters samples first..last of src (the whole channel when last <= first)
// with a linear transition of the given width below the cut-off, both relative
// to half the sampling rate, and stores the result at the same indices of dst
// (which may be src).  Returns 0 when the arguments are refused (fewer than 4
// or more than 1048576 samples, a null channel), 1 otherwise; a failed work
// allocation returns 1 and changes nothing.
int Channel_LowPass(const CurveChannel* src, CurveChannel* dst, int first, int last, double cutoff,
                    double width);
