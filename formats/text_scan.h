#pragma once
// Scanning and formatting the text of the text formats: data lines, blanks,
// header keywords, and decimal numbers read and written in the "C" locale
// whatever the process locale is.

#include <locale.h>

struct BufferedFile;

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
// Reads the next non-empty line of a data phase into line and returns its
// text behind the blanks; nullptr at the end of the file, after a line too
// long (line->fTooLong) or at a line whose text starts with terminator (it is
// no value).
const char* Text_NextDataLine(BufferedFile* f, TextLine* line, const char* terminator);
// Reads the number that fills [p, end) whole: "nan", "inf" and "-inf" count,
// and with decimalComma a "," stands for the decimal point.  Returns 1 with
// *v set, or 0 (*v = NaN) for an empty field or one that is not a number.
int Text_FieldValue(const char* p, const char* end, int decimalComma, double* v);
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
