// Error code texts: the table, the sign rule and the system fallback.

#include "winutil/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

TEST(ErrorText, TableEntries) {
  EXPECT_STREQ("no error", ErrorCodeToText(0));
  EXPECT_STREQ("File doesnt exist", ErrorCodeToText(2129));
  EXPECT_STREQ("File doesnt exist", ErrorCodeToText(-2129));
  EXPECT_STREQ("Format not supported", ErrorCodeToText(2130));
  EXPECT_STREQ("handle being used", ErrorCodeToText(12));
  EXPECT_STREQ("driver does not call DriverCallback", ErrorCodeToText(20));
  EXPECT_STREQ("unsupported wave format", ErrorCodeToText(32));
  EXPECT_STREQ("device is synchronous", ErrorCodeToText(35));
  EXPECT_STREQ("Memory error", ErrorCodeToText(2100));
  EXPECT_STREQ("timed out waiting for output buffers", ErrorCodeToText(2118));
  EXPECT_STREQ("word at odd address", ErrorCodeToText(2120));
  EXPECT_STREQ("CreateFile failed", ErrorCodeToText(2128));
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

TEST(ErrorText, CodesOutsideTheTableTakeTheSystemText) {
  // 13 and 27 are not in the table; on this system they are errno values.
  EXPECT_STREQ(std::strerror(EACCES), ErrorCodeToText(EACCES));
  EXPECT_STREQ(std::strerror(EFBIG), ErrorCodeToText(-EFBIG));
  EXPECT_STREQ("unknown error #2119", ErrorCodeToText(2119));
  EXPECT_STREQ("unknown error #987654", ErrorCodeToText(-987654));
  EXPECT_STREQ("unknown error #2147483648", ErrorCodeToText(-2147483647 - 1));
  std::string text = ErrorCodeToText(ENOSPC);
  EXPECT_FALSE(text.empty());
  EXPECT_NE('\n', text.back());
  EXPECT_LT(text.size(), 128u);
}

}  // namespace
