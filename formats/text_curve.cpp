// Reader and writer of the text curve format (key=value and JSON layouts).

#include "formats/text_curve.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "curve/safe_int.h"
#include "formats/buffered_file.h"
#include "formats/json_curve.h"
#include "formats/safe_write.h"
#include "formats/save_notes.h"
#include "formats/text_scan.h"
#include "winutil/error_text.h"

namespace {

constexpr int kMaxEmptyHeaderLines = 10;
constexpr int kMaxGroupSize = 0x10000;

// What the header lines of a text curve file said.
struct TextHeader {
  double dRate;          // samples per second; 0 when not given
  long iNrOfSamples;     // sample groups announced; <= 0 reads to the end
  long iNrOfChannels;    // values per group; below 1 counts as 1
  int fChannelsGiven;    // an "n_channels=" line was read
  int fNames;            // szNames holds a candidate line of column names
  char szNames[MAX_LINE_CHARS + 1];  // that line, without a leading "#"
};

bool IsDataStart(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; }

bool IsFieldSeparator(char c) { return c == ',' || c == ';' || c == '\t'; }

// Remembers a header line that may name the columns: one without "=" that
// holds a field separator, as numpy ("# a,b") and pandas ("a,b") write it.
void TextCurve_NoteNameLine(TextHeader* h, const char* line) {
  const char* p = Text_SkipBlanks(line);
  if (*p == '#') p = Text_SkipBlanks(p + 1);
  if (std::strchr(p, '=') || !std::strpbrk(p, ",;\t")) return;
  std::snprintf(h->szNames, sizeof(h->szNames), "%s", p);
  h->fNames = 1;
}

// Reads header lines until data starts.  Returns 1 when data was found;
// *fValueLine says whether the current line in szLine is already a value line.
int TextCurve_ReadHeader(BufferedFile* f, char* szLine, TextHeader* h, int* fValueLine) {
  int empty = 0;
  *fValueLine = 0;
  for (;;) {
    int n = BufferedFile_ReadLine(f, szLine, MAX_LINE_CHARS);
    if (n < 0) return 0;
    if (n == 0) {
      if (++empty >= kMaxEmptyHeaderLines) return 0;
      continue;
    }
    empty = 0;
    const char* p = szLine;
    if (*p >= 'a' && *p <= 'z') {
      if (MatchKeyword(&p, "samples_per_second=")) h->dRate = Text_ToDouble(p, nullptr);
      else if (MatchKeyword(&p, "n_samples=")) h->iNrOfSamples = Text_ToLong(p, nullptr);
      else if (MatchKeyword(&p, "data_type=")) {
      } else if (MatchKeyword(&p, "n_channels=")) {
        h->iNrOfChannels = Text_ToLong(p, nullptr);
        h->fChannelsGiven = 1;
      } else if (MatchKeyword(&p, "array=")) {
        return 1;
      } else {
        TextCurve_NoteNameLine(h, szLine);
      }
      continue;
    }
    if (*p == ';') continue;
    if (IsDataStart(*Text_SkipBlanks(p))) {
      *fValueLine = 1;
      return 1;
    }
    TextCurve_NoteNameLine(h, szLine);
  }
}

// Splits a line into fields: at commas, semicolons and tabs when it holds any
// of them (blanks around a field are dropped, and so is one separator at the
// end of the line), else at runs of blanks.  Calls fn(index, start, end) for
// each field and returns the number of fields.
template <typename Fn>
int TextCurve_SplitFields(const char* line, Fn fn) {
  bool hard = std::strpbrk(line, ",;\t") != nullptr;
  const char* p = line;
  while (*p == ' ' || (!hard && *p == '\t')) ++p;  // a leading tab may stand for an empty field
  int count = 0;
  while (*p) {
    const char* end = p;
    if (hard) {
      while (*end && !IsFieldSeparator(*end)) ++end;
    } else {
      while (*end && *end != ' ') ++end;
    }
    const char* stop = end;
    while (stop > p && (stop[-1] == ' ')) --stop;
    fn(count++, p, stop);
    if (!*end) break;
    p = end + 1;
    while (*p == ' ') ++p;
    if (hard && !*p) break;  // one separator at the end of the line ends it
  }
  return count;
}

// The data phase of a load: where values go and how many may come.
struct DataState {
  ChannelSet* pSet;   // the set loaded into
  int iFirst;         // channel of the first value of a group
  int iGroupSize;     // values per group (n_channels, at least 1)
  long long iValues;  // values stored so far
  long long iLimit;   // values to read at most
  int fMore;          // values were left unread when the limit was reached
  double dLo[MAX_CHANNELS];  // smallest value stored per channel (1e100 before any)
  double dHi[MAX_CHANNELS];  // largest value stored per channel (-1e100 before any)
};

void Data_StoreAt(DataState* d, int c, int i, double v) {
  if (c >= MAX_CHANNELS) return;
  ChannelSet_SetSample(d->pSet, c, i, v);
  if (!std::isfinite(v)) return;  // no place in the view range
  if (v < d->dLo[c]) d->dLo[c] = v;
  if (v > d->dHi[c]) d->dHi[c] = v;
}

void Data_Store(DataState* d, double v) {
  int j = static_cast<int>(d->iValues % d->iGroupSize);
  int i = static_cast<int>(d->iValues / d->iGroupSize);
  ++d->iValues;
  Data_StoreAt(d, d->iFirst + j, i, v);
}

// Takes every number of a data line (separated by commas and blanks) into
// the next places of the value stream; a non-empty line without any number
// gives one 0.0.
void Data_ParseLine(DataState* d, const char* p) {
  int found = 0;
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == ',') ++p;
    if (!*p) break;
    if (d->iValues >= d->iLimit) {
      d->fMore = 1;
      break;
    }
    const char* end = p;
    double v = Text_ToDouble(p, &end);
    if (end != p) {
      Data_Store(d, v);
      found = 1;
      p = end;
    }
    // Skip the rest of a token that is not (or no longer) a number.
    while (*p && *p != ' ' && *p != '\t' && *p != ',') ++p;
  }
  if (!found && d->iValues < d->iLimit) Data_Store(d, 0.0);
}

