#pragma once
// Radix-2 decimation-in-time fast Fourier transforms, in place on a pair of
// arrays (real parts, imaginary parts).  n is always a power of two; the
// real-signal transforms need n >= 4.  The forward transforms are unscaled and
// use the negative exponent: X[k] = sum of x[t] * exp(-2 pi i k t / n).
//
// Every result is fixed to the bit: twiddle factors come from one cosine and
// one sine per stage followed by a rotation recurrence, pi is the double
// 3.141592653589793, and each butterfly computes its products and sums in one
// fixed order.  The single-precision members keep every intermediate value in
// float; only the cosine and sine that seed a stage are evaluated in double and
// rounded to float once.

#include "curve/progress.h"

// The value of pi used by every transform.
constexpr double FFT_PI = 3.141592653589793;

// Forward complex transform of n points.
void FFT_ComplexD(int n, double* re, double* im);
// Forward transform of the real signal in re (im is workspace on entry); the
// full n-bin spectrum is in (re, im) on exit, the upper half mirroring the lower.
void FFT_RealD(int n, double* re, double* im);
// The same, telling progress of the butterfly blocks done; once it is stopped
// the transform ends early and its result is of no use.
void FFT_RealD(int n, double* re, double* im, WorkProgress* progress);
// Inverse of FFT_RealD: reads bins 0 to n/2 only; leaves the signal in re and
// zeros in im.
void FFT_InverseRealD(int n, double* re, double* im);
// The same with progress, as for FFT_RealD.
void FFT_InverseRealD(int n, double* re, double* im, WorkProgress* progress);

// Single-precision forward complex transform of n points.
void FFT_ComplexF(int n, float* re, float* im);
// Single-precision inverse complex transform, scaled by 1/n.
void FFT_InverseComplexF(int n, float* re, float* im);
// Single-precision forward transform of a real signal.
void FFT_RealF(int n, float* re, float* im);
// Single-precision inverse of FFT_RealF.
void FFT_InverseRealF(int n, float* re, float* im);
