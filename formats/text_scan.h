#pragma once
// Scanning and formatting the text of the text formats: data lines, blanks,
// header keywords, and decimal numbers read and written in the "C" locale
// whatever the process locale is.

#include <locale.h>

struct BufferedFile;

// The longest line the text readers take; longer lines are split.
constexpr int MAX_LINE_CHARS = 299;

// The first character at or after p that is neither a blank nor a tab.
const char* Text_SkipBlanks(const char* p);
// Reads the next non-empty line of a data phase into line (MAX_LINE_CHARS
// + 1 chars) and returns its text behind the blanks; nullptr at the end of
// the file or at a line whose text starts with terminator (it is no value).
const char* Text_NextDataLine(BufferedFile* f, char* line, const char* terminator);
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