// Takes one line as one sample of every column: field j goes to channel
// first + j; a missing field or one without a number gives 0.0.
void Data_ParseRow(DataState* d, const char* line, int columns) {
  int i = static_cast<int>(d->iValues);
  int n = TextCurve_SplitFields(line, [&](int j, const char* p, const char* end) {
    if (j < columns) Data_StoreAt(d, d->iFirst + j, i, end > p ? Text_ToDouble(p, nullptr) : 0.0);
  });
  for (int j = n; j < columns; ++j) Data_StoreAt(d, d->iFirst + j, i, 0.0);
  ++d->iValues;
}

// Gives channels first .. first + count - 1 the names of the name line when
// it holds one name per column; quotes around a name are dropped.
void TextCurve_NameColumns(ChannelSet* set, int first, int columns, const char* line) {
  if (TextCurve_SplitFields(line, [](int, const char*, const char*) {}) != columns) return;
  TextCurve_SplitFields(line, [&](int j, const char* p, const char* end) {
    if (end - p >= 2 && *p == '"' && end[-1] == '"') {
      ++p;
      --end;
    }
    if (end == p || first + j >= MAX_CHANNELS) return;
    std::snprintf(set->Channel[first + j].szName, CHANNEL_NAME_LEN, "%.*s", static_cast<int>(end - p), p);
  });
}

void TextCurve_PrepareChannels(ChannelSet* set, int first, int count, double rate) {
  for (int c = first; c < first + count && c < MAX_CHANNELS; ++c) {
    CurveChannel* ch = &set->Channel[c];
    ch->dXOrigin = 0.0;
    ch->dXStep = rate > 0.001 ? 1.0 / rate : 1.0;
    ch->dViewMin = ch->dDataMin = -1.0;
    ch->dViewMax = ch->dDataMax = 1.0;
    ch->iNrOfSamples = 0;
  }
}

// Sizes the channels once for the values the rest of the file can hold at
// most (two bytes a value: a digit and a line end), so that a long file is
// not copied at every doubling; untouched storage costs no memory.
void TextCurve_ReserveChannels(BufferedFile* f, ChannelSet* set, int first, int count, int perGroup,
                               long long groups) {
  long long left = BufferedFile_BytesLeft(f);
  if (left < 0) return;
  long long most = left / 2 / (perGroup > 0 ? perGroup : 1) + 1;
  if (most > groups) most = groups;
  for (int c = first; c < first + count && c < MAX_CHANNELS; ++c)
    Channel_Reserve(&set->Channel[c], static_cast<int>(most));
}

