// Reader and writer of the text curve format (key=value and JSON layouts).

#include "formats/text_curve.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "curve/safe_int.h"
#include "formats/buffered_file.h"
#include "formats/json_curve.h"
#include "formats/json_curve_read.h"
#include "formats/safe_write.h"
#include "formats/save_notes.h"
#include "formats/text_scan.h"
#include "winutil/error_text.h"

namespace {

constexpr int kMaxEmptyHeaderLines = 10;
constexpr int kMaxGroupSize = 0x10000;
constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// What the header lines of a text curve file said.
struct TextHeader {
  double dRate;          // samples per second; 0 when not given
  long iNrOfSamples;     // sample groups announced; <= 0 reads to the end
  long iNrOfChannels;    // values per group; below 1 counts as 1
  int fChannelsGiven;    // an "n_channels=" line was read
  int fArray;            // an "array=" line started the data (the program's own layout)
  char* szNames;         // the last line before the data that may name the columns (malloc'd), or nullptr
  int iNameFields;       // fields of that line (0 without one)
};

// Fields are split at ";" and tabs in a file whose first data row holds a
// ";" (its numbers may then use a decimal comma), else also at ",".
bool IsFieldSeparator(char c, int semicolon) { return c == ';' || c == '\t' || (c == ',' && !semicolon); }

// Splits a line into fields: at the separators when it holds any of them
// (blanks around a field are dropped; a separator at the end of the line is
// followed by an empty field, as spreadsheets write an empty last cell),
// else at runs of blanks.  Calls fn(index, start, end) for each
// field and returns the number of fields.
template <typename Fn>
int TextCurve_SplitFields(const char* line, int semicolon, Fn fn) {
  bool hard = std::strpbrk(line, semicolon ? ";\t" : ",;\t") != nullptr;
  const char* p = line;
  while (*p == ' ' || (!hard && *p == '\t')) ++p;  // a leading tab may stand for an empty field
  int count = 0;
  while (*p) {
    const char* end = p;
    if (hard) {
      while (*end && !IsFieldSeparator(*end, semicolon)) ++end;
    } else {
      while (*end && *end != ' ' && *end != '\t') ++end;
    }
    const char* stop = end;
    while (stop > p && (stop[-1] == ' ')) --stop;
    fn(count++, p, stop);
    if (!*end) break;
    p = end + 1;
    while (*p == ' ' || (!hard && *p == '\t')) ++p;
    if (hard && !*p) fn(count++, p, p);
  }
  return count;
}

// A row of data has only numbers ("nan", "inf" and "-inf" among them) and
// empty fields, and at least one number; any other row is a header.  Behind
// a header row, a row of as many fields with a number among them is data as
// well (a column of dates or labels then holds missing values).
bool TextCurve_IsDataRow(const char* line, int nHeaderFields) {
  int semicolon = std::strchr(line, ';') != nullptr;
  int numbers = 0, words = 0;
  int fields = TextCurve_SplitFields(line, semicolon, [&](int, const char* p, const char* end) {
    double v;
    if (Text_FieldValue(p, end, semicolon, &v)) ++numbers;
    else if (end > p) ++words;
  });
  return numbers > 0 && (words == 0 || fields == nHeaderFields);
}

// Remembers a header line that may name the columns (numpy writes "# a b",
// pandas "a,b"): the last one before the data without "=".
void TextCurve_NoteNameLine(TextHeader* h, const char* line) {
  const char* p = Text_SkipBlanks(line);
  if (*p == '#') p = Text_SkipBlanks(p + 1);
  if (!*p || std::strchr(p, '=')) return;
  char* copy = strdup(p);
  if (!copy) return;  // without memory the columns keep their default names
  std::free(h->szNames);
  h->szNames = copy;
  h->iNameFields = TextCurve_SplitFields(copy, std::strchr(copy, ';') != nullptr, [](int, const char*, const char*) {});
}

// Reads header lines until data starts.  Returns 1 when data was found;
// *fValueLine says whether the current line is already a row of data.
int TextCurve_ReadHeader(BufferedFile* f, TextLine* line, TextHeader* h, int* fValueLine) {
  int empty = 0;
  *fValueLine = 0;
  for (;;) {
    int n = TextLine_Read(f, line);
    if (n < 0) return 0;
    if (n == 0) {
      if (++empty >= kMaxEmptyHeaderLines) return 0;
      continue;
    }
    empty = 0;
    const char* p = line->szText;
    if (*p >= 'a' && *p <= 'z') {
      if (MatchKeyword(&p, "samples_per_second=")) h->dRate = Text_ToDouble(p, nullptr);
      else if (MatchKeyword(&p, "n_samples=")) h->iNrOfSamples = Text_ToLong(p, nullptr);
      else if (MatchKeyword(&p, "data_type=")) {
      } else if (MatchKeyword(&p, "n_channels=")) {
        h->iNrOfChannels = Text_ToLong(p, nullptr);
        h->fChannelsGiven = 1;
      } else if (MatchKeyword(&p, "array=")) {
        h->fArray = 1;
        return 1;
      }
      if (p != line->szText) continue;  // a key was read
    }
    if (*p == ';') continue;
    if (TextCurve_IsDataRow(line->szText, h->iNameFields)) {
      *fValueLine = 1;
      return 1;
    }
    TextCurve_NoteNameLine(h, line->szText);
  }
}

constexpr int kStageRows = 4096;  // values gathered per channel before they are stored at once

// The data phase of a load: where values go and how many may come.  Values
// are gathered per channel in blocks of kStageRows and stored a block at a
// time, which also counts the missing ones and widens the range.
struct DataState {
  ChannelSet* pSet;   // the set loaded into
  BufferedFile* pFile;  // the file read, for the estimate of the values still to come
  int iFirst;         // channel of the first value of a group
  int iChannels;      // channels loaded into: first .. first + iChannels - 1
  int iGroupSize;     // values per group (n_channels, at least 1)
  int fSemicolon;     // fields split at ";" only, with decimal commas
  int fSized;         // the channels were sized for the file at the start (n_samples)
  int fColumns;       // one line per sample: every channel gathers as many values as the first
  long long iValues;  // values (groups of the column layout: rows) taken so far
  long long iLimit;   // values to read at most
  long long iGroups;  // samples per channel to read at most
  int fMore;          // values were left unread when the limit was reached
  long long iMissing; // values stored as missing (NaN)
  int iColumn;        // position in its group of the next value of the stream
  long long iRow;     // sample index of the next value of the stream
  long long iBytesAtStart;  // bytes of the file behind the first data line (-1: unknown)
  long long iStageBase;     // sample index of the first gathered value
  int iStaged[MAX_CHANNELS];  // values gathered per channel
  double* pStage;     // the gathered values: channel c's kStageRows from pStage + c * kStageRows
  double dLo[MAX_CHANNELS];  // smallest value stored per channel (1e100 before any)
  double dHi[MAX_CHANNELS];  // largest value stored per channel (-1e100 before any)
};

// Gives the channels room for the samples the rest of the file will hold
// when the next block would not fit: the samples read so far times the
// bytes left over the bytes read, plus a little, so that a long file is sized
// once and holds no unused storage to speak of (short first lines can ask for
// more, never more than two bytes a value would); at least an eighth more than
// the capacity, so that a file whose later lines are shorter grows
// geometrically.  A channel that cannot get the room is left to the stores,
// which report what they drop.
void Data_ReserveAhead(DataState* d) {
  const long long rows = d->iStageBase + d->iStaged[d->iFirst];  // the first channel of a group has the most
  const CurveChannel* first = &d->pSet->Channel[d->iFirst];
  if (d->fSized || first->iAllocated >= rows) return;
  const long long left = BufferedFile_BytesLeft(d->pFile);
  const long long used = d->iBytesAtStart - left;
  long long want = left == 0 ? rows : first->iAllocated + first->iAllocated / 8;  // the file read whole: exactly
  if (left > 0 && used > 0) {
    double ahead = static_cast<double>(left) * static_cast<double>(rows) / static_cast<double>(used);
    long long estimate = rows + static_cast<long long>(ahead * 1.01) + kStageRows;
    if (estimate > want) want = estimate;
  }
  if (want < rows) want = rows;
  if (want > d->iGroups) want = d->iGroups;
  if (want > CHANNEL_MAX_ALLOC) want = CHANNEL_MAX_ALLOC;
  for (int c = d->iFirst; c < d->iFirst + d->iChannels; ++c) Channel_Reserve(&d->pSet->Channel[c], static_cast<int>(want));
}

// Stores the gathered values of every channel, counting the missing ones and
// widening each channel's range by its finite values.
void Data_Flush(DataState* d) {
  Data_ReserveAhead(d);
  const int rows = d->iStaged[d->iFirst];
  for (int c = d->iFirst; c < d->iFirst + d->iChannels; ++c) {
    const int n = d->fColumns ? rows : d->iStaged[c];
    if (n == 0) continue;
    const double* v = d->pStage + c * kStageRows;
    long long missing = 0;
    double lo = d->dLo[c], hi = d->dHi[c];
    for (int k = 0; k < n; ++k) {
      const double x = v[k];
      missing += x != x;
      if (!std::isfinite(x)) continue;  // no place in the view range
      lo = x < lo ? x : lo;
      hi = x > hi ? x : hi;
    }
    d->iMissing += missing;
    d->dLo[c] = lo;
    d->dHi[c] = hi;
    ChannelSet_SetSamples(d->pSet, c, static_cast<int>(d->iStageBase), v, n);
    d->iStaged[c] = 0;
  }
  d->iStageBase += kStageRows;
}

// The slot of sample i of channel c among the gathered values, storing the
// gathered block first when i lies past it (the values come in index order).
inline double* Data_Slot(DataState* d, int c, long long i) {
  if (i - d->iStageBase >= kStageRows) Data_Flush(d);
  const int k = static_cast<int>(i - d->iStageBase);
  if (d->iStaged[c] <= k) d->iStaged[c] = k + 1;
  return d->pStage + c * kStageRows + k;
}

void Data_StoreAt(DataState* d, int c, long long i, double v) {
  if (c >= MAX_CHANNELS) return;
  *Data_Slot(d, c, i) = v;
}

void Data_Store(DataState* d, double v) {
  ++d->iValues;
  Data_StoreAt(d, d->iFirst + d->iColumn, d->iRow, v);
  if (++d->iColumn == d->iGroupSize) {
    d->iColumn = 0;
    ++d->iRow;
  }
}

// Takes every field of a data line (separated by commas and blanks) as the
// next value of the stream; a field that is not a number is a missing value.
void Data_ParseLine(DataState* d, const char* p, const char* limit) {
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == ',') ++p;
    if (!*p) break;
    if (d->iValues >= d->iLimit) {
      d->fMore = 1;
      break;
    }
    double v;
    const char* end = Text_ScanNumber(p, limit, 0, &v);
    if (!end || !(*end == 0 || *end == ' ' || *end == '\t' || *end == ',')) {
      end = p;
      while (*end && *end != ' ' && *end != '\t' && *end != ',') ++end;
      Text_FieldValueExact(p, end, 0, &v);
    }
    Data_Store(d, v);
    p = end;
  }
}

