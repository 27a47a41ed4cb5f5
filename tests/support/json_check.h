#pragma once
// A strict JSON validator (RFC 8259 grammar, UTF-8 text, no trailing commas,
// no NaN or infinities) and a small value extractor for tests.

#include <string>
#include <vector>

// The verdict of JsonCheck_Validate.
struct JsonCheckResult {
  bool bValid;       // the text is one JSON value
  size_t iErrorPos;  // byte offset of the first error
  std::string szError;  // what was wrong there
};

// Validates the whole text as one JSON value with optional whitespace around.
JsonCheckResult JsonCheck_Validate(const std::string& text);
// Returns the numbers of the top-level member name (an array of numbers),
// or an empty vector; *found says whether the member exists.
std::vector<double> JsonCheck_NumberArray(const std::string& text, const std::string& name, bool* found);
