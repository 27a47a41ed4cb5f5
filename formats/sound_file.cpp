// Sound files through libsndfile.  Integer encodings are moved as 32-bit
// ints (the library shifts a k-bit sample into the top bits, losslessly) and
// scaled here, so that a k-bit sample reads as k / (2^(k-1) - 1) exactly as
// the own wave reader reads it; float and lossy encodings are moved as
// doubles in -1 .. 1.  Files are read and written in blocks of frames, the
// writer into the temporary file of a safe save.

#include "formats/sound_file.h"

#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/buffered_file.h"
#include "formats/safe_write.h"
#include "formats/save_notes.h"
#include "formats/wave_file.h"
#include "winutil/error_text.h"

namespace {

constexpr int SOUND_BLOCK_VALUES = 65536;  // interleaved values moved per library call
constexpr uint64_t SOUND_RIFF_DATA_MAX = 0xFFFFFFFFull - 60;  // the own writer's RIFF size must fit 32 bits
constexpr int SOUND_WAVE_BITS = 16;                             // what the own wave writer writes

uint64_t g_qwRf64Threshold = SOUND_RIFF_DATA_MAX;

// Copies the library's reason into dst without its "Error : " lead and the
// trailing blanks.
void Sound_CopyReason(char* dst, const char* why) {
  if (!why) why = "";
  if (std::strncmp(why, "Error : ", 8) == 0) why += 8;
  std::snprintf(dst, CURVE_REASON_LEN, "%s", why);
  size_t n = std::strlen(dst);
  while (n > 0 && (dst[n - 1] == '\n' || dst[n - 1] == ' ' || dst[n - 1] == '\r')) dst[--n] = '\0';
}

// The bits of the integer samples of a subtype, or 0 when it is read as
// doubles (float and the lossy encodings).  Codecs that decode to 16 bits
// (A-law, mu-law, the ADPCMs, GSM) count as 16.
int Sound_IntBits(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      return 8;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
    case SF_FORMAT_VOX_ADPCM:
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40:
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DPCM_8:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_ALAC_16:
    case SF_FORMAT_NMS_ADPCM_16:
    case SF_FORMAT_NMS_ADPCM_24:
    case SF_FORMAT_NMS_ADPCM_32:
      return 16;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_24:
      return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
      return 32;
    default:
      return 0;
  }
}

// The largest k-bit sample, 2^(bits-1) - 1: the factor between k and the value.
double Sound_FullScale(int bits) { return static_cast<double>((1ull << (bits - 1)) - 1); }

// Reads up to want frames into the interleaved buffers; gives the frames read.
sf_count_t Sound_ReadBlock(SNDFILE* sf, int bits, int* ibuf, double* dbuf, sf_count_t want) {
  return bits ? sf_readf_int(sf, ibuf, want) : sf_readf_double(sf, dbuf, want);
}

// Reads every frame (up to the channel limit) into channels first .. first +
// n - 1.  Returns the frames stored; *pfMore is 1 when the file holds further
// frames beyond the channel limit.  A stop of progress ends the reading there.
long long Sound_ReadFrames(SNDFILE* sf, const SF_INFO* info, ChannelSet* set, int first, int n, int* pfMore,
                           WorkProgress* progress) {
  const int nfile = info->channels;
  const int bits = Sound_IntBits(info->format);
  const double scale = bits ? 1.0 / Sound_FullScale(bits) : 1.0;
  const int shift = 32 - bits;
  const sf_count_t perBlock = nfile < SOUND_BLOCK_VALUES ? SOUND_BLOCK_VALUES / nfile : 1;
  std::vector<int> ibuf(bits ? static_cast<size_t>(perBlock) * nfile : 0);
  std::vector<double> dbuf(bits ? 0 : static_cast<size_t>(perBlock) * nfile);
  std::vector<double> values(static_cast<size_t>(perBlock));
  if (info->frames > 0 && info->frames < SF_COUNT_MAX) {
    long long expect = info->frames < CHANNEL_MAX_ALLOC ? info->frames : CHANNEL_MAX_ALLOC;
    for (int c = first; c < first + n; ++c) Channel_Reserve(&set->Channel[c], static_cast<int>(expect));
  }
  long long total = 0;
  *pfMore = 0;
  for (;;) {
    sf_count_t want = CHANNEL_MAX_ALLOC - total < perBlock ? CHANNEL_MAX_ALLOC - total : perBlock;
    if (want == 0) {
      *pfMore = Sound_ReadBlock(sf, bits, ibuf.data(), dbuf.data(), 1) == 1;
      return total;
    }
    if (!Progress_Report(progress, total, info->frames)) return total;
    sf_count_t got = Sound_ReadBlock(sf, bits, ibuf.data(), dbuf.data(), want);
    if (got <= 0) return total;
    for (int c = 0; c < n; ++c) {
      if (bits)
        for (sf_count_t k = 0; k < got; ++k) values[k] = (ibuf[k * nfile + c] >> shift) * scale;
      else
        for (sf_count_t k = 0; k < got; ++k) values[k] = dbuf[k * nfile + c];
      ChannelSet_SetSamples(set, first + c, static_cast<int>(total), values.data(), static_cast<int>(got));
    }
    total += got;
    if (got < want) return total;
  }
}

}  // namespace