// Takes one line as one sample of every column: field j goes to channel
// first + j; an empty or missing field and one that is not a number are
// missing values.
void Data_ParseRow(DataState* d, const char* line, int columns) {
  const long long i = d->iValues;
  int n = TextCurve_SplitFields(line, d->fSemicolon, [&](int j, const char* p, const char* end) {
    double v;
    Text_FieldValue(p, end, d->fSemicolon, &v);
    if (j < columns) Data_StoreAt(d, d->iFirst + j, i, v);
  });
  for (int j = n; j < columns; ++j) Data_StoreAt(d, d->iFirst + j, i, kMissing);
  ++d->iValues;
}

// The usual row, taken in one pass: plain numbers (Text_ScanNumber) parted by
// blanks, or by separators with blanks around them and empty fields between
// them.  The line runs from p to end (its NUL or line end byte), and its text
// may be read up to limit.  Stores the row as Data_ParseRow would and returns
// 1; returns 0 for any other line, which then goes through Data_ParseRow (the
// slots written here are written again there).
[[gnu::always_inline]] inline int Data_ParseRowFast(DataState* d, const char* p, const char* end, const char* limit,
                                                    int columns) {
  double* slot = Data_Slot(d, d->iFirst, d->iValues);  // channel j's value goes to slot[j * kStageRows]
  const int keep = columns < d->iChannels ? columns : d->iChannels;
  const int semicolon = d->fSemicolon;
  int mode = 0;  // 1: fields parted by blanks, 2: by separators, 0: not known yet
  int j = 0;
  while (*p == ' ') ++p;
  while (p != end) {
    double v = kMissing;
    const char* q = p;  // behind the field's number; an empty field has none
    if (!IsFieldSeparator(*p, semicolon) && !(q = Text_ScanNumber(p, limit, semicolon, &v))) return 0;
    if (j < keep) slot[j * kStageRows] = v;
    ++j;
    const char* r = q;
    while (*r == ' ') ++r;
    if (r == end) break;
    if (IsFieldSeparator(*r, semicolon)) {
      if (mode == 1) return 0;
      mode = 2;
      p = r + 1;
      while (*p == ' ') ++p;
      if (p == end) {  // a separator at the end is followed by an empty field
        if (j < keep) slot[j * kStageRows] = kMissing;
        ++j;
      }
      continue;
    }
    if (mode == 2 || r == q) return 0;
    mode = 1;
    p = r;
  }
  for (; j < keep; ++j) slot[j * kStageRows] = kMissing;
  ++d->iValues;
  return 1;
}

