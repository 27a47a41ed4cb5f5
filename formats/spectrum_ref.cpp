// Spectrum reference files: header lines, one value per line, "end".

#include "formats/spectrum_ref.h"

#include <cmath>
#include <cstdarg>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "formats/buffered_file.h"
#include "formats/safe_write.h"
#include "formats/save_notes.h"
#include "formats/text_scan.h"
#include "winutil/error_text.h"

namespace {

constexpr int REF_MAX_EMPTY_LINES = 10;

constexpr const char* REF_TYPE_WORDS[] = {"unused", "float_array", "complex_array", "rdf_spectrum",
                                          "text_message"};
constexpr int REF_TYPE_COUNT = 5;

int Ref_Match(const char** pp, const char* key) { return MatchKeyword(pp, key); }

// Applies one key line to the header; 1 when it is "array=" (data follows).
int Ref_ApplyKeyLine(const char* line, SpectrumRefHeader* hdr) {
  const char* p = line;
  if (Ref_Match(&p, "time=")) {
    hdr->dTime = Text_ToDouble(p, nullptr);
  } else if (Ref_Match(&p, "type=")) {
    for (int t = 0; t < REF_TYPE_COUNT; ++t) {
      if (Ref_Match(&p, REF_TYPE_WORDS[t])) {
        hdr->iType = t;
        break;
      }
    }
  } else if (Ref_Match(&p, "bin_width_hz=")) {
    hdr->dBinWidthHz = Text_ToDouble(p, nullptr);
  } else if (Ref_Match(&p, "offset_hz=")) {
    hdr->dOffsetHz = Text_ToDouble(p, nullptr);
  } else if (Ref_Match(&p, "iNrOfBins=") || Ref_Match(&p, "nr_of_bins=")) {
    hdr->iNrOfBins = static_cast<int>(Text_ToLong(p, nullptr));
  } else if (Ref_Match(&p, "iCompsPerBin=") || Ref_Match(&p, "comps_per_bin=")) {
    long k = Text_ToLong(p, nullptr);
    hdr->iCompsPerBin = k < 1 ? 0 : (k > 4 ? 4 : static_cast<int>(k));
  } else if (Ref_Match(&p, "scale_unit=")) {
    hdr->iScaleUnit = static_cast<int>(Text_ToLong(p, nullptr));
  } else if (Ref_Match(&p, "scale_factor=")) {
    hdr->dScaleFactor = Text_ToDouble(p, nullptr);
  } else if (Ref_Match(&p, "scale_offset=")) {
    hdr->dScaleOffset = Text_ToDouble(p, nullptr);
  } else if (Ref_Match(&p, "avrg_count=")) {
    hdr->iAvrgCount = static_cast<int>(Text_ToLong(p, nullptr));
  } else if (Ref_Match(&p, "array=")) {
    return 1;
  }
  return 0;
}

// Header phase.  Returns 1 when data starts; *piFirst is 1 when the line that
// started it was the first value (stored as sample 0 into *pdFirst).
int Ref_ReadHeader(BufferedFile* f, TextLine* text, SpectrumRefHeader* hdr, int* piFirst, double* pdFirst) {
  int empty = 0;
  *piFirst = 0;
  while (empty < REF_MAX_EMPTY_LINES) {
    int n = TextLine_Read(f, text);
    if (n < 0) return 0;
    const char* line = text->szText;
    if (n == 0) {
      ++empty;
      continue;
    }
    empty = 0;
    if (line[0] >= 'a' && line[0] <= 'z') {
      if (Ref_ApplyKeyLine(line, hdr)) return 1;
    } else if (line[0] != ';') {
      const char* p = Text_SkipBlanks(line);
      if ((*p >= '0' && *p <= '9') || *p == '.' || *p == '-') {
        *pdFirst = Text_ToDouble(p, nullptr);
        *piFirst = 1;
        return 1;
      }
    }
  }
  return 0;
}

// Data phase: one value per non-empty line up to an "end" line, the bin
// count, the growth limit or the end of the file.  Returns the sample count;
// *pfTruncated is 1 when values beyond the growth limit were left unread.
int Ref_ReadData(BufferedFile* f, TextLine* line, ChannelSet* set, int first, const SpectrumRefHeader* hdr,
                 int i, double* pdLo, double* pdHi, int* pfTruncated) {
  if (hdr->iNrOfBins < 0) return i;
  while ((i < hdr->iNrOfBins || hdr->iNrOfBins == 0) && i < CHANNEL_MAX_ALLOC) {
    const char* p = Text_NextDataLine(f, line, "end");
    if (!p) return i;
    double v = Text_ToDouble(p, nullptr);
    ChannelSet_SetSample(set, first, i, v);
    ++i;
    if (!std::isfinite(v)) continue;  // no place in the view range
    if (v < *pdLo) *pdLo = v;
    if (v > *pdHi) *pdHi = v;
  }
  bool capped = hdr->iNrOfBins == 0 || hdr->iNrOfBins > CHANNEL_MAX_ALLOC;
  *pfTruncated = i >= CHANNEL_MAX_ALLOC && capped && Text_NextDataLine(f, line, "end") != nullptr;
  return i;
}

}  // namespace

