// RIFF WAVE reader and 16-bit PCM writer over BufferedFile.

#include "formats/wave_file.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "formats/buffered_file.h"
#include "formats/safe_write.h"
#include "formats/save_notes.h"
#include "winutil/error_text.h"

namespace {

constexpr int WAVE_FMT_LEN = 40;
constexpr int WAVE_HEADER_LEN = 68;
constexpr int WAVE_DEFAULT_RATE = 11025;
constexpr double WAVE_MIN_RATE = 1.0;        // the range of rates the reader accepts
constexpr double WAVE_MAX_RATE = 1000000.0;
constexpr double WAVE_SCALE_8 = 1.0 / 128.0;  // unsigned bytes: 128 is silence
constexpr double WAVE_SCALE_16 = 1.0 / 32767.0;
constexpr double WAVE_SCALE_24 = 1.0 / 8388607.0;
constexpr double WAVE_SCALE_32 = 1.0 / 2147483647.0;

// Tail shared by the PCM and IEEE float SubFormat GUIDs (bytes 2..15).
constexpr unsigned char WAVE_GUID_TAIL[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

enum WaveSampleKind { WAVE_KIND_NONE = 0, WAVE_KIND_INT = 1, WAVE_KIND_FLOAT = 2 };

// The leading 40 bytes of the format chunk body, decoded.
struct WaveFormat {
  unsigned char bRaw[WAVE_FMT_LEN];  // the bytes as read (zero beyond a shorter chunk)
  int iFormatTag;                    // 1 PCM, 3 float, 0xFFFE extensible
  int iChannels;                     // interleaved channels per frame
  uint32_t dwSampleRate;             // frames per second
  int iBlockAlign;                   // bytes per frame
  int iBitsPerSample;                // bits of one sample
};

// Little-endian loads; a plain load on a little-endian machine, which the
// compiler can widen into vector loads in the sample loops.
uint16_t Wave_Le16(const unsigned char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
#else
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
#endif
}

uint32_t Wave_Le32(const unsigned char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
#else
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
#endif
}

void Wave_PutLe16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void Wave_PutLe32(unsigned char* p, uint32_t v) {
  Wave_PutLe16(p, v);
  Wave_PutLe16(p + 2, v >> 16);
}

void Wave_DecodeFormat(WaveFormat* fmt) {
  const unsigned char* p = fmt->bRaw;
  fmt->iFormatTag = Wave_Le16(p);
  fmt->iChannels = Wave_Le16(p + 2);
  fmt->dwSampleRate = Wave_Le32(p + 4);
  fmt->iBlockAlign = Wave_Le16(p + 12);
  fmt->iBitsPerSample = Wave_Le16(p + 14);
}

// Skips size bytes forward.  A skip that would move past any offset a 32-bit
// file position can hold leaves nothing to read, like a chunk past the end.
int Wave_SkipForward(BufferedFile* f, uint32_t size) {
  int cur = BufferedFile_Seek(f, 0, 1);
  if (cur < 0) return ERROR_READ;
  if (static_cast<uint64_t>(cur) + size > 0x7FFFFFFFull) return ERROR_INVALID_WAVE;
  return BufferedFile_Seek(f, static_cast<int>(size), 1) < 0 ? ERROR_READ : 0;
}

// A chunk id is four printable ASCII characters.
bool Wave_IsChunkId(const unsigned char* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

// RIFF pads a chunk of odd size with one byte, but some writers leave the pad
// out.  Skips one byte when the next chunk id follows it rather than standing
// right at the current position.
int Wave_SkipPad(BufferedFile* f) {
  unsigned char p[5];
  int back = BufferedFile_Read(f, p, 5);
  if (back == 5 && !Wave_IsChunkId(p) && Wave_IsChunkId(p + 1)) back = 4;
  if (back > 0 && BufferedFile_Seek(f, -back, 1) < 0) return ERROR_READ;
  return 0;
}

// Walks the chunks up to "data"; fills fmt and the data size.  0 when found.
int Wave_WalkChunks(BufferedFile* f, WaveFormat* fmt, uint32_t* pdwDataSize) {
  for (;;) {
    unsigned char hdr[8];
    if (BufferedFile_Read(f, hdr, 8) != 8) return ERROR_INVALID_WAVE;
    uint32_t size = Wave_Le32(hdr + 4);
    uint32_t consumed = 0;
    if (std::memcmp(hdr, "data", 4) == 0) {
      *pdwDataSize = size;
      return 0;
    }
    if (std::memcmp(hdr, "fmt ", 4) == 0 && size >= 16) {
      unsigned want = size < WAVE_FMT_LEN ? size : WAVE_FMT_LEN;
      unsigned char body[WAVE_FMT_LEN];
      if (BufferedFile_Read(f, body, want) != static_cast<int>(want)) return ERROR_INVALID_WAVE;
      std::memcpy(fmt->bRaw, body, want);  // a later chunk overwrites what it covers
      consumed = want;
    }
    if (size > consumed) {
      int rc = Wave_SkipForward(f, size - consumed);
      if (rc) return rc;
    }
    if (size & 1) {
      int rc = Wave_SkipPad(f);
      if (rc) return rc;
    }
  }
}

// Bytes per sample: integer samples of 9 to 32 bits stand left-justified in
// 2, 3 or 4 bytes and are scaled by their container.
int Wave_SampleBytes(const WaveFormat* fmt) { return (fmt->iBitsPerSample + 7) / 8; }

// Checks the format values and gives the sample kind in *pKind.  Returns 0,
// ERROR_WAVE_CHANNELS (more than eight), ERROR_WAVE_RATE (above 1 MHz),
// ERROR_WAVE_LAYOUT (a block align that is not channels x bytes per sample)
// or ERROR_DATA_TYPE (anything else the reader cannot take).
int Wave_CheckFormat(WaveFormat* fmt, int* pKind) {
  Wave_DecodeFormat(fmt);
  int kind = WAVE_KIND_NONE;
  if (fmt->iFormatTag == 1) kind = WAVE_KIND_INT;
  if (fmt->iFormatTag == 3) kind = WAVE_KIND_FLOAT;
  if (fmt->iFormatTag == 0xFFFE && std::memcmp(fmt->bRaw + 26, WAVE_GUID_TAIL, 14) == 0 &&
      fmt->bRaw[25] == 0) {
    if (fmt->bRaw[24] == 1) kind = WAVE_KIND_INT;
    if (fmt->bRaw[24] == 3) kind = WAVE_KIND_FLOAT;
  }
  *pKind = kind;
  if (fmt->iChannels > MAX_CHANNELS) return ERROR_WAVE_CHANNELS;
  if (fmt->dwSampleRate > WAVE_MAX_RATE) return ERROR_WAVE_RATE;
  if (kind == WAVE_KIND_NONE || fmt->iChannels < 1 || fmt->dwSampleRate < WAVE_MIN_RATE ||
      fmt->iBitsPerSample < 8 || fmt->iBitsPerSample > 32)
    return ERROR_DATA_TYPE;
  // Some writers put 1 for 16-bit frames; that one slip is mended.
  if (fmt->iBitsPerSample == 16 && fmt->iBlockAlign == 1) fmt->iBlockAlign = 2 * fmt->iChannels;
  // Floats are 32 bits; 8 and 9 to 16 bits are read so whatever the kind says.
  if (kind == WAVE_KIND_FLOAT && Wave_SampleBytes(fmt) > 2 && fmt->iBitsPerSample != 32) return ERROR_DATA_TYPE;
  return fmt->iBlockAlign == Wave_SampleBytes(fmt) * fmt->iChannels ? 0 : ERROR_WAVE_LAYOUT;
}

// The sample of that many bytes and kind at p, scaled; a 3-byte sample needs
// one readable byte behind it.
double Wave_DecodeSample(const unsigned char* p, int bytes, int kind) {
  switch (bytes) {
    case 1: return (static_cast<int>(p[0]) - 128) * WAVE_SCALE_8;
    case 2: return static_cast<int16_t>(Wave_Le16(p)) * WAVE_SCALE_16;
    case 3:  // loaded as 4 bytes (the caller's buffer has one to spare), the top one shifted out
      return (static_cast<int32_t>(Wave_Le32(p) << 8) >> 8) * WAVE_SCALE_24;
    default: {
      uint32_t w = Wave_Le32(p);
      if (kind == WAVE_KIND_INT) return static_cast<int32_t>(w) * WAVE_SCALE_32;
      float fv;
      std::memcpy(&fv, &w, 4);
      return fv;
    }
  }
}

// Decodes count samples that stand stride bytes apart, from p on, into dst.
// One instance per sample layout, so that the loop holds no switch; Stride,
// when not 0, is the stride known in advance (mono and stereo), which lets the
// compiler decode several samples per instruction.
template <int Bytes, int Kind, int Stride>
inline __attribute__((always_inline)) void Wave_DecodeLoop(const unsigned char* p, int stride, double* dst,
                                                           uint32_t count) {
  const size_t step = Stride ? Stride : static_cast<size_t>(stride);
  for (uint32_t k = 0; k < count; ++k) dst[k] = Wave_DecodeSample(p + k * step, Bytes, Kind);
}

template <int Bytes, int Kind, int Stride>
void Wave_DecodeRun(const unsigned char* p, int stride, double* dst, uint32_t count) {
  Wave_DecodeLoop<Bytes, Kind, Stride>(p, stride, dst, count);
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same loop built for processors with AVX2, four samples per instruction.
template <int Bytes, int Kind, int Stride>
__attribute__((target("avx2"))) void Wave_DecodeRunAvx2(const unsigned char* p, int stride, double* dst,
                                                        uint32_t count) {
  Wave_DecodeLoop<Bytes, Kind, Stride>(p, stride, dst, count);
}
const bool g_fWaveAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));  // the processor has AVX2
#endif

using WaveDecodeFn = void (*)(const unsigned char* p, int stride, double* dst, uint32_t count);

// The loop of one layout for this processor.
template <int Bytes, int Kind, int Stride>
WaveDecodeFn Wave_Run() {
#if defined(__x86_64__) && defined(__GNUC__)
  if (g_fWaveAvx2) return Wave_DecodeRunAvx2<Bytes, Kind, Stride>;
#endif
  return Wave_DecodeRun<Bytes, Kind, Stride>;
}

template <int Bytes, int Kind>
WaveDecodeFn Wave_DecoderForStride(int stride) {
  if (stride == Bytes) return Wave_Run<Bytes, Kind, Bytes>();
  if (stride == 2 * Bytes) return Wave_Run<Bytes, Kind, 2 * Bytes>();
  return Wave_Run<Bytes, Kind, 0>();
}

// The decoder of samples of that many bytes and kind, stride bytes apart.
WaveDecodeFn Wave_DecoderFor(int bytes, int kind, int stride) {
  switch (bytes) {
    case 1: return Wave_DecoderForStride<1, WAVE_KIND_INT>(stride);
    case 2: return Wave_DecoderForStride<2, WAVE_KIND_INT>(stride);
    case 3: return Wave_DecoderForStride<3, WAVE_KIND_INT>(stride);
    default:
      return kind == WAVE_KIND_INT ? Wave_DecoderForStride<4, WAVE_KIND_INT>(stride)
                                   : Wave_DecoderForStride<4, WAVE_KIND_FLOAT>(stride);
  }
}

// Bytes of data read at a time, cut down to whole summary blocks of frames:
// at least a file buffer's worth, so that they come from the system without
// a copy through the buffer, and few enough to stay in the cache while each
// channel's samples are decoded from them.
constexpr uint32_t WAVE_BLOCK_BYTES = 1u << 17;
// Samples decoded at a time, few enough to stay in the fastest cache while
// their channel summarises them.
constexpr uint32_t WAVE_CHUNK = 4096;

// Reads the frames block by block into channels first .. first + n - 1,
// decoding each channel's samples straight into its reserved storage.
// *pfMore: the file holds frames beyond the growth limit of a channel (they
// are not loaded); *pfShort: the data ends before the data chunk's size says,
// or that size is no whole number of frames.  A size of 0xFFFFFFFF (written
// by programs that could not go back to fill it in) reads to the end.
void Wave_ReadFrames(BufferedFile* f, ChannelSet* set, int first, int n, const WaveFormat* fmt, int kind,
                     uint32_t dataSize, int* pfMore, int* pfShort) {
  const int align = fmt->iBlockAlign;
  const int bytes = Wave_SampleBytes(fmt);
  const WaveDecodeFn decode = Wave_DecoderFor(bytes, kind, align);
  const bool open = dataSize == 0xFFFFFFFFu;
  uint32_t frames = dataSize / align;
  *pfShort = !open && dataSize % align != 0;
  int fMore = frames > static_cast<uint32_t>(CHANNEL_MAX_ALLOC);
  if (fMore) frames = CHANNEL_MAX_ALLOC;
  // Each channel is sized once for the frames it will hold, not by doubling;
  // a data chunk that claims more than the file holds is sized by the file.
  uint32_t expect = frames;
  long long left = BufferedFile_BytesLeft(f);
  if (left >= 0 && static_cast<uint64_t>(left) / align < expect) expect = static_cast<uint32_t>(left / align);
  for (int c = 0; c < n; ++c) Channel_Reserve(&set->Channel[first + c], static_cast<int>(expect));
  static unsigned char block[WAVE_BLOCK_BYTES + 1];  // the byte behind lets a 3-byte sample load as 4
  static double values[WAVE_CHUNK];
  // Whole summary blocks of frames per read, so no summary block is summed twice.
  const uint32_t perBlock = WAVE_BLOCK_BYTES / align / (1u << SUMMARY_SHIFT1) * (1u << SUMMARY_SHIFT1);
  uint32_t f0 = 0;
  *pfMore = 0;
  while (f0 < frames) {
    uint32_t want = frames - f0 < perBlock ? frames - f0 : perBlock;
    int got = BufferedFile_Read(f, block, want * align);
    uint32_t full = got > 0 ? static_cast<uint32_t>(got) / align : 0;
    for (int c = 0; c < n; ++c) {
      const CurveChannel* ch = &set->Channel[first + c];
      for (uint32_t k = 0; k < full; k += WAVE_CHUNK) {
        const uint32_t m = full - k < WAVE_CHUNK ? full - k : WAVE_CHUNK;
        const unsigned char* p = block + c * bytes + static_cast<size_t>(k) * align;
        const int at = static_cast<int>(f0 + k);
        if (ch->pdSamples && static_cast<long long>(at) + m <= ch->iAllocated) {
          decode(p, align, ch->pdSamples + at, m);  // straight into the reserved storage
          ChannelSet_TakeStored(set, first + c, at, static_cast<int>(m));
        } else {
          // Storage that could not be reserved grows, or runs out, as stores make it.
          decode(p, align, values, m);
          ChannelSet_SetSamples(set, first + c, at, values, static_cast<int>(m));
        }
      }
    }
    if (full < want) {
      *pfShort = *pfShort || !open;
      return;
    }
    f0 += want;
  }
  // Truncated only when a further whole frame is really there.
  *pfMore = fMore && BufferedFile_Read(f, block, align) == align;
}

// The speaker of each bit of the extensible format's channel mask, in bit
// order; the file's channels take the roles of the bits set, in order.
constexpr const char* WAVE_ROLE_NAMES[] = {
    "Front left",     "Front right",      "Front center",    "Low frequency",  "Back left",
    "Back right",     "Front left of center", "Front right of center", "Back center", "Side left",
    "Side right",     "Top center",       "Top front left",  "Top front center", "Top front right",
    "Top back left",  "Top back center",  "Top back right"};

// Names channels first .. first + n - 1 by the roles of the channel mask of
// an extensible format chunk, "Channel n" where the file gives none.
void Wave_NameChannels(ChannelSet* set, int first, int n, const WaveFormat* fmt) {
  uint32_t mask = fmt->iFormatTag == 0xFFFE && Wave_Le16(fmt->bRaw + 16) >= 22 ? Wave_Le32(fmt->bRaw + 20) : 0;
  int bit = 0;
  for (int c = first; c < first + n; ++c) {
    while (bit < 18 && !(mask & (1u << bit))) ++bit;
    if (bit < 18) std::snprintf(set->Channel[c].szName, CHANNEL_NAME_LEN, "%s", WAVE_ROLE_NAMES[bit++]);
    else ChannelSet_NameDefault(set, c);
  }
}

}  // namespace

void WaveFile_PrepareChannels(ChannelSet* set, int first, int n, double rate) {
  for (int c = first; c < first + n; ++c) {
    CurveChannel* ch = &set->Channel[c];
    ch->dXOrigin = 0.0;
    ch->dXStep = 1.0 / rate;
    ch->dViewMin = -1.0;
    ch->dViewMax = 1.0;
    ch->dDataMin = -1.0;
    ch->dDataMax = 1.0;
    ch->iNrOfSamples = 0;
  }
}

int WaveFile_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes) {
  if (!path || !set || first < 0 || first >= MAX_CHANNELS) return ERROR_WAVE_OPEN;
  BufferedFile file;
  BufferedFile* f = &file;
  if (!BufferedFile_OpenRead(f, path))
    return f->dwLastError == ENOENT ? ERROR_WAVE_OPEN : ErrorCode_FromErrno(static_cast<int>(f->dwLastError));
  unsigned char riff[12];
  if (BufferedFile_Read(f, riff, 12) == 12 &&
      (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)) {
    BufferedFile_Close(f);
    return ERROR_NOT_RIFF_WAVE;
  }
  WaveFormat fmt;
  std::memset(&fmt, 0, sizeof(fmt));
  uint32_t dataSize = 0;
  int rc = Wave_WalkChunks(f, &fmt, &dataSize);
  int kind = WAVE_KIND_NONE;
  if (rc == 0) rc = Wave_CheckFormat(&fmt, &kind);
  if (rc) {
    BufferedFile_Close(f);
    return rc;
  }
  int n = fmt.iChannels;
  if (first + n > MAX_CHANNELS) n = MAX_CHANNELS - first;
  WaveFile_PrepareChannels(set, first, n, fmt.dwSampleRate);
  Wave_NameChannels(set, first, n, &fmt);
  int fTruncated = 0, fShort = 0;
  Wave_ReadFrames(f, set, first, n, &fmt, kind, dataSize, &fTruncated, &fShort);
  for (int c = first; c < first + n; ++c) set->Channel[c].iVisible = 1;
  if (notes) {
    notes->fTruncated = fTruncated;
    notes->fShortData = fShort;
    notes->iChannelsLoaded = n;
    notes->iChannelsSkipped = fmt.iChannels - n;
  }
  BufferedFile_Close(f);
  return 0;
}

