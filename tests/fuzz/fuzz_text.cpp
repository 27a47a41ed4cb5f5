// Fuzz harness of the text reader (also CSV): each input is a file named in.txt.

#include "tests/fuzz/fuzz_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fuzz_LoadInput(data, size, ".txt");
  return 0;
}
