// The result-code texts: the whole table with either sign, system causes
// kept apart from the table, the gaps and unknown numbers (the most negative
// code included), and the reuse of the static buffer.

#include "winutil/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// One entry of the table as the program numbers it.
struct Entry {
  int iCode;           // result code
  const char* szText;  // its text
};

// Every entry of the table, typed in from the program's own numbering.
constexpr Entry kTable[] = {
    {0, "no error"}, {1, "unspecified MMSYS error"}, {2, "device ID out of range"},
    {3, "driver failed enable"}, {4, "device already allocated"}, {5, "device handle is invalid"},
    {6, "no device driver present"}, {7, "memory allocation error"}, {8, "function isn't supported"},
    {9, "error value out of range"}, {10, "invalid flag passed"}, {11, "invalid parameter passed"},
    {12, "handle being used"}, {20, "driver does not call DriverCallback"}, {32, "unsupported wave format"},
    {33, "still something playing"}, {34, "header not prepared"}, {35, "device is synchronous"},
    {2100, "Memory error"}, {2101, "can't open wave file for input"}, {2102, "file is not a RIFF wave type"},
    {2103, "invalid wave file"}, {2104, "no data in file"}, {2105, "not a supported data type"},
    {2106, "error reading data from file"}, {2107, "tried to read but file is not open"},
    {2108, "can't open wave file for output"}, {2109, "error writing to wave file"},
    {2110, "tried to write and file is not open"}, {2111, "tried to read but input device is not open"},
    {2112, "input buffers overflowed"}, {2113, "input buffer critically full"},
    {2114, "timed out waiting for input buffers"}, {2115, "tried to write but output device is not open"},
    {2116, "output buffers underflowed"}, {2117, "output buffer critically empty"},
    {2118, "timed out waiting for output buffers"}, {2120, "word at odd address"},
    {2121, "worker thread failed"}, {2122, "error with ASIO driver"}, {2123, "unknown command argument"},
    {2124, "illegal parameter value"}, {2125, "command combination not supported"},
    {2126, "data type not supported"}, {2127, "output file not consumed"}, {2128, "CreateFile failed"},
    {2129, "File doesnt exist"}, {2130, "Format not supported"},
};

TEST(ErrorText, EveryTableTextWithEitherSign) {
  for (const Entry& e : kTable) {
    EXPECT_STREQ(e.szText, ErrorCodeToText(e.iCode)) << e.iCode;
    EXPECT_STREQ(e.szText, ErrorCodeToText(-e.iCode)) << -e.iCode;
  }
}

TEST(ErrorText, SystemCausesNeverTakeATableText) {
  // EIO is 5 and ENOSPC 28: as system causes they keep their own texts.
  EXPECT_STREQ(std::strerror(EIO), ErrorCodeToText(ErrorCode_FromErrno(EIO)));
  EXPECT_STREQ("No space left on device", ErrorCodeToText(ErrorCode_FromErrno(ENOSPC)));
  EXPECT_STREQ("device handle is invalid", ErrorCodeToText(5));
  EXPECT_STREQ(std::strerror(EACCES), ErrorCodeToText(-ErrorCode_FromErrno(-EACCES)));
  EXPECT_EQ(0, ErrorCode_FromErrno(0));
  for (int e = 1; e < 134; ++e) EXPECT_GE(ErrorCode_FromErrno(e), ERROR_SYSTEM_BASE) << e;
}

TEST(ErrorText, CodesOutsideTheTableTakeTheSystemTextOrNameTheNumber) {
  // 13 (EACCES), 27 (EFBIG) and 28 (ENOSPC) lie in the gaps of the table.
  for (int code : {EACCES, EFBIG, ENOSPC}) {
    std::string text = ErrorCodeToText(code);
    EXPECT_EQ(std::string(std::strerror(code)), text);
    EXPECT_NE('\n', text.back());
    EXPECT_LT(text.size(), 128u);
  }
  EXPECT_STREQ("File too large", ErrorCodeToText(-EFBIG));
  EXPECT_STREQ("unknown error #2119", ErrorCodeToText(2119));
  EXPECT_STREQ("unknown error #987654", ErrorCodeToText(-987654));
  // The most negative int has no positive counterpart and must not overflow.
  EXPECT_STREQ("unknown error #2147483648", ErrorCodeToText(-2147483647 - 1));
}

TEST(ErrorText, StaticBufferIsReusedAndConstantsAreNot) {
  const char* a = ErrorCodeToText(2119);
  std::string first = a;
  const char* b = ErrorCodeToText(3000);
  EXPECT_EQ(a, b);
  EXPECT_EQ("unknown error #2119", first);
  EXPECT_STREQ("no error", ErrorCodeToText(0));
  EXPECT_STREQ("unknown error #3000", b) << "a table text must not go through the buffer";
}

}  // namespace
