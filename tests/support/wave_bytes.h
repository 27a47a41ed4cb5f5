#pragma once
// Builders of RIFF WAVE bytes for tests: chunks, format bodies and whole
// files, little-endian as the format wants.

#include <cstdint>
#include <string>
#include <vector>

// Appends v as 2 or 4 little-endian bytes.
void WaveBytes_Put16(std::string* s, uint32_t v);
void WaveBytes_Put32(std::string* s, uint32_t v);
// A chunk: id, size of body, body, and the pad byte after an odd body when pad.
std::string WaveBytes_Chunk(const char* id, const std::string& body, bool pad = false);
// A format chunk body of len bytes (16, 18, 40 or more; the extensible fields
// with the SubFormat GUID of subFormat from 40 on, zeros beyond) with the given
// block align, which may disagree with the channels and bits on purpose.
std::string WaveBytes_FmtBody(int tag, int nch, uint32_t rate, int align, int bits, int len, int subFormat);
// A format chunk body: 16 bytes, or the 40-byte extensible layout with the
// SubFormat GUID of subFormat (1 PCM, 3 float) when extensible.
std::string WaveBytes_Fmt(int tag, int nch, uint32_t rate, int bits, bool extensible = false, int subFormat = 1);
// "RIFF", size, "WAVE" and the chunks.
std::string WaveBytes_Riff(const std::string& chunks);
// Signed integer samples of bytes (1..4) each, frame by frame, little-endian.
std::string WaveBytes_Samples(const std::vector<int64_t>& values, int bytes);
