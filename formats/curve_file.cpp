// Dispatch of loads and saves to the formats by file name extension.

#include "formats/curve_file.h"

#include <cstdio>
#include <cstring>

#include "formats/buffered_file.h"
#include "formats/format_table.h"
#include "winutil/error_text.h"

namespace {

// Length of a text that snprintf formatted into size chars: cut to what fits.
int FittedLength(int n, int size) { return n < 0 ? 0 : (n < size ? n : size - 1); }

}  // namespace

const char* CurveFile_Extension(const char* path) {
  return path ? std::strrchr(path, '.') : nullptr;
}

int LoadCurveFile(ChannelSet* set, SpectrumRefHeader* hdr, const char* path, int first, CurveLoadNotes* notes,
                  WorkProgress* progress) {
  if (notes) *notes = CurveLoadNotes{};
  const char* ext = CurveFile_Extension(path);
  if (!ext) return ERROR_FILE_MISSING;
  const CurveFormat* fmt = CurveFormat_ByExtension(ext);
  if (!fmt || !fmt->pfnRead) return ERROR_NOT_SUPPORTED;
  unsigned long long lost[MAX_CHANNELS];  // to see which channels ran out of memory
  for (int c = 0; set && c < MAX_CHANNELS; ++c) lost[c] = set->Channel[c].uLostStores;
  BufferedFile_SetProgress(progress);
  int rc = fmt->pfnRead(path, set, first, hdr, notes);
  BufferedFile_SetProgress(nullptr);
  if (rc == 0 && notes) {
    // The readers prepare at least channel first; empty when none got a value.
    int loaded = notes->iChannelsLoaded > 1 ? notes->iChannelsLoaded : 1;
    notes->fEmpty = 1;
    for (int c = first; c < first + loaded && c < MAX_CHANNELS; ++c)
      if (set->Channel[c].iNrOfSamples > 0) notes->fEmpty = 0;
    for (int c = 0; c < MAX_CHANNELS; ++c) {
      if (set->Channel[c].uLostStores == lost[c]) continue;
      if (!notes->fOutOfMemory || set->Channel[c].iNrOfSamples < notes->iKept) notes->iKept = set->Channel[c].iNrOfSamples;
      notes->fOutOfMemory = 1;
    }
    if (progress && progress->fStopped) {
      // The reading ended where the user stopped it, not where the file does.
      notes->fCancelled = 1;
      notes->fTruncated = notes->fShortData = notes->fDamaged = 0;
      notes->iKept = set->Channel[first].iNrOfSamples;
      for (int c = first + 1; c < first + loaded && c < MAX_CHANNELS; ++c)
        if (set->Channel[c].iNrOfSamples < notes->iKept) notes->iKept = set->Channel[c].iNrOfSamples;
    }
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
  char memory[80] = "";
  if (notes && notes->fOutOfMemory)
    std::snprintf(memory, sizeof memory, " (out of memory: only the first %lld samples were loaded)", notes->iKept);
  else if (notes && notes->fCancelled)
    std::snprintf(memory, sizeof memory, " (loading cancelled: only the first %lld samples were loaded)", notes->iKept);
  const char* shortData = notes && notes->fShortData ? " (file truncated: the data ends before its header says)" : "";
  const char* damaged = notes && notes->fDamaged ? " (file truncated: only the frames that decode were loaded)" : "";
  int n = std::snprintf(dst, static_cast<size_t>(size), "Loaded file \"%s\", %ld points%s%s%s%s%s%s",
                        path ? path : "", points, truncated, memory, shortData, damaged, missing, skipped);
  return FittedLength(n, size);
}

int CurveFile_LoadErrorText(char* dst, int size, const char* path, int rc, const CurveLoadNotes* notes) {
  if (!dst || size <= 0) return 0;
  const char* why = notes && notes->szReason[0] ? notes->szReason : nullptr;
  int n = std::snprintf(dst, static_cast<size_t>(size), "ERROR: failed to load \"%s\" (%s%s%s)", path ? path : "",
                        ErrorCodeToText(rc), why ? ": " : "", why ? why : "");
  return FittedLength(n, size);
}

int CurveFile_SaveStatusText(char* dst, int size, const char* path, int rc, const CurveSaveNotes* notes) {
  if (!dst || size <= 0) return 0;
  const char* p = path ? path : "";
  if (rc != 0) {
    const char* why = notes && notes->szReason[0] ? notes->szReason : nullptr;
    int n = std::snprintf(dst, static_cast<size_t>(size), "ERROR: failed to save \"%s\" (%s%s%s)", p,
                          ErrorCodeToText(rc), why ? ": " : "", why ? why : "");
    return FittedLength(n, size);
  }
  const char* rf64 = notes && notes->fRf64 ? " as RF64 (the data passes 4 GiB)" : "";
  std::snprintf(dst, static_cast<size_t>(size), "Saved file \"%s\"%s", p, rf64);
  return CurveSave_AppendText(dst, size, notes);
}

int SaveCurveFile(ChannelSet* set, const SpectrumRefHeader* hdr, const char* path, int first, int saveType,
                  CurveSaveNotes* notes, WorkProgress* progress) {
  if (notes) *notes = CurveSaveNotes{};
  const char* ext = CurveFile_Extension(path);
  if (!ext) return ERROR_FILE_MISSING;
  const CurveFormat* fmt = CurveFormat_ByExtension(ext);
  if (!fmt || !fmt->pfnWrite) return ERROR_NOT_SUPPORTED;
  BufferedFile_SetProgress(progress);
  int rc = fmt->pfnWrite(fmt, path, set, first, hdr, saveType, notes);
  BufferedFile_SetProgress(nullptr);
  if (notes && rc != 0) {  // nothing was changed on the way; a refusal's reason stays
    CurveSaveNotes failed{};
    std::memcpy(failed.szReason, notes->szReason, sizeof failed.szReason);
    *notes = failed;
  }
  return rc;
}
