// The JSON curve reader: a small streaming scanner for exactly the members
// the writer puts out, so that a file of a million values needs no tree.

#include "formats/json_curve_read.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "formats/text_curve.h"
#include "formats/text_scan.h"
#include "winutil/error_text.h"

namespace {

constexpr int kMaxGroupSize = 0x10000;

// The next byte without taking it; -1 at the end of the file.
int Json_Peek(BufferedFile* f) {
  const uint8_t* d = nullptr;
  return BufferedFile_Peek(f, &d) > 0 ? d[0] : -1;
}

int Json_Take(BufferedFile* f) {
  uint8_t c;
  return BufferedFile_Read(f, &c, 1) == 1 ? c : -1;
}

// Skips blanks and line ends; returns the byte behind them (not taken).
int Json_SkipSpace(BufferedFile* f) {
  int c = Json_Peek(f);
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
    Json_Take(f);
    c = Json_Peek(f);
  }
  return c;
}

// Takes the byte want behind blanks; 1 when it was there.
bool Json_Expect(BufferedFile* f, int want) {
  if (Json_SkipSpace(f) != want) return false;
  Json_Take(f);
  return true;
}

// Reads a string; its first size - 1 bytes go to dst (escapes kept as
// written; the names compared with it have none).  1 when it was whole.
bool Json_String(BufferedFile* f, char* dst, int size) {
  if (!Json_Expect(f, '"')) return false;
  int n = 0;
  for (;;) {
    int c = Json_Take(f);
    if (c < 0x20) return false;  // end of file or a raw control byte
    if (c == '"') break;
    if (c == '\\' && (c = Json_Take(f)) < 0) return false;
    if (n < size - 1) dst[n++] = static_cast<char>(c);
  }
  dst[n] = 0;
  return true;
}

// Reads a number or null (NaN) into *v.  1 when there was one.
bool Json_Value(BufferedFile* f, double* v) {
  char text[64];
  int n = 0;
  int c = Json_SkipSpace(f);
  while (n < static_cast<int>(sizeof text) - 1 &&
         ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E' ||
          (c >= 'a' && c <= 'z'))) {
    text[n++] = static_cast<char>(Json_Take(f));
    c = Json_Peek(f);
  }
  text[n] = 0;
  if (std::strcmp(text, "null") == 0) {
    *v = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  return (text[0] == '-' || (text[0] >= '0' && text[0] <= '9')) && Text_FieldValue(text, text + n, 0, v) &&
         std::isfinite(*v);
}

// The header members read before the array.
struct JsonHeader {
  double dRate;      // samples per second; 0 when not given
  long long iGroups; // n_samples; <= 0 reads to the end of the array
  int iChannels;     // n_channels, 1 .. kMaxGroupSize
};

// Reads the values of the array into channels first .. first + n - 1, group
// by group, up to the announced groups; fills the notes.
void Json_ReadArray(BufferedFile* f, ChannelSet* set, int first, int n, const JsonHeader* h, CurveLoadNotes* notes) {
  long long groups = h->iGroups > 0 && h->iGroups < CHANNEL_MAX_ALLOC ? h->iGroups : CHANNEL_MAX_ALLOC;
  long long limit = groups * h->iChannels, k = 0, missing = 0;
  double lo[MAX_CHANNELS], hi[MAX_CHANNELS];
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    lo[c] = 1e100;
    hi[c] = -1e100;
  }
  bool whole = Json_SkipSpace(f) == ']';
  bool more = false;  // values beyond the limit
  if (whole) Json_Take(f);
  while (!whole) {
    double v;
    if (!Json_Value(f, &v)) break;
    if (k >= limit) {
      more = true;
    } else {
      int j = static_cast<int>(k % h->iChannels);
      int i = static_cast<int>(k / h->iChannels);
      if (j < n) {
        ChannelSet_SetSample(set, first + j, i, v);
        if (std::isnan(v)) {
          ++missing;
        } else {
          if (v < lo[j]) lo[j] = v;
          if (v > hi[j]) hi[j] = v;
        }
      }
      ++k;
    }
    int c = Json_SkipSpace(f);
    Json_Take(f);
    if (c == ']') whole = true;
    else if (c != ',') break;
  }
  for (int j = 0; j < n; ++j) {
    if (lo[j] < hi[j]) {
      set->Channel[first + j].dViewMin = lo[j];
      set->Channel[first + j].dViewMax = hi[j];
    }
  }
  if (notes) {
    notes->fTruncated = groups == CHANNEL_MAX_ALLOC && more;
    notes->fShortData = !whole || (h->iGroups > 0 && k < limit);
    notes->iMissing = missing;
  }
}

}  // namespace