// Gives channels first .. first + count - 1 the names of the name line when
// it holds one name per column; quotes around a name are dropped.
void TextCurve_NameColumns(ChannelSet* set, int first, int columns, int semicolon, const char* line) {
  if (TextCurve_SplitFields(line, semicolon, [](int, const char*, const char*) {}) != columns) return;
  TextCurve_SplitFields(line, semicolon, [&](int j, const char* p, const char* end) {
    if (end - p >= 2 && *p == '"' && end[-1] == '"') {
      ++p;
      --end;
    }
    if (end == p || first + j >= MAX_CHANNELS) return;
    std::snprintf(set->Channel[first + j].szName, CHANNEL_NAME_LEN, "%.*s", static_cast<int>(end - p), p);
  });
}

// Sizes the channels once for a file that says how many samples it holds:
// for those, but at most for what the rest of the file can hold (two bytes a
// value: a digit and a line end), so that a false count costs no memory.
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

// A file whose first character (behind blanks and a byte order mark) is "{"
// holds the JSON layout.
bool TextCurve_LooksJson(BufferedFile* f) {
  const uint8_t* data = nullptr;
  int n = BufferedFile_Peek(f, &data);
  int i = n >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
  while (i < n && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n')) ++i;
  return i < n && data[i] == '{';
}

// Takes the rows that follow where they stand in the file's buffer, as long
// as each is a plain row (Data_ParseRowFast) and the limit is not reached;
// the first other line stays unread for Text_NextDataLine.
void Data_TakeRowsInPlace(DataState* d, BufferedFile* f, int columns) {
  while (d->iValues < d->iLimit) {
    char* end = nullptr;
    const char* row = TextLine_PeekInPlace(f, &end);
    if (!row) return;
    const char* p = row;
    while (*p == ' ' || *p == '\t') ++p;
    if (p == end || *p == '#') return;  // no row: an empty line, blanks, a comment
    if (!Data_ParseRowFast(d, row, end, reinterpret_cast<const char*>(f->bBuffer + f->dwBufCount), columns)) return;
    TextLine_TakeInPlace(f, end);
  }
}

// Reads the data lines into the prepared channels, starting with row, the
// current line, whose text may be read up to limit.  Returns 0, or
// ERROR_LINE_TOO_LONG when a line was too long to read.
int TextCurve_ReadData(BufferedFile* f, TextLine* line, const char* row, const char* limit, int columns,
                       DataState* d) {
  const char* p = row ? Text_SkipBlanks(row) : nullptr;  // the text behind the blanks
  while (p && d->iValues < d->iLimit) {
    // A line of blanks is no row; numpy's comment lines may end the data.
    if (*p && *p != '#') {
      const char* end = p + std::strlen(p);
      if (!columns) Data_ParseLine(d, row, limit);
      else if (!Data_ParseRowFast(d, row, end, limit, columns)) Data_ParseRow(d, row, columns);
    }
    if (columns) Data_TakeRowsInPlace(d, f, columns);
    p = Text_NextDataLine(f, line, "end_array", &row, &limit);
  }
  Data_Flush(d);
  if (line->fTooLong) return ERROR_LINE_TOO_LONG;
  if (p && d->iValues >= d->iLimit) d->fMore = 1;
  return 0;
}

}  // namespace

