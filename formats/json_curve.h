#pragma once
// The JSON layout of saved curves: header members, the opening of the value
// array and the closing sequence.  The values themselves come from the text
// curve writer.

#include "formats/buffered_file.h"

// The header members of a JSON curve file.
struct JsonCurveHeader {
  const char* szPath;   // path the file is written to
  double dRate;         // samples per second
  long iNrOfSamples;    // sample groups
  int iNrOfChannels;    // values per group
  const char* szDataType;  // "int16", "uint8" or "float"
  int fHasArray;        // the first channel has storage: an "array" follows
};

// Writes the opening brace and the header members; with fHasArray also the
// line that opens the array.  Returns 1 or 0 (a write failed).
int JsonCurve_WriteHeader(BufferedFile* f, const JsonCurveHeader* h);
// Writes the end of the array (when there was one) and the closing brace.
// Returns 1 or 0 (a write failed).
int JsonCurve_WriteClosing(BufferedFile* f, int fHasArray);
// Writes s as a JSON string, quotes included: quote, backslash and control
// characters are escaped, bytes from 0x80 on are taken as Windows-1252 and
// written as \u escapes, so the result is valid whatever the bytes are.
// Returns 1 or 0 (a write failed).
int JsonCurve_WriteString(BufferedFile* f, const char* s);
