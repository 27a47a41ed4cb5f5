// Header and closing lines of the JSON curve layout.

#include "formats/json_curve.h"

#include <cmath>
#include <cstdio>

#include "formats/code_page.h"

int JsonCurve_WriteString(BufferedFile* f, const char* s) {
  int ok = BufferedFile_WriteString(f, "\"");
  char esc[8];
  const char* run = s;
  for (const char* p = s; p && *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') continue;
    ok &= BufferedFile_Write(f, run, static_cast<int>(p - run));
    if (c == '"' || c == '\\') {
      esc[0] = '\\';
      esc[1] = static_cast<char>(c);
      esc[2] = 0;
    } else {
      unsigned u = CodePage_ToUnicode(c);
      std::snprintf(esc, sizeof(esc), "\\u%04x", u);
    }
    ok &= BufferedFile_WriteString(f, esc);
    run = p + 1;
  }
  if (s) ok &= BufferedFile_WriteString(f, run);
  ok &= BufferedFile_WriteString(f, "\"");
  return ok;
}

int JsonCurve_WriteHeader(BufferedFile* f, const JsonCurveHeader* h) {
  char line[1024];
  int ok = BufferedFile_WriteString(f, "{\r\n \"file_info\": \"Saved by Orvane's Plotsmith\",\r\n \"original_filename\": ");
  ok &= JsonCurve_WriteString(f, h->szPath);
  ok &= BufferedFile_WriteString(f, ",\r\n");
  // JSON has no infinities: a rate that overflowed is written as 1.0.
  double rate = std::isfinite(h->dRate) ? h->dRate : 1.0;
  std::snprintf(line, sizeof(line), " \"%s\": %lf,\r\n", "samples_per_second", rate);
  ok &= BufferedFile_WriteString(f, line);
  std::snprintf(line, sizeof(line), " \"%s\": %ld,\r\n", "n_samples", h->iNrOfSamples);
  ok &= BufferedFile_WriteString(f, line);
  std::snprintf(line, sizeof(line), " \"%s\": %d,\r\n", "n_channels", h->iNrOfChannels);
  ok &= BufferedFile_WriteString(f, line);
  // Without an array the data type is the last member: no comma after it.
  std::snprintf(line, sizeof(line), " \"data_type\": \"%s\"%s\r\n", h->szDataType, h->fHasArray ? "," : "");
  ok &= BufferedFile_WriteString(f, line);
  if (h->fHasArray) ok &= BufferedFile_WriteString(f, " \"array\": [\r\n");
  return ok;
}

int JsonCurve_WriteClosing(BufferedFile* f, int fHasArray) {
  return BufferedFile_WriteString(f, fHasArray ? "\r\n ]\r\n}\r\n" : "}\r\n");
}