void TextCurve_PrepareChannels(ChannelSet* set, int first, int count, double rate) {
  for (int c = first; c < first + count && c < MAX_CHANNELS; ++c) {
    CurveChannel* ch = &set->Channel[c];
    ch->dXOrigin = 0.0;
    ch->dXStep = rate > 0.001 ? 1.0 / rate : 1.0;
    ch->dViewMin = ch->dDataMin = -1.0;
    ch->dViewMax = ch->dDataMax = 1.0;
    ch->iNrOfSamples = 0;
    ChannelSet_NameDefault(set, c);
  }
}

int TextCurve_Read(const char* path, ChannelSet* set, int first, CurveLoadNotes* notes) {
  if (!set || first < 0 || first >= MAX_CHANNELS) return ERROR_FILE_MISSING;
  static BufferedFile f;  // 64 KiB: kept off the stack
  if (!BufferedFile_OpenRead(&f, path)) return ErrorCode_FromOpenErrno(static_cast<int>(f.dwLastError));
  if (TextCurve_LooksBinary(&f)) {
    BufferedFile_Close(&f);
    return ERROR_NOT_SUPPORTED;
  }
  if (TextCurve_LooksJson(&f)) {
    int rc = JsonCurve_ReadFile(&f, set, first, notes);
    BufferedFile_Close(&f);
    return rc;
  }
  TextLine line = {};
  TextHeader h = {};
  h.iNrOfChannels = 1;
  int fValueLine = 0;
  int fData = TextCurve_ReadHeader(&f, &line, &h, &fValueLine);
  if (h.iNrOfChannels < 1) h.iNrOfChannels = 1;
  if (h.iNrOfChannels > kMaxGroupSize) h.iNrOfChannels = kMaxGroupSize;
  // The first data line (in line, or in place in the file's buffer).
  const char* row = fValueLine ? line.szText : nullptr;
  const char* limit = fValueLine ? row + std::strlen(row) + 1 : nullptr;  // the text of row may be read up to here
  if (fData && !fValueLine && !Text_NextDataLine(&f, &line, "end_array", &row, &limit)) row = nullptr;
  // A plain data file (no "array=", no "n_channels=") is read as columns:
  // the fields of its first data row are the channels.
  bool plain = !h.fArray && !h.fChannelsGiven;
  int semicolon = row && plain && std::strchr(row, ';') != nullptr;
  int columns = 0;
  if (row && plain) {
    columns = TextCurve_SplitFields(row, semicolon, [](int, const char*, const char*) {});
    if (columns < 2) columns = 0;
    if (columns > kMaxGroupSize) columns = kMaxGroupSize;
  }
  int nFileChannels = columns ? columns : static_cast<int>(h.iNrOfChannels);
  int nPrepared = nFileChannels < MAX_CHANNELS - first ? nFileChannels : MAX_CHANNELS - first;
  int rc = line.fTooLong ? ERROR_LINE_TOO_LONG : 0;
  int fTruncated = 0, fShort = 0;
  long long iMissing = 0;
  if (rc == 0 && fData) {
    TextCurve_PrepareChannels(set, first, nPrepared, h.dRate);
    static double stage[MAX_CHANNELS * kStageRows];  // 256 KiB: kept off the stack
    DataState d = {};
    d.pSet = set;
    d.pFile = &f;
    d.pStage = stage;
    d.iFirst = first;
    d.iChannels = nPrepared;
    d.fColumns = columns > 0;
    d.iGroupSize = columns ? 1 : static_cast<int>(h.iNrOfChannels);
    d.fSemicolon = semicolon;
    long long groups = h.iNrOfSamples > 0 && h.iNrOfSamples < CHANNEL_MAX_ALLOC ? h.iNrOfSamples : CHANNEL_MAX_ALLOC;
    int fCapped = groups == CHANNEL_MAX_ALLOC;  // stops at the growth limit, not at n_samples
    d.iLimit = groups * d.iGroupSize;
    d.iGroups = groups;
    d.fSized = !fCapped;
    d.iBytesAtStart = BufferedFile_BytesLeft(&f);
    for (int c = 0; c < MAX_CHANNELS; ++c) {
      d.dLo[c] = 1e100;
      d.dHi[c] = -1e100;
    }
    if (d.fSized) TextCurve_ReserveChannels(&f, set, first, nPrepared, columns ? columns : d.iGroupSize, groups);
    if (plain && h.szNames) TextCurve_NameColumns(set, first, nFileChannels, semicolon, h.szNames);
    rc = TextCurve_ReadData(&f, &line, row, limit, columns, &d);
    fTruncated = fCapped && d.fMore;
    fShort = h.iNrOfSamples > 0 && !fCapped && d.iValues < d.iLimit;
    iMissing = d.iMissing;
    for (int c = first; c < first + nPrepared; ++c) {
      // A load that failed part way leaves no half-read channel behind.
      if (rc) set->Channel[c].iNrOfSamples = 0;
      else if (d.dLo[c] < d.dHi[c]) {
        set->Channel[c].dViewMin = d.dLo[c];
        set->Channel[c].dViewMax = d.dHi[c];
      }
    }
  } else if (rc == 0) {
    set->Channel[first].iNrOfSamples = 0;
    ChannelSet_NameDefault(set, first);
  }
  if (rc == 0) {
    for (int c = first; c < first + nPrepared; ++c) set->Channel[c].iVisible = 1;
    if (notes) {
      notes->fTruncated = fTruncated;
      notes->fShortData = fShort;
      notes->iMissing = iMissing;
      notes->iChannelsLoaded = nPrepared;
      notes->iChannelsSkipped = nFileChannels - nPrepared;
    }
  }
  std::free(h.szNames);
  TextLine_Free(&line);
  BufferedFile_Close(&f);
  return rc;
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
// to below 1, the usual case, have X, their decimal exponent, found by
// comparison and six digits d = x * 10^(5 - X) rounded once, halves to even,
// as printf rounds the exact binary value: the product in doubles is within
// 2^-33 of the exact one (below 2^20 with an exact power of ten), so it
// rounds the same way unless it lies that close to a half; those take the
// exact integer path, x = m * 2^e scaled in 128 bits.  The others (0, 1 and
// the smaller values, which print with an exponent) go through
// std::to_chars, which gives the same bytes.
int FormatUnitReal(char* dst, double x) {
  if (!(x >= 1e-4 && x < 1.0)) {
    std::to_chars_result r = std::to_chars(dst, dst + 31, x, std::chars_format::general, 6);
    *r.ptr = 0;
    return static_cast<int>(r.ptr - dst);
  }
  static constexpr uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000ull};
  // Each bound is the double just above its power of ten, so X is exact.
  int X = x >= 0.1 ? -1 : (x >= 0.01 ? -2 : (x >= 0.001 ? -3 : -4));
  const double q = x * static_cast<double>(kPow10[5 - X]);
  uint64_t d = static_cast<uint64_t>(q);  // 10^5 <= q < 10^6: truncation is the floor
  const double frac = q - static_cast<double>(d);
  d += frac > 0.5;
  if (std::fabs(frac - 0.5) < 0x1p-30) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);  // x is normal and positive here
    uint64_t m = (bits & ((1ull << 52) - 1)) | (1ull << 52);
    int shift = 1075 - static_cast<int>(bits >> 52);  // x = m * 2^-shift, shift 53 .. 66
    d = RoundShift(static_cast<unsigned __int128>(m) * kPow10[5 - X], shift);
  }
  if (d >= 1000000) {  // rounded up to the next power of ten
    ++X;
    d = 100000;
  }
  if (X >= 0) {  // 0.9999995 and up round to 1
    dst[0] = '1';
    dst[1] = 0;
    return 1;
  }
  // 0. then -X - 1 zeros then the six digits (100000 <= d < 10^6), two at a
  // time, without trailing zeros.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  std::memcpy(dst, "0.000", 5);
  int len = 1 - X;
  const unsigned six = static_cast<unsigned>(d), rest = six % 10000;
  std::memcpy(dst + len, kPairs + 2 * (six / 10000), 2);
  std::memcpy(dst + len + 2, kPairs + 2 * (rest / 100), 2);
  std::memcpy(dst + len + 4, kPairs + 2 * (rest % 100), 2);
  len += 6;
  while (dst[len - 1] == '0') --len;
  dst[len] = 0;
  return len;
}

