// Keyword scanning and the number conversions of the text formats, all in
// the "C" locale whatever locale the process runs in.

#include "formats/text_scan.h"

#include <cerrno>
#include <cstdint>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "formats/buffered_file.h"

namespace {

// Blanks as the standard library's number conversions skip them.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

const char* Text_SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

int TextLine_Read(BufferedFile* f, TextLine* line) {
  if (line->fTooLong) return -1;
  int len = 0;
  for (;;) {
    if (line->iCapacity - 1 - len <= 0) {
      // Grows by doubling up to one char beyond the limit, so that a line of
      // exactly the limit still ends inside the buffer.
      long long want = line->iCapacity ? 2LL * line->iCapacity : MAX_LINE_CHARS + 1;
      if (want > TEXT_LINE_MAX_CHARS + 2LL) want = TEXT_LINE_MAX_CHARS + 2LL;
      char* grown = want > line->iCapacity ? static_cast<char*>(std::realloc(line->szText, static_cast<size_t>(want))) : nullptr;
      if (!grown) {
        line->fTooLong = 1;
        return -1;
      }
      line->szText = grown;
      line->iCapacity = static_cast<int>(want);
    }
    int room = line->iCapacity - 1 - len;
    // A full piece leaves the line end unread: the next call takes it as the
    // rest of this line (0 characters), or continues the line.
    int n = BufferedFile_ReadLine(f, line->szText + len, room);
    if (n < 0) return len > 0 ? len : -1;
    len += n;
    if (len > TEXT_LINE_MAX_CHARS) {
      line->fTooLong = 1;
      return -1;
    }
    if (n < room) return len;
  }
}

void TextLine_Free(TextLine* line) {
  std::free(line->szText);
  *line = TextLine{};
}

int Text_FieldValue(const char* p, const char* end, int decimalComma, double* v) {
  if (end > p && Text_ScanNumber(p, end, decimalComma, v) == end) return 1;
  return Text_FieldValueExact(p, end, decimalComma, v);
}

int Text_FieldValueExact(const char* p, const char* end, int decimalComma, double* v) {
  *v = std::numeric_limits<double>::quiet_NaN();
  if (end <= p) return 0;
  char buf[64];
  if (decimalComma && end - p < static_cast<long>(sizeof buf) && std::memchr(p, ',', static_cast<size_t>(end - p))) {
    size_t n = static_cast<size_t>(end - p);
    std::memcpy(buf, p, n);
    buf[n] = 0;
    for (char* q = buf; *q; ++q)
      if (*q == ',') *q = '.';
    p = buf;
    end = buf + n;
  }
  // The conversions skip leading blanks; a field is a number only without them.
  if (IsBlank(*p)) return 0;
  const char* stop = p;
  double x = Text_ToDouble(p, &stop);
  if (stop != end) return 0;
  *v = x;
  return 1;
}

const char* TextLine_Next(BufferedFile* f, TextLine* line, int* len, const char** limit) {
  char* end = nullptr;
  char* text = line->fTooLong ? nullptr : TextLine_PeekInPlace(f, &end);
  if (text) {
    TextLine_TakeInPlace(f, end);
    *end = 0;
    *len = static_cast<int>(end - text);
    if (limit) *limit = reinterpret_cast<const char*>(f->bBuffer + f->dwBufCount);
    return text;
  }
  *len = TextLine_Read(f, line);
  if (*len < 0) return nullptr;
  if (limit) *limit = line->szText + *len + 1;
  return line->szText;
}

const char* Text_NextDataLine(BufferedFile* f, TextLine* line, const char* terminator, const char** start,
                              const char** limit) {
  for (;;) {
    int n = 0;
    const char* text = TextLine_Next(f, line, &n, limit);
    if (!text) return nullptr;
    if (n == 0) continue;
    const char* p = Text_SkipBlanks(text);
    bool end = *p == *terminator && std::strncmp(p, terminator, std::strlen(terminator)) == 0;
    if (start) *start = text;
    return end ? nullptr : p;
  }
}

locale_t Text_CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

int MatchKeyword(const char** cursor, const char* keyword) {
  const char* p = Text_SkipBlanks(*cursor);
  size_t n = std::strlen(keyword);
  if (std::strncmp(p, keyword, n) != 0) return 0;
  *cursor = p + n;
  return 1;
}

double Text_ToDouble(const char* s, const char** end) {
  const char* p = s;
  while (IsBlank(*p)) ++p;
  bool neg = false;
  const char* q = p;
  if (*q == '+' || *q == '-') { neg = *q == '-'; ++q; }
  if ((*q >= '0' && *q <= '9') || *q == '.') {
    // Fast path for plain decimals; hexadecimal text falls through below.
    if (!(q[0] == '0' && (q[1] == 'x' || q[1] == 'X'))) {
      double v = 0.0;
      const char* stop = q;
      while (*stop && !IsBlank(*stop) && *stop != ',') ++stop;
      auto r = std::from_chars(q, stop, v, std::chars_format::general);
      if (r.ec == std::errc()) {
        if (end) *end = r.ptr;
        return neg ? -v : v;
      }
    }
  }
  char* e = nullptr;
  double v = strtod_l(s, &e, Text_CLocale());
  if (end) *end = e;
  return v;
}

long Text_ToLong(const char* s, const char** end) {
  char* e = nullptr;
  errno = 0;
  long v = strtol_l(s, &e, 10, Text_CLocale());
  if (end) *end = e;
  return v;
}

int Text_FormatDouble(char* dst, int size, int precision, double v) {
  locale_t old = uselocale(Text_CLocale());
  int n = std::snprintf(dst, static_cast<size_t>(size), "%.*g", precision, v);
  uselocale(old);
  return n;
}

int Text_FormatKeyReal(char* dst, int size, const char* key, double v) {
  if (!dst || size <= 0) return 0;
  locale_t old = uselocale(Text_CLocale());
  char fixed[1024];  // "%lf" of the largest double needs 316 chars
  int n = std::snprintf(fixed, sizeof fixed, "%s%lf", key, v);
  if (n < 0 || n > MAX_LINE_CHARS) {
    n = std::snprintf(dst, static_cast<size_t>(size), "%s%.17g", key, v);
  } else {
    if (n >= size) n = size - 1;
    std::memcpy(dst, fixed, static_cast<size_t>(n));
    dst[n] = 0;
  }
  uselocale(old);
  return n < 0 ? 0 : (n < size ? n : size - 1);
}
