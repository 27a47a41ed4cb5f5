// The table of formats and what is derived from it: the dispatch lookup, the
// dialogs' filter lists and the extension lists of the usage text.  The
// first rows keep the order of the dialogs' original entries; formats added
// later come after them.

#include "formats/format_table.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "formats/json_curve_read.h"
#include "formats/save_notes.h"
#include "formats/sound_file.h"
#include "formats/text_curve.h"

namespace {

int Fmt_ReadText(const char* path, ChannelSet* set, int first, SpectrumRefHeader*, CurveLoadNotes* notes) {
  return TextCurve_Read(path, set, first, notes);
}
int Fmt_ReadJson(const char* path, ChannelSet* set, int first, SpectrumRefHeader*, CurveLoadNotes* notes) {
  return JsonCurve_Read(path, set, first, notes);
}
int Fmt_ReadWave(const char* path, ChannelSet* set, int first, SpectrumRefHeader*, CurveLoadNotes* notes) {
  return SoundFile_ReadWave(path, set, first, notes);
}
int Fmt_ReadRef(const char* path, ChannelSet* set, int first, SpectrumRefHeader* hdr, CurveLoadNotes* notes) {
  return SpectrumRef_Read(path, set, first, hdr, notes);
}
int Fmt_ReadSound(const char* path, ChannelSet* set, int first, SpectrumRefHeader*, CurveLoadNotes* notes) {
  return SoundFile_Read(path, set, first, notes);
}

// The frames a writer writes: the first channel's sample count.
int Fmt_Frames(const ChannelSet* set, int first) {
  return Channel_IsIndex(first) && set->Channel[first].iNrOfSamples > 0 ? set->Channel[first].iNrOfSamples : 0;
}

// The save type alone chooses the text layout and value type.  Reals keep a
// missing value as one; the integer types write their lowest value.
int Fmt_WriteText(const CurveFormat*, const char* path, ChannelSet* set, int first, const SpectrumRefHeader*,
                  int saveType, CurveSaveNotes* notes) {
  int inUse = set->iChannelsInUse;
  int type = saveType & 0x0F;
  const char* missingAs = type == SAVE_TYPE_FLOAT ? nullptr : (type == SAVE_TYPE_UINT8 ? "0" : "-32767");
  int nch = inUse < MAX_CHANNELS - first ? inUse : MAX_CHANNELS - first;
  CurveSave_NoteChanges(notes, set, first, nch, Fmt_Frames(set, first), missingAs);
  return TextCurve_Write(path, set, first, inUse, saveType);
}
// Missing values become 0 in the sound files, the own WAV writer's among them.
int Fmt_WriteWave(const CurveFormat*, const char* path, ChannelSet* set, int first, const SpectrumRefHeader*, int,
                  CurveSaveNotes* notes) {
  CurveSave_NoteChanges(notes, set, first, set->iChannelsInUse, Fmt_Frames(set, first), "0");
  return SoundFile_WriteWave(path, set, first, set->iChannelsInUse, notes);
}
// A reference file holds one channel.
int Fmt_WriteRef(const CurveFormat*, const char* path, ChannelSet* set, int first, const SpectrumRefHeader* hdr,
                 int, CurveSaveNotes* notes) {
  int inUse = set->iChannelsInUse;
  if (notes) notes->iChannelsLeftOut = inUse > first + 1 ? inUse - first - 1 : 0;
  return SpectrumRef_Write(path, set, first, hdr);
}
// The bit depth and quality come from the save type.
int Fmt_WriteSound(const CurveFormat* fmt, const char* path, ChannelSet* set, int first, const SpectrumRefHeader*,
                   int saveType, CurveSaveNotes* notes) {
  SoundWriteOptions opt{};
  opt.iEncoding = fmt->iEncoding;
  opt.iBits = (saveType & SAVE_TYPE_PCM24) ? 24 : 16;
  opt.dQuality = SaveType_QualityOf(saveType);
  opt.fQualitySet = opt.dQuality >= 0;
  CurveSave_NoteChanges(notes, set, first, set->iChannelsInUse, Fmt_Frames(set, first), "0");
  return SoundFile_Write(path, set, first, set->iChannelsInUse, &opt, notes);
}

constexpr int kDepth = SAVE_KINDS_DEPTH;
constexpr int kLossy = SAVE_KINDS_QUALITY;

const CurveFormat kFormats[] = {
    {".txt", "Text files (*.txt)", "*.txt", Fmt_ReadText, Fmt_WriteText, 0, SAVE_KINDS_TEXT,
     {{"Text files, 16 bit integer (*.txt)", "*.txt", SAVE_TYPE_INT16},
      {"Text files, 8 bit unsigned (*.txt)", "*.txt", SAVE_TYPE_UINT8},
      {"Text files, floating point (*.txt)", "*.txt", SAVE_TYPE_FLOAT}}, 0},
    {".csv", "CSV files (*.csv)", "*.csv", Fmt_ReadText, nullptr, 0, 0, {}, 0},
    {".json", "JSON files (*.json)", "*.json", Fmt_ReadJson, Fmt_WriteText, 0, SAVE_KINDS_TEXT,
     {{"JSON files, floating point (*.txt)", "*.json", SAVE_TYPE_JSON | SAVE_TYPE_FLOAT}}, 1},
    {".wav", "Wave audio files (*.wav)", "*.WAV", Fmt_ReadWave, Fmt_WriteWave, 0, 0,
     {{"Wave audio files (*.wav)", "*.wav", 0}}, 0},
    {".ref", "Spectrum Reference files (*.ref)", "*.REF", Fmt_ReadRef, Fmt_WriteRef, 0, 0,
     {{"Spectrum Reference files (*.ref)", "*.ref", 0}}, 0},
    {".fcf", "FCF spectrum files (*.fcf)", "*.FCF", nullptr, nullptr, 0, 0, {}, 0},
    {".flac", "FLAC audio files (*.flac)", "*.flac", Fmt_ReadSound, Fmt_WriteSound, SOUND_FLAC, kDepth,
     {{"FLAC audio files, 16 bit (*.flac)", "*.flac", 0},
      {"FLAC audio files, 24 bit (*.flac)", "*.flac", SAVE_TYPE_PCM24}}, 1},
    {".ogg;.oga", "Ogg Vorbis audio files (*.ogg)", "*.ogg;*.oga", Fmt_ReadSound, Fmt_WriteSound, SOUND_VORBIS,
     kLossy, {{"Ogg Vorbis audio files (*.ogg)", "*.ogg", 0}}, 1},
    {".opus", "Opus audio files (*.opus)", "*.opus", Fmt_ReadSound, Fmt_WriteSound, SOUND_OPUS, kLossy,
     {{"Opus audio files (*.opus)", "*.opus", 0}}, 1},
    {".mp3", "MP3 audio files (*.mp3)", "*.mp3", Fmt_ReadSound, Fmt_WriteSound, SOUND_MP3, kLossy,
     {{"MP3 audio files (*.mp3)", "*.mp3", 0}}, 1},
    {".aiff;.aif;.aifc", "AIFF audio files (*.aiff)", "*.aiff;*.aif;*.aifc", Fmt_ReadSound, Fmt_WriteSound,
     SOUND_AIFF, kDepth,
     {{"AIFF audio files, 16 bit (*.aiff)", "*.aiff", 0},
      {"AIFF audio files, 24 bit (*.aiff)", "*.aiff", SAVE_TYPE_PCM24}}, 1},
    {".caf", "Core Audio files (*.caf)", "*.caf", Fmt_ReadSound, Fmt_WriteSound, SOUND_CAF, kDepth,
     {{"Core Audio files, 16 bit (*.caf)", "*.caf", 0},
      {"Core Audio files, 24 bit (*.caf)", "*.caf", SAVE_TYPE_PCM24}}, 1},
    {".w64", "Wave64 audio files (*.w64)", "*.w64", Fmt_ReadSound, Fmt_WriteSound, SOUND_W64, kDepth,
     {{"Wave64 audio files, 16 bit (*.w64)", "*.w64", 0},
      {"Wave64 audio files, 24 bit (*.w64)", "*.w64", SAVE_TYPE_PCM24}}, 1},
    {".rf64", "RF64 audio files (*.rf64)", "*.rf64", Fmt_ReadSound, Fmt_WriteSound, SOUND_RF64, kDepth,
     {{"RF64 audio files, 16 bit (*.rf64)", "*.rf64", 0},
      {"RF64 audio files, 24 bit (*.rf64)", "*.rf64", SAVE_TYPE_PCM24}}, 1},
    {".au;.snd", "Sun audio files (*.au)", "*.au;*.snd", Fmt_ReadSound, nullptr, 0, 0, {}, 1},
};
constexpr int kFormatCount = static_cast<int>(sizeof kFormats / sizeof kFormats[0]);

// Whether the ';'-separated list holds ext (any letter case).
bool Fmt_ListHolds(const char* list, const char* ext) {
  size_t n = std::strlen(ext);
  for (const char* p = list; *p;) {
    const char* end = std::strchr(p, ';');
    size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (len == n && strncasecmp(p, ext, n) == 0) return true;
    p += len + (end ? 1 : 0);
  }
  return false;
}

// Appends text and its NUL to a filter list under construction.
void Fmt_Put(char* buf, size_t size, size_t* len, const char* text) {
  size_t n = std::strlen(text) + 1;
  if (*len + n + 1 > size) return;  // the buffers are sized for the table; never cut
  std::memcpy(buf + *len, text, n);
  *len += n;
}

}  // namespace