// Formats v, a value of a channel whose tracked range is lo .. hi, as
// TextCurve_FormatValue describes.
int FormatSaved(char* dst, double v, double lo, double hi, int type) {
  // Reals keep a missing value as one; the integer types have no place for
  // it and write the lowest value of their range (x = 0 below).
  if (std::isnan(v) && (type & 0x0F) == SAVE_TYPE_FLOAT) {
    const char* word = type & SAVE_TYPE_JSON ? "null" : "nan";
    std::memcpy(dst, word, std::strlen(word) + 1);
    return static_cast<int>(std::strlen(word));
  }
  double span = hi - lo;
  double x = span > 0.0 ? (v - lo) / span : v * 0.5 + 0.5;
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

// Writes the data lines of channels first .. first + nch - 1: the values of
// each index side by side, the groups on lines of about 78 chars.
int WriteDataLines(BufferedFile* f, const ChannelSet* set, int first, int nch, int type, int n) {
  struct Source {
    const double* pd;  // the channel's samples
    int iValid;        // CurveSave_ValidCount: 0 writes missing values, later indices the last value
    double dLo, dHi;   // the channel's tracked range
  } src[MAX_CHANNELS];
  for (int j = 0; j < nch; ++j) {
    const CurveChannel* ch = &set->Channel[first + j];
    src[j] = Source{ch->pdSamples, CurveSave_ValidCount(ch), ch->dDataMin, ch->dDataMax};
  }
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  char line[1024];
  int len = 0;
  int ok = 1;
  int wrap = 78 - 6 * nch;
  const int sepLen = nch <= 1 ? 1 : 3;  // "," or ",  " between groups
  for (int i = 0; i < n; ++i) {
    if ((i & 0xFFFF) == 0 && !Progress_Report(f->pProgress, i, n)) break;  // SafeWrite_Commit refuses it
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
      const Source& s = src[j];
      const double v = s.iValid == 0 ? kNaN : s.pd[i < s.iValid ? i : s.iValid - 1];
      len += FormatSaved(line + len, v, s.dLo, s.dHi, type);
    }
    if (i < n - 1) {
      std::memcpy(line + len, ",  ", 3);  // the chars behind sepLen are written over next
      len += sepLen;
    }
  }
  ok &= BufferedFile_Write(f, line, len);
  return ok;
}

}  // namespace

int TextCurve_FormatValue(char* dst, const CurveChannel* ch, int i, int type) {
  return FormatSaved(dst, CurveSave_Value(ch, i), ch->dDataMin, ch->dDataMax, type);
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
