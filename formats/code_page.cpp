// The Windows-1252 table of bytes 0x80..0x9F, the only bytes whose code
// points differ from their values.

#include "formats/code_page.h"

#include <cstdint>

namespace {

// Code points of the bytes 0x80..0x9F; unassigned bytes keep their own value
// so that every byte maps to some character.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

unsigned CodePage_ToUnicode(unsigned char b) { return b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : b; }

unsigned char CodePage_FromUnicode(unsigned u) {
  if (u <= 0xFF) return static_cast<unsigned char>(u);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == u) return static_cast<unsigned char>(0x80 + i);
  return 0xBF;
}
