#pragma once
// Scanning and formatting the text of the text formats: data lines, blanks,
// header keywords, and decimal numbers read and written in the "C" locale
// whatever the process locale is.

#include <locale.h>

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "formats/buffered_file.h"

// The line length the readers' line buffer starts with (it grows for longer
// lines), and the writers' bound for a header line.
constexpr int MAX_LINE_CHARS = 299;
// The longest line a reader takes (64 Mi characters); a longer line makes
// the load fail rather than come back in pieces.
constexpr int TEXT_LINE_MAX_CHARS = 1 << 26;

// One line of text of any length up to TEXT_LINE_MAX_CHARS, in a buffer that
// grows as lines need it.  Clear it to zero before the first read and free it
// with TextLine_Free.
struct TextLine {
  char* szText;   // the line read last, NUL-terminated; nullptr before any read
  int iCapacity;  // chars szText holds, NUL included
  int fTooLong;   // a line was longer than TEXT_LINE_MAX_CHARS or memory ran out
};

// Reads the next line whole into line.  Returns its length, 0 for an empty
// line, -1 at the end of the file, and -1 with fTooLong set when the line is
// too long for the limit or for memory (reading then stops).
int TextLine_Read(BufferedFile* f, TextLine* line);
// Frees the buffer; the record is empty again.
void TextLine_Free(TextLine* line);

// The first character at or after p that is neither a blank nor a tab.
const char* Text_SkipBlanks(const char* p);
#if defined(__SSE2__)
// One bit per byte of the 16 at p that ends a line or, from top up, must go
// through the decoder.
inline unsigned Text_LineEndMask(const uint8_t* p, unsigned top) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i cr = _mm_set1_epi8(0x0D), tab = _mm_set1_epi8(0x09);
  const __m128i ends = _mm_andnot_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(_mm_min_epu8(v, cr), v));
  unsigned m = static_cast<unsigned>(_mm_movemask_epi8(ends));
  if (top < 0x100) m |= static_cast<unsigned>(_mm_movemask_epi8(v));  // the bytes from 0x80 up
  return m;
}
#endif

// The first position from k up to n whose byte ends a line or, from top up,
// must go through the decoder; n when there is none.  Thirty-two bytes are
// tested at a time where the vector unit allows it, so that a line of either
// side of 16 chars takes the same branch.
inline uint32_t Text_FindLineEnd(const uint8_t* buf, uint32_t k, uint32_t n, unsigned top) {
#if defined(__SSE2__)
  for (; k + 32 <= n; k += 32) {
    const unsigned m = Text_LineEndMask(buf + k, top) | Text_LineEndMask(buf + k + 16, top) << 16;
    if (m) return k + static_cast<uint32_t>(__builtin_ctz(m));
  }
  for (; k + 16 <= n; k += 16) {
    const unsigned m = Text_LineEndMask(buf + k, top);
    if (m) return k + static_cast<uint32_t>(__builtin_ctz(m));
  }
#endif
  while (k < n && !BufferedFile_IsLineEnd(buf[k]) && buf[k] < top) ++k;
  return k;
}

// The next line of f where it stands in the buffer, when it lies there whole
// with its line end and needs no decoding (the decoder holds no open
// sequence, the buffer is past the place of a byte order mark, and in UTF-8
// the line has no byte from 0x80 up): returns its start and sets *end to its
// line end byte, reading nothing.  nullptr when the line must be read with
// TextLine_Read.  The steps are those of BufferedFile_ReadLine.
inline char* TextLine_PeekInPlace(BufferedFile* f, char** end) {
  uint32_t i = f->dwBufIndex;
  const uint32_t n = f->dwBufCount;
  if (f->iUtf8State != 0 || i >= n || (i == 0 && f->dwBufStartPos == 0)) return nullptr;
  uint8_t* buf = f->bBuffer;
  if (buf[i] == 0x0A && f->cPrevChar == 0x0D) ++i;  // the LF of a CR LF whose CR ended the last line
  const uint32_t k = Text_FindLineEnd(buf, i, n, f->iEncoding == ENCODING_UTF8 ? 0x80 : 0x100);
  if (k >= n || !BufferedFile_IsLineEnd(buf[k])) return nullptr;
  *end = reinterpret_cast<char*>(buf + k);
  return reinterpret_cast<char*>(buf + i);
}

