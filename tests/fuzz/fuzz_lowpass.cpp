// Fuzz harness of the low-pass filter: the input gives the cut-off, the
// transition width, the filtered range and the samples (raw doubles, so NaN,
// infinities and denormals come up); the filtered channel must keep its
// sample count and then pass the round trips of every format.

#include <cstring>

#include "curve/lowpass.h"
#include "tests/fuzz/fuzz_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  AppState* app = Fuzz_FreshApp();
  CurveChannel* ch = &app->Channels.Channel[0];
  double cutoff = data[0] / 255.0 * 1.2 - 0.1;  // a little beyond 0 .. 1 on both sides
  double width = data[1] / 255.0 * 0.6 - 0.05;
  size_t count = (size - 4) / sizeof(double);
  for (size_t i = 0; i < count; ++i) {
    double v;
    std::memcpy(&v, data + 4 + i * sizeof(double), sizeof v);
    ChannelSet_SetSample(&app->Channels, 0, static_cast<int>(i), v);
  }
  int n = ch->iNrOfSamples;
  int first = n > 0 ? data[2] % (n + 1) : 0;
  int last = n > 0 ? data[3] % (n + 1) : 0;
  Channel_LowPass(ch, ch, first, last, cutoff, width);
  if (ch->iNrOfSamples != n) __builtin_trap();
  Fuzz_CheckRoundTrips(app);
  return 0;
}