// A file of binary data, UTF-16 or compressed text holds NUL bytes early on;
// such a file is refused rather than read as garbage.
bool TextCurve_LooksBinary(BufferedFile* f) {
  const uint8_t* data = nullptr;
  int n = BufferedFile_Peek(f, &data);
  return n > 0 && std::memchr(data, 0, static_cast<size_t>(n)) != nullptr;
}

}  // namespace

int TextCurve_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes) {
  if (!set || first < 0 || first >= MAX_CHANNELS) return ERROR_FILE_MISSING;
  static BufferedFile f;  // 64 KiB: kept off the stack
  if (!BufferedFile_OpenRead(&f, path)) return ErrorCode_FromOpenErrno(static_cast<int>(f.dwLastError));
  if (TextCurve_LooksBinary(&f)) {
    BufferedFile_Close(&f);
    return ERROR_NOT_SUPPORTED;
  }
  char szLine[MAX_LINE_CHARS + 1];
  TextHeader h = {};
  h.iNrOfChannels = 1;
  int fValueLine = 0;
  int fData = TextCurve_ReadHeader(&f, szLine, &h, &fValueLine);
  if (h.iNrOfChannels < 1) h.iNrOfChannels = 1;
  if (h.iNrOfChannels > kMaxGroupSize) h.iNrOfChannels = kMaxGroupSize;
  bool fLine = fData && (fValueLine || Text_NextDataLine(&f, szLine, "end_array"));  // szLine holds a data line
  // Without "n_channels=", the values of the first data line are the columns.
  int columns = 0;
  if (fLine && !h.fChannelsGiven) {
    columns = TextCurve_SplitFields(szLine, [](int, const char*, const char*) {});
    if (columns < 2) columns = 0;
    if (columns > kMaxGroupSize) columns = kMaxGroupSize;
  }
  int nFileChannels = columns ? columns : static_cast<int>(h.iNrOfChannels);
  int nPrepared = nFileChannels < MAX_CHANNELS - first ? nFileChannels : MAX_CHANNELS - first;
  int fTruncated = 0;
  if (fData) {
    TextCurve_PrepareChannels(set, first, nPrepared, h.dRate);
    DataState d = {};
    d.pSet = set;
    d.iFirst = first;
    d.iGroupSize = columns ? 1 : static_cast<int>(h.iNrOfChannels);
    long long groups = h.iNrOfSamples > 0 && h.iNrOfSamples < CHANNEL_MAX_ALLOC ? h.iNrOfSamples : CHANNEL_MAX_ALLOC;
    int fCapped = groups == CHANNEL_MAX_ALLOC;  // stops at the growth limit, not at n_samples
    d.iLimit = groups * d.iGroupSize;
    for (int c = 0; c < MAX_CHANNELS; ++c) {
      d.dLo[c] = 1e100;
      d.dHi[c] = -1e100;
    }
    TextCurve_ReserveChannels(&f, set, first, nPrepared, columns ? columns : d.iGroupSize, groups);
    if (columns && h.fNames) TextCurve_NameColumns(set, first, columns, h.szNames);
    while (fLine && d.iValues < d.iLimit) {
      if (columns) Data_ParseRow(&d, szLine, columns);
      else Data_ParseLine(&d, szLine);
      fLine = Text_NextDataLine(&f, szLine, "end_array");
    }
    fTruncated = fCapped && (d.fMore || (d.iValues >= d.iLimit && fLine));
    for (int c = first; c < first + nPrepared; ++c) {
      if (d.dLo[c] < d.dHi[c]) {
        set->Channel[c].dViewMin = d.dLo[c];
        set->Channel[c].dViewMax = d.dHi[c];
      }
    }
  } else {
    set->Channel[first].iNrOfSamples = 0;
  }
  for (int c = first; c < first + nPrepared; ++c) set->Channel[c].iVisible = 1;
  if (notes) {
    notes->fTruncated = fTruncated;
    notes->iChannelsLoaded = nPrepared;
    notes->iChannelsSkipped = nFileChannels - nPrepared;
  }
  BufferedFile_Close(&f);
  return 0;
}