// Moves the read position of f behind the line that TextLine_PeekInPlace
// found, ending at end: behind its line end byte and, as
// BufferedFile_ReadLine does, behind a second control byte that completes a
// pair with it (CR LF, LF CR, ...).
inline void TextLine_TakeInPlace(BufferedFile* f, const char* end) {
  const uint32_t k = static_cast<uint32_t>(reinterpret_cast<const uint8_t*>(end) - f->bBuffer);
  const uint8_t c = f->bBuffer[k];
  f->cPrevChar = c;
  f->dwBufIndex = k + 1;
  if (k + 1 < f->dwBufCount) {
    const uint8_t next = f->bBuffer[k + 1];
    if (next < 0x0D && next != 0x09 && next != c) f->dwBufIndex++;
  }
}

// Reads the next line as TextLine_Read does, but a line that lies whole in the
// file's buffer and needs no decoding is not copied: its line end is
// overwritten with a NUL and the text is used where it stands, valid until
// the next read of f.  Returns the text and sets *len to its length (0 for an
// empty line) and *limit (when not null) to the end up to which the text may
// be read: a line in place is followed by the rest of the buffered bytes,
// another one ends with its NUL.  nullptr at the end of the file or after a
// line too long.
const char* TextLine_Next(BufferedFile* f, TextLine* line, int* len, const char** limit = nullptr);
// Reads the next non-empty line of a data phase (with TextLine_Next, so the
// text may lie in the file's buffer) and returns its text behind the blanks;
// *start and *limit (when not null) get the start of the line and the end up
// to which it may be read.  nullptr at the end of the file, after a line too
// long (line->fTooLong) or at a line whose text starts with terminator (it is
// no value).
const char* Text_NextDataLine(BufferedFile* f, TextLine* line, const char* terminator,
                              const char** start = nullptr, const char** limit = nullptr);
// Reads the number that fills [p, end) whole: "nan", "inf" and "-inf" count,
// and with decimalComma a "," stands for the decimal point.  Returns 1 with
// *v set, or 0 (*v = NaN) for an empty field or one that is not a number.
// Plain numbers take Text_ScanNumber, the others Text_FieldValueExact.
int Text_FieldValue(const char* p, const char* end, int decimalComma, double* v);
// The same through the full conversion for every field: the slower
// reference whose values Text_ScanNumber reproduces bit for bit.
int Text_FieldValueExact(const char* p, const char* end, int decimalComma, double* v);

