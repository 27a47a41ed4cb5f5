// The notes of a save and the padding rule of the writers.

#include "formats/save_notes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

int CurveSave_ValidCount(const CurveChannel* ch) {
  if (!ch || !ch->pdSamples) return 0;
  int n = ch->iNrOfSamples < ch->iAllocated ? ch->iNrOfSamples : ch->iAllocated;
  return n > 0 ? n : 0;
}

double CurveSave_Value(const CurveChannel* ch, int i) {
  int valid = CurveSave_ValidCount(ch);
  if (valid == 0 || i < 0) return std::numeric_limits<double>::quiet_NaN();
  return ch->pdSamples[i < valid ? i : valid - 1];
}

void CurveSave_NoteChanges(CurveSaveNotes* notes, const ChannelSet* set, int first, int nch, int n,
                           const char* missingAs) {
  if (!notes) return;
  *notes = CurveSaveNotes{};
  if (!set || first < 0 || nch < 1 || first + nch > MAX_CHANNELS || n < 0) return;
  for (int c = first; c < first + nch; ++c) {
    const CurveChannel* ch = &set->Channel[c];
    int valid = CurveSave_ValidCount(ch);
    int have = ch->iNrOfSamples > 0 ? ch->iNrOfSamples : 0;
    // A channel longer than the file is cut; one with fewer valid samples is padded.
    notes->iLengthChange[c] = have > n ? n - have : n - (valid < n ? valid : n);
    if (!missingAs) continue;
    for (int i = 0; i < n; ++i) notes->iMissing += std::isnan(CurveSave_Value(ch, i)) ? 1 : 0;
  }
  if (missingAs) std::snprintf(notes->szMissingAs, sizeof notes->szMissingAs, "%s", missingAs);
}

int CurveSave_AppendText(char* dst, int size, const CurveSaveNotes* notes) {
  if (!dst || size <= 0) return 0;
  int len = static_cast<int>(strnlen(dst, static_cast<size_t>(size)));
  if (!notes) return len;
  int parts = 0;
  // Appends one part, "; " between parts, the whole in parentheses.
  auto add = [&](const char* text) {
    if (len >= size - 1) return;
    int n = std::snprintf(dst + len, static_cast<size_t>(size - len), "%s%s", parts++ ? "; " : " (", text);
    len = n < 0 ? len : (len + n < size ? len + n : size - 1);
  };
  char part[96];
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    int d = notes->iLengthChange[c];
    if (d > 0) std::snprintf(part, sizeof part, "channel %d padded by %d samples with its last value", c + 1, d);
    if (d < 0) std::snprintf(part, sizeof part, "channel %d cut by %d samples", c + 1, -d);
    if (d != 0) add(part);
  }
  if (notes->iMissing > 0) {
    std::snprintf(part, sizeof part, "%ld missing value%s written as %s", notes->iMissing,
                  notes->iMissing == 1 ? "" : "s", notes->szMissingAs);
    add(part);
  }
  if (notes->iChannelsLeftOut > 0) {
    std::snprintf(part, sizeof part, "%d other channel%s in use not written: the format holds one",
                  notes->iChannelsLeftOut, notes->iChannelsLeftOut == 1 ? "" : "s");
    add(part);
  }
  if (parts && len < size - 1) {
    dst[len++] = ')';
    dst[len] = 0;
  }
  return len;
}

int CurveSave_PathForComment(char* dst, int size, const char* path) {
  if (!dst || size <= 0) return 0;
  int len = 0;
  for (const char* p = path ? path : ""; *p && len < size - 1; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    dst[len++] = c < 0x20 || c == 0x7F ? '?' : *p;
  }
  dst[len] = 0;
  return len;
}