namespace {

// Whether v lies beyond what a 16-bit sample holds after rounding.
bool Wave_Clips(double v) { return v * 32767.0 >= 32767.5 || v * 32767.0 < -32768.5; }

// round(v * 32767) (halves away from zero), clamped to the 16-bit range;
// NaN gives 0.  The fraction x - trunc(x) is exact in this range, so this is
// std::round without the library call.
int16_t Wave_ToPcm16(double v) {
  double x = v * 32767.0;
  if (x != x) return 0;
  if (x >= 32767.0) return 32767;
  if (x <= -32768.0) return -32768;
  int t = static_cast<int>(x);
  double frac = x - t;
  return static_cast<int16_t>(frac >= 0.5 ? t + 1 : (frac <= -0.5 ? t - 1 : t));
}

// The 68 header bytes of nch channels of 16-bit samples.
void Wave_BuildHeader(unsigned char* h, int nch, uint32_t rate, uint32_t frames) {
  uint32_t align = 2u * nch;
  uint32_t data = align * frames;
  std::memset(h, 0, WAVE_HEADER_LEN);
  std::memcpy(h, "RIFF", 4);
  Wave_PutLe32(h + 4, 60 + data);
  std::memcpy(h + 8, "WAVE", 4);
  std::memcpy(h + 12, "fmt ", 4);
  Wave_PutLe32(h + 16, WAVE_FMT_LEN);
  Wave_PutLe16(h + 20, 1);
  Wave_PutLe16(h + 22, nch);
  Wave_PutLe32(h + 24, rate);
  Wave_PutLe32(h + 28, rate * align);
  Wave_PutLe16(h + 32, align);
  Wave_PutLe16(h + 34, 16);
  std::memcpy(h + 60, "data", 4);
  Wave_PutLe32(h + 64, data);
}

// Writes the header and the frames; 1 when every write succeeded.
int Wave_WriteBody(BufferedFile* f, const ChannelSet* set, int first, int nch, uint32_t rate) {
  const CurveChannel* ch0 = &set->Channel[first];
  int frames = ch0->iNrOfSamples > 0 ? ch0->iNrOfSamples : 0;
  unsigned char hdr[WAVE_HEADER_LEN];
  Wave_BuildHeader(hdr, nch, rate, static_cast<uint32_t>(frames));
  int ok = BufferedFile_Write(f, hdr, WAVE_HEADER_LEN);
  unsigned char block[8192 * 8];
  const int perBlock = static_cast<int>(sizeof(block)) / (2 * nch);
  // A stop leaves the frames unwritten; SafeWrite_Commit then refuses the save.
  for (int i0 = 0; ok && i0 < frames && Progress_Report(f->pProgress, i0, frames); i0 += perBlock) {
    int cnt = frames - i0 < perBlock ? frames - i0 : perBlock;
    for (int c = 0; c < nch; ++c) {
      const CurveChannel* ch = &set->Channel[first + c];
      unsigned char* p = block + 2 * c;
      for (int i = i0; i < i0 + cnt; ++i, p += 2 * nch)
        Wave_PutLe16(p, static_cast<uint16_t>(Wave_ToPcm16(CurveSave_Value(ch, i))));
    }
    ok = BufferedFile_Write(f, block, cnt * 2 * nch);
  }
  return ok;
}

}  // namespace

