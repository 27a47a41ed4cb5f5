// Fuzz harness of the wave reader: each input is a file named in.wav.

#include "tests/fuzz/fuzz_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fuzz_LoadInput(data, size, ".wav");
  return 0;
}
