// Fuzz harness of the spectrum reference reader: each input is a file named in.ref.

#include "tests/fuzz/fuzz_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fuzz_LoadInput(data, size, ".ref");
  return 0;
}
