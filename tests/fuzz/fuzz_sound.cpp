// Fuzz harness of the libsndfile path: each input is a file named in.flac.
// The library tells the formats apart by their content, not by the name, so
// this one harness reaches every decoder it has (the seeds hold one file of
// each format).

#include "tests/fuzz/fuzz_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fuzz_LoadInput(data, size, ".flac");
  return 0;
}