const CurveFormat* CurveFormat_ByExtension(const char* ext) {
  if (!ext) return nullptr;
  for (const CurveFormat& f : kFormats)
    if (Fmt_ListHolds(f.szExtensions, ext)) return &f;
  return nullptr;
}

const CurveFormat* CurveFormat_All(int* count) {
  if (count) *count = kFormatCount;
  return kFormats;
}

const char* CurveFormat_OpenFilter() {
  static char buf[2048];
  if (buf[0]) return buf;
  size_t len = 0;
  char all[512] = "";
  for (int group = 0; group < 2; ++group)
    for (const CurveFormat& f : kFormats) {
      if (!f.szOpenText || f.iOpenGroup != group) continue;
      for (const char* p = f.szExtensions; *p;) {
        const char* end = std::strchr(p, ';');
        int n = end ? static_cast<int>(end - p) : static_cast<int>(std::strlen(p));
        size_t used = std::strlen(all);
        std::snprintf(all + used, sizeof all - used, "%s*%.*s", used ? ";" : "", n, p);
        p += n + (end ? 1 : 0);
      }
    }
  Fmt_Put(buf, sizeof buf, &len, "All supported file formats");
  Fmt_Put(buf, sizeof buf, &len, all);
  for (int group = 0; group < 2; ++group)
    for (const CurveFormat& f : kFormats) {
      if (!f.szOpenText || f.iOpenGroup != group) continue;
      Fmt_Put(buf, sizeof buf, &len, f.szOpenText);
      Fmt_Put(buf, sizeof buf, &len, f.szOpenPattern);
    }
  buf[len] = '\0';
  return buf;
}

