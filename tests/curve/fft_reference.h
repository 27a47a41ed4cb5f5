#pragma once
// Straightforward versions of the transforms and of the low-pass filter, loop
// for loop as the algorithm is defined, without any reordering.  The tuned
// implementations in curve/ must reproduce their results bit for bit.

#include <cmath>
#include <cstdlib>

#include "curve/channel.h"
#include "curve/fft.h"
#include "curve/safe_int.h"

template <typename T>
inline void RefFFT_RunStage(int n, T* re, T* im, int le) {
  int le2 = le / 2;
  T ur = 1, ui = 0;
  T sr = static_cast<T>(std::cos(FFT_PI / le2));
  T si = static_cast<T>(-std::sin(FFT_PI / le2));
  for (int j = 1; j <= le2; ++j) {
    for (int i = j - 1; i <= n - 1; i += le) {
      int ip = i + le2;
      T tr = re[ip] * ur - im[ip] * ui;
      T ti = re[ip] * ui + im[ip] * ur;
      re[ip] = re[i] - tr;
      im[ip] = im[i] - ti;
      re[i] = re[i] + tr;
      im[i] = im[i] + ti;
    }
    T t = ur;
    ur = t * sr - ui * si;
    ui = t * si + ui * sr;
  }
}

template <typename T>
inline void RefFFT_Complex(int n, T* re, T* im) {
  int j = n / 2;
  for (int i = 1; i <= n - 2; ++i) {
    if (i < j) {
      T t = re[i];
      re[i] = re[j];
      re[j] = t;
      t = im[i];
      im[i] = im[j];
      im[j] = t;
    }
    int k = n / 2;
    while (k <= j) {
      j = j - k;
      k = k / 2;
    }
    j = j + k;
  }
  for (int le = 2; le <= n; le *= 2) RefFFT_RunStage(n, re, im, le);
}

template <typename T>
inline void RefFFT_InverseComplex(int n, T* re, T* im) {
  for (int k = 0; k < n; ++k) im[k] = -im[k];
  RefFFT_Complex(n, re, im);
  T s = T(1) / static_cast<T>(n);
  for (int i = 0; i < n; ++i) {
    re[i] = s * re[i];
    im[i] = -s * im[i];
  }
}

template <typename T>
inline void RefFFT_Real(int n, T* re, T* im) {
  for (int i = 0; i <= n / 2 - 1; ++i) {
    re[i] = re[2 * i];
    im[i] = re[2 * i + 1];
  }
  RefFFT_Complex(n / 2, re, im);
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
  RefFFT_RunStage(n, re, im, n);
}

template <typename T>
inline void RefFFT_InverseReal(int n, T* re, T* im) {
  for (int k = n / 2 + 1; k <= n - 1; ++k) {
    re[k] = re[n - k];
    im[k] = -im[n - k];
  }
  for (int k = 0; k <= n - 1; ++k) re[k] = re[k] + im[k];
  RefFFT_Real(n, re, im);
  T s = T(1) / static_cast<T>(n);
  for (int i = 0; i <= n - 1; ++i) {
    re[i] = (re[i] + im[i]) * s;
    im[i] = 0;
  }
}

// The filter exactly as defined, without the guards for inconsistent
// channel records (callers of the reference pass sound channels).
inline int RefChannel_LowPass(CurveChannel* src, CurveChannel* dst, int first, int last, double cutoff,
                   double width) {
  if (!src || !dst) return 0;
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
  if (count < 4 || count > 1048576 || count > src->iNrOfSamples) return 0;
  int n = 4;
  while (n < count) n *= 2;
  double* re = static_cast<double*>(std::malloc(sizeof(double) * n));
  double* im = static_cast<double*>(std::malloc(sizeof(double) * n));
  if (!re || !im) {
    std::free(re);
    std::free(im);
    return 1;
  }
  for (int i = 0; i < n; ++i) re[i] = im[i] = 0.0;
  int pad = (n - count) / 2;
  for (int i = 0; i < count; ++i) re[pad + i] = src->pdSamples[first + i];
  for (int i = 0; i < pad; ++i) re[i] = src->pdSamples[first];
  for (int i = pad + count; i < n; ++i) re[i] = src->pdSamples[last];
  RefFFT_Real(n, re, im);
  if (!(2 * cutoff >= width)) width = 2 * cutoff;
  long long half = n / 2;
  long long h = Double_ToInt(half * width);
  long long kc = Double_ToInt(half * cutoff);
  long long lo = kc - h / 2, hi = kc + h / 2;
  for (long long k = 0; k <= half; ++k) {
    double g;
    if (k <= lo) g = 1.0;
    else if (k >= hi) g = 0.0;
    else g = 1.0 - static_cast<double>(k - lo) / static_cast<double>(h);
    re[k] *= g;
    im[k] *= g;
  }
  RefFFT_InverseReal(n, re, im);
  for (int i = 0; i < count; ++i) Channel_SetSample(dst, first + i, re[pad + i]);
  std::free(re);
  std::free(im);
  return 1;
}
