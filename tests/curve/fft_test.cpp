// The transforms: edge cases against plain sums, the identities between the
// real and complex forms, and bit-for-bit agreement with the straightforward
// reference versions.

#include "curve/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/curve/fft_reference.h"

namespace {

template <typename T>
std::vector<T> RandomSignal(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<T> v(n);
  for (T& x : v) x = static_cast<T>(dist(rng));
  return v;
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

template <typename T>
double MaxAbsDiff(const std::vector<T>& a, const std::vector<T>& b) {
  double m = 0.0;
  for (size_t i = 0; i < a.size(); ++i) m = std::fmax(m, std::fabs(double(a[i]) - double(b[i])));
  return m;
}

int Log2(int n) {
  int b = 0;
  while ((1 << b) < n) ++b;
  return b;
}

// The rotation recurrence drifts by about one rounding per step, so the
// twiddle factors of the longest stage are off by up to n/2 roundings; the
// tolerances follow that (times the spectrum's magnitude, about sqrt(n) for
// these signals, where a spectrum is compared).
double Tolerance(double eps, int n) { return eps * (n / 2 + 4 * Log2(n)); }
double DoubleTolerance(int n) { return Tolerance(2.3e-16, n); }
double FloatTolerance(int n) { return Tolerance(1.2e-7, n); }

TEST(FftEdgeCases, ImpulseGivesFlatSpectrum) {
  std::vector<double> re = {1, 0, 0, 0, 0, 0, 0, 0}, im(8, 0.0);
  FFT_RealD(8, re.data(), im.data());
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(re[k], 1.0, 1e-15) << k;
    EXPECT_NEAR(im[k], 0.0, 1e-15) << k;
  }
}

TEST(FftEdgeCases, ShiftedImpulseGivesRotatingPhase) {
  std::vector<double> re = {0, 1, 0, 0, 0, 0, 0, 0}, im(8, 0.0);
  FFT_RealD(8, re.data(), im.data());
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(re[k], std::cos(2 * FFT_PI * k / 8), 1e-15) << k;
    EXPECT_NEAR(im[k], -std::sin(2 * FFT_PI * k / 8), 1e-15) << k;
  }
}

// The complex transform against a plain sum, which fixes the sign of the
// exponent and the absence of scaling.
TEST(FftEdgeCases, ComplexMatchesDirectSum) {
  const int n = 16;
  std::vector<double> re = RandomSignal<double>(n, 1), im = RandomSignal<double>(n, 2);
  std::vector<double> xr = re, xi = im;
  FFT_ComplexD(n, re.data(), im.data());
  for (int k = 0; k < n; ++k) {
    long double sr = 0, si = 0;
    for (int t = 0; t < n; ++t) {
      long double a = -2.0L * FFT_PI * k * t / n;
      sr += xr[t] * std::cos(a) - xi[t] * std::sin(a);
      si += xr[t] * std::sin(a) + xi[t] * std::cos(a);
    }
    EXPECT_NEAR(re[k], double(sr), 1e-13) << k;
    EXPECT_NEAR(im[k], double(si), 1e-13) << k;
  }
}

TEST(FftIdentities, RealMatchesComplexOfSignalAndZerosForAllSizes) {
  for (int n = 4; n <= 65536; n *= 2) {
    std::vector<double> re = RandomSignal<double>(n, n), im(n, 0.0);
    std::vector<double> cr = re, ci(n, 0.0);
    FFT_RealD(n, re.data(), im.data());
    FFT_ComplexD(n, cr.data(), ci.data());
    const double tol = DoubleTolerance(n) * std::sqrt(double(n));
    EXPECT_LE(MaxAbsDiff(re, cr), tol) << "n=" << n;
    EXPECT_LE(MaxAbsDiff(im, ci), tol) << "n=" << n;
  }
}

TEST(FftIdentities, InverseRealReturnsSignal) {
  for (int n : {4, 8, 256, 4096, 65536}) {
    const std::vector<double> x = RandomSignal<double>(n, 7 + n);
    std::vector<double> re = x, im = RandomSignal<double>(n, 9);  // im is only workspace
    FFT_RealD(n, re.data(), im.data());
    FFT_InverseRealD(n, re.data(), im.data());
    EXPECT_LE(MaxAbsDiff(re, x), DoubleTolerance(n)) << "n=" << n;
    for (int i = 0; i < n; ++i) ASSERT_EQ(im[i], 0.0) << "n=" << n << " i=" << i;
  }
}

// The inverse uses only bins 0 to n/2: garbage in the upper half is ignored.
TEST(FftIdentities, InverseRealIgnoresUpperBins) {
  const int n = 64;
  const std::vector<double> x = RandomSignal<double>(n, 3);
  std::vector<double> re = x, im(n);
  FFT_RealD(n, re.data(), im.data());
  for (int k = n / 2 + 1; k < n; ++k) re[k] = im[k] = 1e6;
  FFT_InverseRealD(n, re.data(), im.data());
  EXPECT_LE(MaxAbsDiff(re, x), DoubleTolerance(n));
}

