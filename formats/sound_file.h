#pragma once
// Audio files through libsndfile: FLAC, Ogg Vorbis, Opus, MP3, AIFF/AIFC,
// CAF, W64, RF64, AU and the WAV layouts the own wave reader refuses are read
// as channels of doubles scaled to about -1 .. 1; FLAC, Vorbis, Opus, MP3,
// AIFF, CAF, W64 and RF64 are written.  Integer samples of k bits read as
// k / (2^(k-1) - 1), as the wave reader scales them, and are written as the
// value times that factor rounded, so PCM and FLAC round trips are exact.

#include <cstdint>

#include "curve/channel.h"
#include "formats/load_notes.h"
#include "formats/save_notes.h"

// The encodings SoundFile_Write can produce.
enum SoundEncoding {
  SOUND_FLAC = 1,    // FLAC, 16 or 24 bit
  SOUND_VORBIS = 2,  // Ogg Vorbis, with a quality
  SOUND_OPUS = 3,    // Ogg Opus, with a quality; 8, 12, 16, 24 or 48 kHz only
  SOUND_MP3 = 4,     // MPEG layer III, with a quality, when the library has an encoder
  SOUND_AIFF = 5,    // AIFF, 16 or 24 bit PCM
  SOUND_CAF = 6,     // Core Audio Format, 16 or 24 bit PCM
  SOUND_W64 = 7,     // Sony Wave64, 16 or 24 bit PCM
  SOUND_RF64 = 8,    // RF64 (the WAV layout for data beyond 4 GiB), 16 or 24 bit PCM
};

// How a sound file is written; cleared to zero it means 16 bit and the
// encoder's default quality.
struct SoundWriteOptions {
  int iEncoding;      // a SoundEncoding
  int iBits;          // 16 or 24 for the PCM and FLAC encodings; 0 means 16
  double dQuality;    // 0 (smallest) .. 1 (best) for the lossy encodings; used when fQualitySet
  int fQualitySet;    // 0: the encoder's default quality
};

// Loads a sound file into channels first, first + 1, ... (at most up to
// channel 7; further channels of the file are named in notes).  Returns 0,
// the result code of a failed open (ErrorCode_FromOpenErrno; a file that is
// not regular is refused too), 2130 when the library cannot decode it
// (notes->szReason then holds the library's reason), or 2105 for a sample
// rate below 1 Hz.  A file that ends early or stops decoding
// loads the frames that decoded and sets notes->fDamaged.  The channels are
// unchanged on every refusal.
int SoundFile_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes = nullptr);

// Loads a .wav: the own wave reader for the layouts it reads (its exact
// results), libsndfile for RIFX, RF64 and the layouts it refuses (A-law,
// mu-law, ADPCM, GSM, 64-bit float, ...).  Returns the wave reader's code when
// libsndfile cannot decode the file either.
int SoundFile_ReadWave(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes = nullptr);

// Saves channels first .. first + nch - 1 with the given options: the frame
// count from channel first, shorter channels padded as CurveSave_Value says,
// missing values as 0, the rate that of WaveFile_RateForStep.  Returns 0; 2105 for bad arguments or an
// encoding this library cannot write, and for a rate or channel count the
// format cannot store (notes->szReason then says why); a refusal of
// SafeWrite_Begin; 2109 when the library failed to write (notes->szReason
// says why) or the result code of a failed sync or rename.  The previous
// file stays on every failure.
int SoundFile_Write(const char* path, ChannelSet* set, int first, int nch, const SoundWriteOptions* opt,
                    CurveSaveNotes* notes = nullptr);

// Saves a .wav: the own 16-bit writer, or RF64 through libsndfile when the
// data would pass the RIFF size limit (notes->fRf64 then says so).
int SoundFile_WriteWave(const char* path, ChannelSet* set, int first, int nch, CurveSaveNotes* notes = nullptr);

// 1 when this build of the library can write the encoding.
int SoundFile_CanWrite(int encoding);

// Data bytes beyond which SoundFile_WriteWave writes RF64; the default is
// the RIFF limit.  Only tests lower it, to check the switch with small data.
void SoundFile_SetRf64Threshold(uint64_t bytes);