int SpectrumRef_Read(const char* path, ChannelSet* set, int first, SpectrumRefHeader* hdr,
                     CurveLoadNotes* notes) {
  if (!path || !set || !hdr || first < 0 || first >= MAX_CHANNELS) return ERROR_FILE_MISSING;
  BufferedFile file;
  if (!BufferedFile_OpenRead(&file, path)) return ErrorCode_FromOpenErrno(static_cast<int>(file.dwLastError));
  SpectrumRefHeader h = *hdr;  // taken over only when the load succeeds
  h.dTime = 0.0;
  h.dBinWidthHz = 1.0;
  h.dOffsetHz = 0.0;
  h.iCompsPerBin = 1;
  TextLine line = {};
  int hasFirst = 0;
  double firstValue = 0.0;
  int i = 0;
  int fTruncated = 0;
  long long missing = 0;
  CurveChannel* ch = &set->Channel[first];
  int fData = Ref_ReadHeader(&file, &line, &h, &hasFirst, &firstValue);
  if (fData && !line.fTooLong) {
    if (h.iType == 0) h.iType = 1;
    double lo = 1e100, hi = -1e100;
    if (hasFirst) {
      ChannelSet_SetSample(set, first, 0, firstValue);
      if (std::isfinite(firstValue)) lo = hi = firstValue;
      i = 1;
    }
    i = Ref_ReadData(&file, &line, set, first, &h, i, &lo, &hi, &fTruncated);
    if (lo < hi) {
      ch->dViewMin = lo;
      ch->dViewMax = hi;
    }
    for (int k = 0; k < i && k < ch->iAllocated; ++k) missing += std::isnan(ch->pdSamples[k]);
  }
  int rc = line.fTooLong ? ERROR_LINE_TOO_LONG : 0;
  TextLine_Free(&line);
  BufferedFile_Close(&file);
  if (rc) {
    if (fData) ch->iNrOfSamples = 0;  // no half-read channel is left behind
    return rc;
  }
  *hdr = h;
  ch->iNrOfSamples = i;
  if (i > 0) ch->iVisible = 1;
  if (hdr->iNrOfBins == 0) hdr->iNrOfBins = i;
  ch->dXOrigin = hdr->dOffsetHz;
  ch->dXStep = hdr->dBinWidthHz;
  ChannelSet_NameDefault(set, first);
  if (notes) {
    notes->fTruncated = fTruncated;
    notes->iMissing = missing;
    notes->iChannelsLoaded = 1;
  }
  return 0;
}