long WaveFile_CountClipped(const ChannelSet* set, int first, int nch) {
  if (!set || first < 0 || nch < 1 || nch > 4 || first + nch > MAX_CHANNELS) return 0;
  int frames = set->Channel[first].iNrOfSamples;
  long count = 0;
  for (int c = first; c < first + nch; ++c)
    for (int i = 0; i < frames; ++i) count += Wave_Clips(CurveSave_Value(&set->Channel[c], i));
  return count;
}

uint32_t WaveFile_RateForStep(double step, int* pfClamped) {
  if (pfClamped) *pfClamped = 0;
  if (!(step > 0.0)) return WAVE_DEFAULT_RATE;
  double r = std::floor(1.0 / step + 0.5);
  double kept = r < WAVE_MIN_RATE ? WAVE_MIN_RATE : (r > WAVE_MAX_RATE ? WAVE_MAX_RATE : r);
  if (pfClamped) *pfClamped = kept != r;
  return static_cast<uint32_t>(kept);
}

int WaveFile_Write(const char* path, ChannelSet* set, int first, int nch) {
  if (!set || !path || first < 0 || first >= MAX_CHANNELS || nch < 1 || nch > 4 ||
      first + nch > MAX_CHANNELS)
    return ERROR_DATA_TYPE;
  uint32_t rate = WaveFile_RateForStep(set->Channel[first].dXStep, nullptr);
  // The RIFF and data sizes are 32 bits: refused before the target is touched.
  const long long frames = set->Channel[first].iNrOfSamples > 0 ? set->Channel[first].iNrOfSamples : 0;
  if (WAVE_HEADER_LEN - 8 + 2LL * nch * frames > 0xFFFFFFFFLL) return ERROR_WAVE_TOO_LARGE;
  BufferedFile file;
  SafeWrite sw;
  if (int rc = SafeWrite_Begin(&sw, &file, path)) return rc;
  if (!Wave_WriteBody(&file, set, first, nch, rate)) {
    int err = static_cast<int>(file.dwLastError);
    SafeWrite_Abort(&sw, &file);
    return err > 0 ? ErrorCode_FromErrno(err) : ERROR_WRITE;
  }
  return SafeWrite_Commit(&sw, &file);
}