TEST(FftSinglePrecision, MembersAgreeWithDoubleWithinFloatTolerance) {
  for (int n : {4, 16, 1024, 16384}) {
    const std::vector<double> x = RandomSignal<double>(n, 11 + n), y = RandomSignal<double>(n, 13);
    const double tol = FloatTolerance(n) * std::sqrt(double(n));

    std::vector<double> dr = x, di = y;
    std::vector<float> fr(x.begin(), x.end()), fi(y.begin(), y.end());
    FFT_ComplexD(n, dr.data(), di.data());
    FFT_ComplexF(n, fr.data(), fi.data());
    EXPECT_LE(MaxAbsDiff(fr, std::vector<float>(dr.begin(), dr.end())), tol) << "complex n=" << n;
    EXPECT_LE(MaxAbsDiff(fi, std::vector<float>(di.begin(), di.end())), tol) << "complex n=" << n;

    dr = x;
    fr.assign(x.begin(), x.end());
    FFT_RealD(n, dr.data(), di.data());
    FFT_RealF(n, fr.data(), fi.data());
    EXPECT_LE(MaxAbsDiff(fr, std::vector<float>(dr.begin(), dr.end())), tol) << "real n=" << n;
    EXPECT_LE(MaxAbsDiff(fi, std::vector<float>(di.begin(), di.end())), tol) << "real n=" << n;

    FFT_InverseRealF(n, fr.data(), fi.data());
    EXPECT_LE(MaxAbsDiff(fr, std::vector<float>(x.begin(), x.end())), FloatTolerance(n)) << n;
    for (float v : fi) ASSERT_EQ(v, 0.0f);
  }
}

TEST(FftSinglePrecision, InverseComplexReturnsSignal) {
  for (int n : {2, 8, 512, 8192}) {
    const std::vector<float> x = RandomSignal<float>(n, 17 + n), y = RandomSignal<float>(n, 19);
    std::vector<float> re = x, im = y;
    FFT_ComplexF(n, re.data(), im.data());
    FFT_InverseComplexF(n, re.data(), im.data());
    EXPECT_LE(MaxAbsDiff(re, x), FloatTolerance(n)) << "n=" << n;
    EXPECT_LE(MaxAbsDiff(im, y), FloatTolerance(n)) << "n=" << n;
  }
}

// The tuned transforms against the loop-for-loop reference, bit for bit.  The
// sizes cover the in-cache path, the depth-first blocks, the chunked stages
// and the tiled bit reversal.
const int kBitwiseSizes[] = {2, 4, 8, 32, 64, 128, 2048, 4096, 8192, 32768, 131072};

template <typename T>
void ExpectComplexBitwise(void (*fft)(int, T*, T*), int n, unsigned seed) {
  std::vector<T> re = RandomSignal<T>(n, seed), im = RandomSignal<T>(n, seed + 1);
  std::vector<T> rr = re, ri = im;
  fft(n, re.data(), im.data());
  RefFFT_Complex(n, rr.data(), ri.data());
  EXPECT_TRUE(SameBits(re, rr) && SameBits(im, ri)) << "n=" << n;
}

TEST(FftBitwise, ComplexMatchesReference) {
  for (int n : kBitwiseSizes) {
    ExpectComplexBitwise<double>(FFT_ComplexD, n, 100 + n);
    ExpectComplexBitwise<float>(FFT_ComplexF, n, 200 + n);
  }
}

template <typename T>
void ExpectRealRoundTripBitwise(void (*fwd)(int, T*, T*), void (*inv)(int, T*, T*), int n,
                                unsigned seed) {
  std::vector<T> re = RandomSignal<T>(n, seed), im = RandomSignal<T>(n, seed + 1);
  std::vector<T> rr = re, ri = im;
  fwd(n, re.data(), im.data());
  RefFFT_Real(n, rr.data(), ri.data());
  EXPECT_TRUE(SameBits(re, rr) && SameBits(im, ri)) << "forward n=" << n;
  // Disturb the spectrum so that the inverse sees arbitrary bins.
  const std::vector<T> noise = RandomSignal<T>(n, seed + 2);
  for (int k = 0; k < n; ++k) {
    re[k] += noise[k];
    rr[k] += noise[k];
  }
  inv(n, re.data(), im.data());
  RefFFT_InverseReal(n, rr.data(), ri.data());
  EXPECT_TRUE(SameBits(re, rr) && SameBits(im, ri)) << "inverse n=" << n;
}

TEST(FftBitwise, RealAndInverseMatchReference) {
  for (int n : kBitwiseSizes) {
    if (n < 4) continue;
    ExpectRealRoundTripBitwise<double>(FFT_RealD, FFT_InverseRealD, n, 300 + n);
    ExpectRealRoundTripBitwise<float>(FFT_RealF, FFT_InverseRealF, n, 400 + n);
  }
}

TEST(FftBitwise, InverseComplexMatchesReference) {
  for (int n : kBitwiseSizes) {
    std::vector<float> re = RandomSignal<float>(n, 500 + n), im = RandomSignal<float>(n, 600 + n);
    std::vector<float> rr = re, ri = im;
    FFT_InverseComplexF(n, re.data(), im.data());
    RefFFT_InverseComplex(n, rr.data(), ri.data());
    EXPECT_TRUE(SameBits(re, rr) && SameBits(im, ri)) << "n=" << n;
  }
}

// Signed zeros and huge values travel through the same operations as in the
// reference, so even their bits agree.
TEST(FftBitwise, SpecialValuesMatchReference) {
  const int n = 4096;
  std::vector<double> re = RandomSignal<double>(n, 700), im(n, 0.0);
  re[3] = -0.0;
  re[100] = 1e300;
  re[101] = -1e300;
  std::vector<double> rr = re, ri = im;
  FFT_RealD(n, re.data(), im.data());
  RefFFT_Real(n, rr.data(), ri.data());
  EXPECT_TRUE(SameBits(re, rr) && SameBits(im, ri));
}

}  // namespace
