// Dispatch of loads and saves to the formats by file name extension.

#include "formats/curve_file.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "formats/json_curve_read.h"
#include "formats/spectrum_ref.h"
#include "formats/text_curve.h"
#include "formats/wave_file.h"
#include "winutil/error_text.h"

namespace {

bool ExtIs(const char* ext, const char* want) { return strcasecmp(ext, want) == 0; }

// Length of a text that snprintf formatted into size chars: cut to what fits.
int FittedLength(int n, int size) { return n < 0 ? 0 : (n < size ? n : size - 1); }

}  // namespace

const char* CurveFile_Extension(const char* path) {
  return path ? std::strrchr(path, '.') : nullptr;
}

int LoadCurveFile(ChannelSet* set, SpectrumRefHeader* hdr, const char* path, int first, CurveLoadNotes* notes) {
  if (notes) *notes = CurveLoadNotes{};
  const char* ext = CurveFile_Extension(path);
  if (!ext) return ERROR_FILE_MISSING;
  int rc = ERROR_NOT_SUPPORTED;
  if (ExtIs(ext, ".ref")) rc = SpectrumRef_Read(path, set, first, hdr, notes);
  else if (ExtIs(ext, ".wav")) rc = WaveFile_Read(path, set, first, notes);
  else if (ExtIs(ext, ".txt") || ExtIs(ext, ".csv")) rc = TextCurve_Read(path, set, first, notes);
  else if (ExtIs(ext, ".json")) rc = JsonCurve_Read(path, set, first, notes);
  if (rc == 0 && notes) {
    // The readers prepare at least channel first; empty when none got a value.
    int loaded = notes->iChannelsLoaded > 1 ? notes->iChannelsLoaded : 1;
    notes->fEmpty = 1;
    for (int c = first; c < first + loaded && c < MAX_CHANNELS; ++c)
      if (set->Channel[c].iNrOfSamples > 0) notes->fEmpty = 0;
  }
  return rc;
}

int CurveFile_LoadStatusText(char* dst, int size, const char* path, long points, const CurveLoadNotes* notes) {
  if (!dst || size <= 0) return 0;
  char truncated[80] = "";
  if (notes && notes->fTruncated)
    std::snprintf(truncated, sizeof truncated, " (file truncated: only the first %d samples were loaded)",
                  CHANNEL_MAX_ALLOC);
  char skipped[96] = "";
  if (notes && notes->iChannelsSkipped > 0) {
    if (notes->iChannelsSkipped == 1 && notes->iChannelsLoaded == 1)
      std::snprintf(skipped, sizeof skipped, " (second channel not loaded: all channels in use)");
    else
      std::snprintf(skipped, sizeof skipped, " (%d channel%s not loaded: all channels in use)",
                    notes->iChannelsSkipped, notes->iChannelsSkipped == 1 ? "" : "s");
  }
  char missing[64] = "";
  if (notes && notes->iMissing > 0)
    std::snprintf(missing, sizeof missing, " (%lld missing value%s)", notes->iMissing, notes->iMissing == 1 ? "" : "s");
  const char* shortData = notes && notes->fShortData ? " (file truncated: the data ends before its header says)" : "";
  int n = std::snprintf(dst, static_cast<size_t>(size), "Loaded file \"%s\", %ld points%s%s%s%s", path ? path : "",
                        points, truncated, shortData, missing, skipped);
  return FittedLength(n, size);
}

int CurveFile_LoadErrorText(char* dst, int size, const char* path, int rc) {
  if (!dst || size <= 0) return 0;
  int n = std::snprintf(dst, static_cast<size_t>(size), "ERROR: failed to load \"%s\" (%s)", path ? path : "",
                        ErrorCodeToText(rc));
  return FittedLength(n, size);
}

int CurveFile_SaveStatusText(char* dst, int size, const char* path, int rc, const CurveSaveNotes* notes) {
  if (!dst || size <= 0) return 0;
  const char* p = path ? path : "";
  if (rc != 0) {
    int n = std::snprintf(dst, static_cast<size_t>(size), "ERROR: failed to save \"%s\" (%s)", p, ErrorCodeToText(rc));
    return FittedLength(n, size);
  }
  std::snprintf(dst, static_cast<size_t>(size), "Saved file \"%s\"", p);
  return CurveSave_AppendText(dst, size, notes);
}

int SaveCurveFile(ChannelSet* set, const SpectrumRefHeader* hdr, const char* path, int first, int saveType,
                  CurveSaveNotes* notes) {
  if (notes) *notes = CurveSaveNotes{};
  const char* ext = CurveFile_Extension(path);
  if (!ext) return ERROR_FILE_MISSING;
  int inUse = set->iChannelsInUse;
  int n = first >= 0 && first < MAX_CHANNELS ? set->Channel[first].iNrOfSamples : 0;
  int rc;
  if (ExtIs(ext, ".ref")) {
    rc = SpectrumRef_Write(path, set, first, hdr);
    if (notes) notes->iChannelsLeftOut = inUse > first + 1 ? inUse - first - 1 : 0;
  } else if (ExtIs(ext, ".wav")) {
    rc = WaveFile_Write(path, set, first, inUse);
    CurveSave_NoteChanges(notes, set, first, inUse, n, "0");
  } else if (ExtIs(ext, ".txt") || ExtIs(ext, ".json")) {
    rc = TextCurve_Write(path, set, first, inUse, saveType);
    // Reals keep a missing value as one; the integer types write their lowest value.
    int type = saveType & 0x0F;
    const char* missingAs = type == SAVE_TYPE_FLOAT ? nullptr : (type == SAVE_TYPE_UINT8 ? "0" : "-32767");
    int nch = inUse < MAX_CHANNELS - first ? inUse : MAX_CHANNELS - first;
    CurveSave_NoteChanges(notes, set, first, nch, n, missingAs);
  } else {
    return ERROR_NOT_SUPPORTED;
  }
  if (notes && rc != 0) *notes = CurveSaveNotes{};
  return rc;
}