namespace {

int AppendInt(char* dst, long v) {
  char tmp[24];
  int n = 0;
  unsigned long u = v < 0 ? 0ul - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
  do {
    tmp[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  int len = 0;
  if (v < 0) dst[len++] = '-';
  while (n) dst[len++] = tmp[--n];
  dst[len] = 0;
  return len;
}

const char* DataTypeWord(int type) {
  switch (type & 0x0F) {
    case SAVE_TYPE_INT16: return "int16";
    case SAVE_TYPE_UINT8: return "uint8";
    case SAVE_TYPE_FLOAT: return "float";
    default: return "unknown";
  }
}

int WriteKeyValueHeader(BufferedFile* f, const char* path, double rate, long n, int nch, int type) {
  char line[1024];
  int ok = BufferedFile_WriteString(f, "; Saved by Orvane's Plotsmith\r\n; Original filename: \"");
  CurveSave_PathForComment(line, sizeof line, path);
  ok &= BufferedFile_WriteString(f, line);
  ok &= BufferedFile_WriteString(f, "\"\r\n");
  Text_FormatKeyReal(line, sizeof(line), "samples_per_second=", rate);
  ok &= BufferedFile_WriteString(f, line);
  std::snprintf(line, sizeof(line), "\r\n%s=%ld\r\n%s=%d\r\n%s=%s\r\n", "n_samples", n, "n_channels", nch,
                "data_type", DataTypeWord(type));
  ok &= BufferedFile_WriteString(f, line);
  return ok;
}

// Writes the data lines of channels first .. first + nch - 1.
int WriteDataLines(BufferedFile* f, const ChannelSet* set, int first, int nch, int type, int n) {
  char line[1024];
  int len = 0;
  int ok = 1;
  int wrap = 78 - 6 * nch;
  const char* sep = nch <= 1 ? "," : ",  ";
  int sepLen = nch <= 1 ? 1 : 3;
  for (int i = 0; i < n; ++i) {
    if (len >= wrap) {
      line[len++] = '\r';
      line[len++] = '\n';
      ok &= BufferedFile_Write(f, line, len);
      len = 0;
    }
    if (len == 0) {
      line[len++] = ' ';
      line[len++] = ' ';
    }
    for (int j = 0; j < nch; ++j) {
      if (j > 0) line[len++] = ',';
      len += TextCurve_FormatValue(line + len, &set->Channel[first + j], i, type);
    }
    if (i < n - 1) {
      std::memcpy(line + len, sep, static_cast<size_t>(sepLen));
      len += sepLen;
    }
  }
  ok &= BufferedFile_Write(f, line, len);
  return ok;
}

// round(n * 2^-shift) with halves to even, for shift 1 .. 127.
uint64_t RoundShift(unsigned __int128 n, int shift) {
  unsigned __int128 d = n >> shift;
  unsigned __int128 rem = n - (d << shift);
  unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rem > half || (rem == half && (d & 1))) ++d;
  return static_cast<uint64_t>(d);
}

// Writes x, 0 <= x <= 1, exactly as printf's "%lg" does (six significant
// digits, trailing zeros dropped), and returns the length.  Values from 1e-4
// to below 1, the usual case, take an exact integer path: x = m * 2^e is
// scaled by 10^(5 - X) with X its decimal exponent and rounded once, halves
// to even, as printf rounds the exact binary value.  The others (0, 1 and
// the smaller values, which print with an exponent) go through
// std::to_chars, which gives the same bytes.
int FormatUnitReal(char* dst, double x) {
  if (!(x >= 1e-4 && x < 1.0)) {
    std::to_chars_result r = std::to_chars(dst, dst + 31, x, std::chars_format::general, 6);
    *r.ptr = 0;
    return static_cast<int>(r.ptr - dst);
  }
  static constexpr uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000ull};
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);  // x is normal and positive here
  uint64_t m = (bits & ((1ull << 52) - 1)) | (1ull << 52);
  int shift = 1075 - static_cast<int>(bits >> 52);  // x = m * 2^-shift, shift 53 .. 66
  // Each bound is the double just above its power of ten, so X is exact.
  int X = x >= 0.1 ? -1 : (x >= 0.01 ? -2 : (x >= 0.001 ? -3 : -4));
  uint64_t d = RoundShift(static_cast<unsigned __int128>(m) * kPow10[5 - X], shift);
  if (d >= 1000000) ++X;  // rounded up to the next power of ten (d is 10^6)
  if (X >= 0) {  // 0.9999995 and up round to 1
    dst[0] = '1';
    dst[1] = 0;
    return 1;
  }
  // 0. then -X - 1 zeros then the six digits, without trailing zeros.
  int len = 0;
  dst[len++] = '0';
  dst[len++] = '.';
  for (int z = 0; z < -X - 1; ++z) dst[len++] = '0';
  while (d % 10 == 0) d /= 10;
  char digits[8];
  int nd = 0;
  for (uint64_t q = d; q; q /= 10) digits[nd++] = static_cast<char>('0' + q % 10);
  while (nd) dst[len++] = digits[--nd];
  dst[len] = 0;
  return len;
}

}  // namespace