namespace {

const char* Ref_TypeWord(int t) { return t >= 0 && t < REF_TYPE_COUNT ? REF_TYPE_WORDS[t] : "unknown"; }

// Writes key and a real as one line that the reader takes back whole and
// as the same double: "%lf" where its six decimals already say the value
// exactly (so ordinary files keep their bytes), else the shortest digits
// that read back as v (1.234e-07, 2.0833333333333333e-05).
int Ref_WriteReal(BufferedFile* f, const char* key, double v) {
  char line[MAX_LINE_CHARS + 32];
  Text_FormatKeyReal(line, sizeof line, key, v);
  size_t keyLen = std::strlen(key);
  if (std::isfinite(v) && !(Text_ToDouble(line + keyLen, nullptr) == v)) {
    std::to_chars_result r = std::to_chars(line + keyLen, line + sizeof line - 1, v);
    *r.ptr = 0;
  }
  return BufferedFile_WriteString(f, line) && BufferedFile_WriteString(f, "\r\n");
}

// Formats one line with CR LF and writes it; 1 on success.
int Ref_WriteLine(BufferedFile* f, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

int Ref_WriteLine(BufferedFile* f, const char* fmt, ...) {
  char line[400];  // the path (at most 255 chars) and its quotes, or one integer
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(line, sizeof(line) - 2, fmt, ap);
  va_end(ap);
  return BufferedFile_WriteString(f, line) && BufferedFile_WriteString(f, "\r\n");
}

// Writes the header lines and the channel's samples; 1 when all writes succeeded.
int Ref_WriteBody(BufferedFile* f, const char* path, const CurveChannel* ch,
                  const SpectrumRefHeader* hdr) {
  int count = ch->pdSamples && ch->iAllocated > 0 ? ch->iNrOfSamples : 0;
  if (count > ch->iAllocated) count = ch->iAllocated;
  if (count < 0) count = 0;
  char name[256];  // the path as the comment shows it, at most 255 chars
  CurveSave_PathForComment(name, sizeof name, path);
  int ok = Ref_WriteLine(f, "; Saved by Plotsmith");
  ok = ok && Ref_WriteLine(f, "; Original filename: \"%s\"", name);
  ok = ok && Ref_WriteReal(f, "time=", hdr->dTime);
  ok = ok && Ref_WriteLine(f, "type=%s", Ref_TypeWord(hdr->iType));
  ok = ok && Ref_WriteReal(f, "bin_width_hz=", ch->dXStep);
  ok = ok && Ref_WriteReal(f, "offset_hz=", ch->dXOrigin);
  ok = ok && Ref_WriteLine(f, "nr_of_bins=%d", count);
  ok = ok && Ref_WriteLine(f, "comps_per_bin=%d", hdr->iCompsPerBin);
  ok = ok && Ref_WriteLine(f, "scale_unit=%d", hdr->iScaleUnit);
  ok = ok && Ref_WriteReal(f, "scale_factor=", hdr->dScaleFactor);
  ok = ok && Ref_WriteReal(f, "scale_offset=", hdr->dScaleOffset);
  ok = ok && Ref_WriteLine(f, "avrg_count=%d", hdr->iAvrgCount);
  if (ch->pdSamples && ch->iAllocated > 0) {
    ok = ok && Ref_WriteLine(f, "array=");
    for (int i = 0; ok && i < count; ++i) ok = Ref_WriteReal(f, "", ch->pdSamples[i]);
    ok = ok && Ref_WriteLine(f, "end");
  }
  return ok;
}

}  // namespace

int SpectrumRef_Write(const char* path, ChannelSet* set, int c, const SpectrumRefHeader* hdr) {
  if (!path || !set || !hdr || c < 0 || c >= MAX_CHANNELS) return ERROR_FILE_MISSING;
  BufferedFile file;
  SafeWrite sw;
  if (int rc = SafeWrite_Begin(&sw, &file, path)) return rc;
  if (!Ref_WriteBody(&file, path, &set->Channel[c], hdr)) {
    int err = static_cast<int>(file.dwLastError);
    SafeWrite_Abort(&sw, &file);
    return err > 0 ? ErrorCode_FromErrno(err) : ERROR_WRITE;
  }
  return SafeWrite_Commit(&sw, &file);
}