// Appends the run of up to eight digits at p to *w (w * 10 + d each) in one
// step, reading the eight bytes from p (all before the end of the text);
// returns the number of digits taken, 0 to 8.
inline int Text_TakeEightDigits(const char* p, unsigned long long* w) {
  static constexpr unsigned long long kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  unsigned long long x;
  std::memcpy(&x, p, sizeof x);
  x ^= 0x3030303030303030ull;  // digits become their values 0 .. 9 (the first char in the low byte)
  // The lowest byte that is no digit value has its top bit set here.
  const unsigned long long other = ((x + 0x7676767676767676ull) | x) & 0x8080808080808080ull;
  const int n = other ? __builtin_ctzll(other) >> 3 : 8;
  if (n == 0) return 0;
  x <<= 8 * (8 - n);  // the n digits as the last ones of eight, behind zeros
  x = x * 10 + (x >> 8);
  x = (((x & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
       (((x >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >> 32;
  *w = *w * kScale[n] + (x & 0xFFFFFFFFull);
  return n;
}

// Reads a plain decimal number at p: an optional sign, digits with at most
// one decimal point ('.', or ',' with decimalComma) that digits follow, and
// an optional exponent (e or E, an optional sign, digits).  The text may be
// read up to limit (at least to the char that ends the number).  Returns the
// char behind the number with *v set to the nearest double, or nullptr (*v
// untouched) when p holds no such number or one it leaves to the full
// conversion: more than 19 digits, a value of digits above 2^53, a power of
// ten beyond 10^22 or 10^-22 (where one multiplication or division by an
// exact power of ten is no longer exact), or 64 chars and more.
inline const char* Text_ScanNumber(const char* p, const char* limit, int decimalComma, double* v) {
  // The powers of ten with the number's sign, so that the one rounding
  // operation gives the signed value (negation commutes with rounding to
  // nearest; 0 becomes -0 for "-0").
  static constexpr double kPow10[2][23] = {
      {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19,
       1e20, 1e21, 1e22},
      {-1e0, -1e1, -1e2, -1e3, -1e4, -1e5, -1e6, -1e7, -1e8, -1e9, -1e10, -1e11, -1e12, -1e13, -1e14, -1e15, -1e16,
       -1e17, -1e18, -1e19, -1e20, -1e21, -1e22}};
  const char* s = p;
  // The sign without a branch: in measured data it is as often one as the other.
  const double* pow10 = kPow10[*p == '-'];
  p += (*p == '-') | (*p == '+');
  unsigned long long w = 0;  // the digits as one integer (wraps beyond 19 digits, which are refused)
  const char* digits = p;
  for (unsigned d; (d = static_cast<unsigned>(*p - '0')) < 10; ++p) w = w * 10 + d;
  int frac = 0;
  if (*p == '.' || (*p == ',' && decimalComma)) {
    const char* f = ++p;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (int n = 8; n == 8 && limit - p >= 8;) p += (n = Text_TakeEightDigits(p, &w));
#endif
    for (unsigned d; (d = static_cast<unsigned>(*p - '0')) < 10; ++p) w = w * 10 + d;
    frac = static_cast<int>(p - f);
    if (frac == 0) return nullptr;
  }
  const long nd = p - digits - (frac > 0);
  if (static_cast<unsigned long>(nd - 1) >= 19) return nullptr;  // none, or more than 19
  int e = 0;
  if ((*p | 0x20) == 'e') {
    const char* q = p + 1;
    const bool eneg = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    if (static_cast<unsigned>(*q - '0') >= 10) return nullptr;
    for (unsigned d; (d = static_cast<unsigned>(*q - '0')) < 10; ++q)
      if (e < 10000) e = e * 10 + static_cast<int>(d);
    p = q;
    if (eneg) e = -e;
  }
  e -= frac;
  if (static_cast<unsigned>(e + 22) > 44 || (nd > 15 && w > (1ull << 53)) || (decimalComma && p - s >= 64)) return nullptr;
  const double x = static_cast<double>(w);
  *v = e < 0 ? x / pow10[-e] : x * pow10[e];
  return p;
}

// The "C" locale, for uselocale around formatted output.
locale_t Text_CLocale();

// Skips blanks and tabs at *cursor and matches keyword as a case-sensitive
// prefix; on a match moves *cursor behind it and returns 1, else 0.
int MatchKeyword(const char** cursor, const char* keyword);

// Decimal conversions in the "C" locale whatever the process locale is:
// leading blanks, optional sign, digits (for reals a point and an exponent);
// they stop at the first character that cannot continue the number, and
// text with no number gives 0.  *end (when not null) is set behind the number,
// or to s when there was none.
double Text_ToDouble(const char* s, const char** end);
long Text_ToLong(const char* s, const char** end);
// Formats v like printf's "%.*g" in the "C" locale into dst (size chars);
// returns what snprintf returns (the full length, or negative on an error).
int Text_FormatDouble(char* dst, int size, int precision, double v);
// Formats key followed by v as "%lf" (six decimals) in the "C" locale into
// dst (size chars), or with "%.17g" when that line would be longer than the
// readers' MAX_LINE_CHARS (magnitudes beyond about 1e290): a reader would
// split such a line.  Returns the length (cut to fit dst).
int Text_FormatKeyReal(char* dst, int size, const char* key, double v);