int JsonCurve_ReadFile(BufferedFile* f, ChannelSet* set, int first, CurveLoadNotes* notes) {
  if (!set || first < 0 || first >= MAX_CHANNELS) return ERROR_NOT_SUPPORTED;
  const uint8_t* d = nullptr;
  if (BufferedFile_Peek(f, &d) >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) {
    uint8_t bom[3];
    BufferedFile_Read(f, bom, 3);
  }
  if (!Json_Expect(f, '{')) return ERROR_NOT_SUPPORTED;
  JsonHeader h = {0.0, 0, 1};
  bool array = false, known = false;
  for (;;) {
    char key[32], text[8];
    double v = 0.0;
    if (!Json_String(f, key, sizeof key) || !Json_Expect(f, ':')) return ERROR_NOT_SUPPORTED;
    if (std::strcmp(key, "array") == 0) {
      if (!Json_Expect(f, '[')) return ERROR_NOT_SUPPORTED;
      array = true;
      break;
    }
    if (std::strcmp(key, "file_info") == 0 || std::strcmp(key, "original_filename") == 0 ||
        std::strcmp(key, "data_type") == 0) {
      if (!Json_String(f, text, sizeof text)) return ERROR_NOT_SUPPORTED;
    } else if (!Json_Value(f, &v) || std::isnan(v)) {
      return ERROR_NOT_SUPPORTED;
    } else if (std::strcmp(key, "samples_per_second") == 0) {
      h.dRate = v;
    } else if (std::strcmp(key, "n_samples") == 0) {
      h.iGroups = v < 0.0 ? 0 : (v > 1e15 ? 1000000000000000LL : static_cast<long long>(v));
    } else if (std::strcmp(key, "n_channels") == 0) {
      h.iChannels = v < 1.0 ? 1 : (v > kMaxGroupSize ? kMaxGroupSize : static_cast<int>(v));
    } else {
      return ERROR_NOT_SUPPORTED;  // a member the writer never writes
    }
    known = known || std::strcmp(key, "file_info") == 0;
    int c = Json_SkipSpace(f);
    Json_Take(f);
    if (c == '}') break;
    if (c != ',') return ERROR_NOT_SUPPORTED;
  }
  if (!known) return ERROR_NOT_SUPPORTED;
  int n = h.iChannels < MAX_CHANNELS - first ? h.iChannels : MAX_CHANNELS - first;
  TextCurve_PrepareChannels(set, first, n, h.dRate);
  for (int c = first; c < first + n; ++c) set->Channel[c].iVisible = 1;
  if (notes) {
    notes->iChannelsLoaded = n;
    notes->iChannelsSkipped = h.iChannels - n;
  }
  if (array) Json_ReadArray(f, set, first, n, &h, notes);
  return 0;
}

int JsonCurve_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes) {
  static BufferedFile f;  // 64 KiB: kept off the stack
  if (!BufferedFile_OpenRead(&f, path)) return ErrorCode_FromOpenErrno(static_cast<int>(f.dwLastError));
  int rc = JsonCurve_ReadFile(&f, set, first, notes);
  BufferedFile_Close(&f);
  return rc;
}
