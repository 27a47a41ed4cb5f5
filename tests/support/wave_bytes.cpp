// RIFF WAVE byte builders, little-endian.

#include "tests/support/wave_bytes.h"

void WaveBytes_Put16(std::string* s, uint32_t v) {
  s->push_back(static_cast<char>(v & 0xFF));
  s->push_back(static_cast<char>((v >> 8) & 0xFF));
}

void WaveBytes_Put32(std::string* s, uint32_t v) {
  WaveBytes_Put16(s, v & 0xFFFF);
  WaveBytes_Put16(s, v >> 16);
}

std::string WaveBytes_Chunk(const char* id, const std::string& body, bool pad) {
  std::string s(id, 4);
  WaveBytes_Put32(&s, static_cast<uint32_t>(body.size()));
  s += body;
  if (pad && body.size() % 2) s.push_back('\0');
  return s;
}

std::string WaveBytes_FmtBody(int tag, int nch, uint32_t rate, int align, int bits, int len, int subFormat) {
  std::string b;
  WaveBytes_Put16(&b, tag);
  WaveBytes_Put16(&b, nch);
  WaveBytes_Put32(&b, rate);
  WaveBytes_Put32(&b, rate * align);
  WaveBytes_Put16(&b, align);
  WaveBytes_Put16(&b, bits);
  if (len >= 40) {
    WaveBytes_Put16(&b, 22);
    WaveBytes_Put16(&b, bits);
    WaveBytes_Put32(&b, 0);
    static const unsigned char kTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                            0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    WaveBytes_Put16(&b, subFormat);
    b.append(reinterpret_cast<const char*>(kTail), 14);
  }
  b.resize(static_cast<size_t>(len), '\0');
  return b;
}

std::string WaveBytes_Fmt(int tag, int nch, uint32_t rate, int bits, bool extensible, int subFormat) {
  int align = nch * ((bits + 7) / 8);
  return WaveBytes_FmtBody(extensible ? 0xFFFE : tag, nch, rate, align, bits, extensible ? 40 : 16, subFormat);
}

std::string WaveBytes_Riff(const std::string& chunks) {
  std::string s = "RIFF";
  WaveBytes_Put32(&s, static_cast<uint32_t>(4 + chunks.size()));
  return s + "WAVE" + chunks;
}

std::string WaveBytes_Samples(const std::vector<int64_t>& values, int bytes) {
  std::string s;
  for (int64_t v : values) {
    uint64_t u = static_cast<uint64_t>(v);
    for (int k = 0; k < bytes; ++k) s.push_back(static_cast<char>((u >> (8 * k)) & 0xFF));
  }
  return s;
}
