// A recursive-descent JSON validator and the extraction of a number array.

#include "tests/support/json_check.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// A cursor over the text with the first error found.
struct Parser {
  const std::string& s;  // the text
  size_t i;              // next byte to read
  std::string err;       // the first error, empty while none
  int depth;             // arrays and objects open around i

  bool Fail(const char* why) {
    if (err.empty()) err = why;
    return false;
  }
  void Ws() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
  }
  bool Lit(const char* w) {
    size_t n = std::strlen(w);
    if (s.compare(i, n, w) != 0) return Fail("bad literal");
    i += n;
    return true;
  }
  bool Utf8() {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra;
    unsigned cp;
    if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
    else return Fail("invalid UTF-8 lead byte");
    if (i + static_cast<size_t>(extra) >= s.size()) return Fail("truncated UTF-8");
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return Fail("invalid UTF-8 continuation");
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return Fail("overlong or invalid UTF-8");
    i += static_cast<size_t>(extra) + 1;
    return true;
  }
  bool String() {
    if (i >= s.size() || s[i] != '"') return Fail("expected string");
    ++i;
    while (i < s.size()) {
      unsigned char c = static_cast<unsigned char>(s[i]);
      if (c == '"') { ++i; return true; }
      if (c < 0x20) return Fail("control character in string");
      if (c == '\\') {
        ++i;
        if (i >= s.size()) return Fail("truncated escape");
        char e = s[i];
        if (e == 'u') {
          for (int k = 1; k <= 4; ++k)
            if (i + k >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i + k]))) return Fail("bad \\u escape");
          i += 5;
        } else if (std::strchr("\"\\/bfnrt", e) && e) {
          ++i;
        } else {
          return Fail("bad escape");
        }
      } else if (c >= 0x80) {
        if (!Utf8()) return false;
      } else {
        ++i;
      }
    }
    return Fail("unterminated string");
  }
  bool Digits() {
    if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return Fail("expected digit");
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    return true;
  }
  bool Number() {
    if (s[i] == '-') ++i;
    if (i < s.size() && s[i] == '0') ++i;
    else if (!Digits()) return false;
    if (i < s.size() && s[i] == '.') { ++i; if (!Digits()) return false; }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
      ++i;
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
      if (!Digits()) return false;
    }
    return true;
  }
  bool Value() {
    if (++depth > 200) return Fail("nesting too deep");
    Ws();
    if (i >= s.size()) return Fail("unexpected end");
    char c = s[i];
    bool ok;
    if (c == '{') ok = Object();
    else if (c == '[') ok = Array();
    else if (c == '"') ok = String();
    else if (c == 't') ok = Lit("true");
    else if (c == 'f') ok = Lit("false");
    else if (c == 'n') ok = Lit("null");
    else if (c == '-' || (c >= '0' && c <= '9')) ok = Number();
    else ok = Fail("unexpected character");
    --depth;
    return ok;
  }
  bool Object() {
    ++i;
    Ws();
    if (i < s.size() && s[i] == '}') { ++i; return true; }
    for (;;) {
      Ws();
      if (!String()) return false;
      Ws();
      if (i >= s.size() || s[i] != ':') return Fail("expected colon");
      ++i;
      if (!Value()) return false;
      Ws();
      if (i < s.size() && s[i] == ',') { ++i; continue; }
      if (i < s.size() && s[i] == '}') { ++i; return true; }
      return Fail("expected comma or closing brace");
    }
  }
  bool Array() {
    ++i;
    Ws();
    if (i < s.size() && s[i] == ']') { ++i; return true; }
    for (;;) {
      if (!Value()) return false;
      Ws();
      if (i < s.size() && s[i] == ',') { ++i; continue; }
      if (i < s.size() && s[i] == ']') { ++i; return true; }
      return Fail("expected comma or closing bracket");
    }
  }
};

}  // namespace

JsonCheckResult JsonCheck_Validate(const std::string& text) {
  Parser p{text, 0, "", 0};
  bool ok = p.Value();
  if (ok) {
    p.Ws();
    if (p.i != text.size()) ok = p.Fail("text after the value");
  }
  return {ok, p.i, p.err};
}

std::vector<double> JsonCheck_NumberArray(const std::string& text, const std::string& name, bool* found) {
  std::vector<double> out;
  std::string key = "\"" + name + "\"";
  size_t k = text.find(key);
  *found = k != std::string::npos;
  if (!*found) return out;
  size_t open = text.find('[', k);
  size_t close = text.find(']', open);
  if (open == std::string::npos || close == std::string::npos) return out;
  const char* p = text.c_str() + open + 1;
  const char* end = text.c_str() + close;
  while (p < end) {
    while (p < end && (*p == ',' || *p == ' ' || *p == '\r' || *p == '\n')) ++p;
    if (p >= end) break;
    char* e = nullptr;
    out.push_back(std::strtod(p, &e));
    if (e == p) break;
    p = e;
  }
  return out;
}
