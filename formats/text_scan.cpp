// Keyword scanning and the number conversions of the text formats, all in
// the "C" locale whatever locale the process runs in.

#include "formats/text_scan.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/buffered_file.h"

namespace {

// Blanks as the standard library's number conversions skip them.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

const char* Text_SkipBlanks(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

const char* Text_NextDataLine(BufferedFile* f, char* line, const char* terminator) {
  for (;;) {
    int n = BufferedFile_ReadLine(f, line, MAX_LINE_CHARS);
    if (n < 0) return nullptr;
    if (n == 0) continue;
    const char* p = Text_SkipBlanks(line);
    bool end = *p == *terminator && std::strncmp(p, terminator, std::strlen(terminator)) == 0;
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