int SoundFile_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes) {
  if (!path || !set || !Channel_IsIndex(first)) return ERROR_NOT_SUPPORTED;
  // The buffered file opens only regular files without blocking; the
  // library then reads through its descriptor.
  BufferedFile file;
  if (!BufferedFile_OpenRead(&file, path))
    return ErrorCode_FromOpenErrno(file.dwLastError ? static_cast<int>(file.dwLastError) : ENOENT);
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  SNDFILE* sf = sf_open_fd(file.iHandle, SFM_READ, &info, SF_FALSE);
  if (!sf) {
    if (notes) Sound_CopyReason(notes->szReason, sf_strerror(nullptr));
    BufferedFile_Close(&file);
    return ERROR_NOT_SUPPORTED;
  }
  if (info.samplerate < 1 || info.channels < 1) {
    sf_close(sf);
    BufferedFile_Close(&file);
    return ERROR_DATA_TYPE;
  }
  int n = info.channels < MAX_CHANNELS - first ? info.channels : MAX_CHANNELS - first;
  WaveFile_PrepareChannels(set, first, n, info.samplerate);
  int fMore = 0;
  long long frames = Sound_ReadFrames(sf, &info, set, first, n, &fMore, file.pProgress);
  // A decoder that stopped early, or fewer frames than the header promised,
  // means a damaged or cut file; what decoded before stays loaded.  An MP3
  // without a frame count in its header has only an estimate, so it is not
  // held to it.
  int fCounted = (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_MPEG && info.frames < SF_COUNT_MAX;
  int fDamaged = !fMore && (sf_error(sf) != SF_ERR_NO_ERROR ||
                            (fCounted && frames < info.frames && frames < CHANNEL_MAX_ALLOC));
  for (int c = first; c < first + n; ++c) set->Channel[c].iVisible = 1;
  if (notes) {
    notes->fTruncated = fMore;
    notes->fDamaged = fDamaged;
    notes->iChannelsLoaded = n;
    notes->iChannelsSkipped = info.channels - n;
  }
  sf_close(sf);
  BufferedFile_Close(&file);
  return 0;
}

int SoundFile_ReadWave(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes) {
  int rc = WaveFile_Read(path, set, first, notes);
  if (rc != ERROR_DATA_TYPE && rc != ERROR_NOT_RIFF_WAVE) return rc;
  int rc2 = SoundFile_Read(path, set, first, notes);
  if (rc2 != 0 && notes) notes->szReason[0] = '\0';
  return rc2 == 0 ? 0 : rc;
}

namespace {

// The library's format word of the options, or 0 when they name none.
int Sound_FormatOf(const SoundWriteOptions* opt) {
  int pcm = opt->iBits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16;
  switch (opt->iEncoding) {
    case SOUND_FLAC: return SF_FORMAT_FLAC | pcm;
    case SOUND_VORBIS: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case SOUND_OPUS: return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case SOUND_MP3: return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case SOUND_AIFF: return SF_FORMAT_AIFF | pcm;
    case SOUND_CAF: return SF_FORMAT_CAF | pcm;
    case SOUND_W64: return SF_FORMAT_W64 | pcm;
    case SOUND_RF64: return SF_FORMAT_RF64 | pcm;
    default: return 0;
  }
}

// Sets the quality of a lossy encoder (before the first frame is written).
void Sound_SetQuality(SNDFILE* sf, const SoundWriteOptions* opt) {
  if (!opt->fQualitySet || Sound_IntBits(Sound_FormatOf(opt))) return;
  double q = opt->dQuality < 0.0 ? 0.0 : (opt->dQuality > 1.0 ? 1.0 : opt->dQuality);
  if (opt->iEncoding == SOUND_MP3) {
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(sf, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
  }
  sf_command(sf, SFC_SET_VBR_ENCODING_QUALITY, &q, sizeof q);
}

// The value of sample i of ch for writing: as CurveSave_Value pads a
// shorter channel, with a missing value (NaN) as 0.0.
double Sound_ValueAt(const CurveChannel* ch, int i) {
  double v = CurveSave_Value(ch, i);
  return v != v ? 0.0 : v;
}

// round(v * full scale) clamped to the k-bit range, shifted into the top bits.
int Sound_ToInt(double v, int bits) {
  double top = Sound_FullScale(bits);
  double x = std::round(v * top);
  if (x > top) x = top;
  if (x < -top - 1.0) x = -top - 1.0;
  return static_cast<int>(static_cast<uint32_t>(static_cast<int32_t>(x)) << (32 - bits));
}

// Writes the frames; 1 when the library took every one.
// A stop of progress leaves the rest unwritten (SafeWrite_Commit then refuses the save).
int Sound_WriteFrames(SNDFILE* sf, const ChannelSet* set, int first, int nch, int bits, WorkProgress* progress) {
  const int frames = set->Channel[first].iNrOfSamples > 0 ? set->Channel[first].iNrOfSamples : 0;
  const int perBlock = SOUND_BLOCK_VALUES / nch;
  std::vector<int> ibuf(bits ? static_cast<size_t>(perBlock) * nch : 0);
  std::vector<double> dbuf(bits ? 0 : static_cast<size_t>(perBlock) * nch);
  for (int i0 = 0; i0 < frames && Progress_Report(progress, i0, frames); i0 += perBlock) {
    int cnt = frames - i0 < perBlock ? frames - i0 : perBlock;
    for (int c = 0; c < nch; ++c) {
      const CurveChannel* ch = &set->Channel[first + c];
      for (int k = 0; k < cnt; ++k) {
        double v = Sound_ValueAt(ch, i0 + k);
        if (bits)
          ibuf[static_cast<size_t>(k) * nch + c] = Sound_ToInt(v, bits);
        else
          dbuf[static_cast<size_t>(k) * nch + c] = v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
      }
    }
    sf_count_t put = bits ? sf_writef_int(sf, ibuf.data(), cnt) : sf_writef_double(sf, dbuf.data(), cnt);
    if (put != cnt) return 0;
  }
  return 1;
}

}  // namespace

int SoundFile_Write(const char* path, ChannelSet* set, int first, int nch, const SoundWriteOptions* opt,
                    CurveSaveNotes* notes) {
  if (!set || !path || !opt || !Channel_IsIndex(first) || nch < 1 || first + nch > MAX_CHANNELS)
    return ERROR_DATA_TYPE;
  if ((opt->iBits != 0 && opt->iBits != 16 && opt->iBits != 24) || !Sound_FormatOf(opt)) return ERROR_DATA_TYPE;
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  info.samplerate = static_cast<int>(WaveFile_RateForStep(set->Channel[first].dXStep, nullptr));
  info.channels = nch;
  info.format = Sound_FormatOf(opt);
  // The library's check of the format, channels and rate answers only yes or
  // no (its open then says "Format not recognised"): name what was refused.
  // A FLAC frame carries its rate in 16 bits, in Hz or in tens of Hz; the
  // encoder refuses other rates only at the first write, so they are refused here.
  bool flacRate = opt->iEncoding != SOUND_FLAC || info.samplerate <= 65535 ||
                  (info.samplerate % 10 == 0 && info.samplerate <= 655350);
  if (!flacRate || !sf_format_check(&info)) {
    static const char* const kNames[] = {"", "FLAC", "Ogg Vorbis", "Opus", "MP3", "AIFF", "CAF", "W64", "RF64"};
    if (notes)
      std::snprintf(notes->szReason, CURVE_REASON_LEN, "%s cannot hold %d channels at %d Hz",
                    kNames[opt->iEncoding], nch, info.samplerate);
    return ERROR_DATA_TYPE;
  }
  BufferedFile file;
  SafeWrite sw;
  if (int rc = SafeWrite_Begin(&sw, &file, path)) return rc;
  // The library writes through the descriptor of the temporary file; the
  // buffered file stays empty and only does the sync, close and rename.
  SNDFILE* sf = sf_open_fd(file.iHandle, SFM_WRITE, &info, SF_FALSE);
  if (!sf) {
    if (notes) Sound_CopyReason(notes->szReason, sf_strerror(nullptr));
    SafeWrite_Abort(&sw, &file);
    return ERROR_DATA_TYPE;
  }
  Sound_SetQuality(sf, opt);
  int ok = Sound_WriteFrames(sf, set, first, nch, Sound_IntBits(info.format), file.pProgress);
  if (!ok && notes) Sound_CopyReason(notes->szReason, sf_strerror(sf));
  if (sf_close(sf) != 0) ok = 0;
  if (!ok) {
    SafeWrite_Abort(&sw, &file);
    return ERROR_WRITE;
  }
  return SafeWrite_Commit(&sw, &file);
}

int SoundFile_WriteWave(const char* path, ChannelSet* set, int first, int nch, CurveSaveNotes* notes) {
  if (set && Channel_IsIndex(first)) {
    int frames = set->Channel[first].iNrOfSamples > 0 ? set->Channel[first].iNrOfSamples : 0;
    uint64_t data = static_cast<uint64_t>(frames) * static_cast<uint64_t>(nch > 0 ? nch : 0) * (SOUND_WAVE_BITS / 8);
    if (data > g_qwRf64Threshold) {
      SoundWriteOptions opt{};
      opt.iEncoding = SOUND_RF64;
      opt.iBits = SOUND_WAVE_BITS;
      int rc = SoundFile_Write(path, set, first, nch, &opt, notes);
      if (rc == 0 && notes) notes->fRf64 = 1;
      return rc;
    }
  }
  return WaveFile_Write(path, set, first, nch);
}

int SoundFile_CanWrite(int encoding) {
  SoundWriteOptions opt{};
  opt.iEncoding = encoding;
  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  info.format = Sound_FormatOf(&opt);
  info.samplerate = 48000;
  info.channels = 1;
  return info.format != 0 && sf_format_check(&info) ? 1 : 0;
}

void SoundFile_SetRf64Threshold(uint64_t bytes) { g_qwRf64Threshold = bytes; }
