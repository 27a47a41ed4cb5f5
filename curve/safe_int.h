#pragma once
// Conversions from double to int that are defined for every input: C++ leaves
// the plain cast undefined for NaN, infinities and values beyond int.

#include <climits>

// Truncates toward zero; NaN gives 0, values beyond int saturate.
constexpr int Double_ToInt(double v) {
  if (v != v) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}

// Truncates toward zero into a 64-bit integer with the same rules.
constexpr long long Double_ToInt64(double v) {
  if (v != v) return 0;
  if (v >= 9223372036854775807.0) return LLONG_MAX;
  if (v <= -9223372036854775808.0) return LLONG_MIN;
  return static_cast<long long>(v);
}

// Saturates a 64-bit integer into int.
constexpr int Int64_ToInt(long long v) {
  return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
}
