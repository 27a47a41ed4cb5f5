#pragma once
// What the edit history must bring back bit for bit, as bytes: every
// channel's count, samples, x origin and step, data range and name.  The
// history tests compare these; the crash child prints their digest.

#include <cstdint>
#include <string>

#include "shell/app_state.h"

inline std::string HistoryState_Of(const AppState& app) {
  std::string s;
  auto put = [&s](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
  for (const CurveChannel& ch : app.Channels.Channel) {
    put(&ch.iNrOfSamples, sizeof ch.iNrOfSamples);
    if (ch.iNrOfSamples > 0) put(ch.pdSamples, sizeof(double) * static_cast<size_t>(ch.iNrOfSamples));
    put(&ch.dXOrigin, sizeof(double));
    put(&ch.dXStep, sizeof(double));
    put(&ch.dDataMin, sizeof(double));
    put(&ch.dDataMax, sizeof(double));
    s += ch.szName;
    s += '\n';
  }
  return s;
}

// 64-bit FNV-1a of the state's bytes.
inline unsigned long long HistoryState_Digest(const AppState& app) {
  unsigned long long h = 1469598103934665603ULL;
  for (unsigned char c : HistoryState_Of(app)) h = (h ^ c) * 1099511628211ULL;
  return h;
}