int TextCurve_FormatValue(char* dst, const CurveChannel* ch, int i, int type) {
  double v = CurveSave_Value(ch, i);
  // Reals keep a missing value as one; the integer types have no place for
  // it and write the lowest value of their range (x = 0 below).
  if (std::isnan(v) && (type & 0x0F) == SAVE_TYPE_FLOAT) {
    const char* word = type & SAVE_TYPE_JSON ? "null" : "nan";
    std::memcpy(dst, word, std::strlen(word) + 1);
    return static_cast<int>(std::strlen(word));
  }
  double span = ch->dDataMax - ch->dDataMin;
  double x = span > 0.0 ? (v - ch->dDataMin) / span : v * 0.5 + 0.5;
  if (x > 1.0) x = 1.0;
  if (!(x >= 0.0)) x = 0.0;
  // The integer types round to the nearest step of their range, so that a
  // value read back from the file (whose range it spans) is written again
  // as the same integer: 255 steps for 0 .. 255, 65534 for -32767 .. 32767.
  switch (type & 0x0F) {
    case SAVE_TYPE_UINT8:
      return AppendInt(dst, Double_ToInt(std::ceil(x * 255.0 - 0.5)));  // a tie (0.0 of -1 .. 1) goes down to 127
    case SAVE_TYPE_FLOAT:
      return FormatUnitReal(dst, x);
    default:
      return AppendInt(dst, Double_ToInt(std::floor(x * 65534.0 + 0.5)) - 32767);
  }
}

int TextCurve_Write(const char* path, ChannelSet* set, int first, int nch, int type) {
  if (!set || !path || first < 0 || first >= MAX_CHANNELS) return ERROR_FILE_MISSING;
  if (nch > MAX_CHANNELS - first) nch = MAX_CHANNELS - first;
  if (nch < 0) nch = 0;
  const CurveChannel* ch = &set->Channel[first];
  int n = ch->iNrOfSamples < 0 ? 0 : ch->iNrOfSamples;
  double rate = ch->dXStep > 0.0 ? 1.0 / ch->dXStep : 1.0;
  int fHasArray = ch->pdSamples && ch->iAllocated > 0;
  static BufferedFile f;  // 64 KiB: kept off the stack
  SafeWrite sw;
  if (int rc = SafeWrite_Begin(&sw, &f, path)) return rc;
  // Numbers are written with a point whatever locale the program runs in.
  locale_t old = uselocale(Text_CLocale());
  int ok;
  if (type & SAVE_TYPE_JSON) {
    JsonCurveHeader h = {path, rate, n, nch, DataTypeWord(type), fHasArray};
    ok = JsonCurve_WriteHeader(&f, &h);
  } else {
    ok = WriteKeyValueHeader(&f, path, rate, n, nch, type);
    if (fHasArray) ok &= BufferedFile_WriteString(&f, "array=\r\n");
  }
  if (fHasArray) {
    ok &= WriteDataLines(&f, set, first, nch, type, n);
    if (type & SAVE_TYPE_JSON) ok &= JsonCurve_WriteClosing(&f, 1);
    else ok &= BufferedFile_WriteString(&f, "\r\nend_array\r\n");
  } else if (type & SAVE_TYPE_JSON) {
    ok &= JsonCurve_WriteClosing(&f, 0);
  }
  uselocale(old);
  (void)ok;  // failures are sticky in the record; the commit reports them
  return SafeWrite_Commit(&sw, &f);
}