const char* CurveFormat_SaveFilter() {
  static char buf[2048];
  if (buf[0]) return buf;
  size_t len = 0;
  for (const CurveFormat& f : kFormats)
    for (const CurveSaveEntry& e : f.Save) {
      if (!e.szText) break;
      Fmt_Put(buf, sizeof buf, &len, e.szText);
      Fmt_Put(buf, sizeof buf, &len, e.szPattern);
    }
  buf[len] = '\0';
  return buf;
}

int CurveFormat_SaveTypeOfEntry(int index, int handedIn) {
  int k = 0;
  for (const CurveFormat& f : kFormats)
    for (const CurveSaveEntry& e : f.Save) {
      if (!e.szText) break;
      if (k++ == index) return e.iSaveType ? e.iSaveType : handedIn;
    }
  return handedIn;
}

int CurveFormat_ListExtensions(char* dst, int size, int what) {
  if (!dst || size <= 0) return 0;
  int len = 0;
  dst[0] = '\0';
  for (const CurveFormat& f : kFormats) {
    bool take = what == CURVE_LIST_READERS ? f.pfnRead != nullptr
                                           : (what == CURVE_LIST_WRITERS ? f.pfnWrite != nullptr
                                                                         : (f.iSaveKinds & what) != 0);
    if (!take) continue;
    for (const char* p = f.szExtensions; *p;) {
      const char* end = std::strchr(p, ';');
      int n = end ? static_cast<int>(end - p) : static_cast<int>(std::strlen(p));
      int w = std::snprintf(dst + len, static_cast<size_t>(size - len), "%s%.*s", len ? ", " : "", n, p);
      if (w < 0 || w >= size - len) return len;
      len += w;
      p += n + (end ? 1 : 0);
    }
  }
  return len;
}

int CurveFormat_TakesSaveType(const CurveFormat* fmt, int saveType) {
  if (!fmt || saveType == 0 || saveType == SAVE_TYPE_INT16) return 1;
  int kind = (saveType & SAVE_TYPE_QUALITY) ? SAVE_KINDS_QUALITY
                                             : ((saveType & SAVE_TYPE_PCM24) ? SAVE_KINDS_DEPTH : SAVE_KINDS_TEXT);
  if (fmt->iSaveKinds == 0) return kind == SAVE_KINDS_TEXT;
  return (fmt->iSaveKinds & kind) != 0;
}
