// The code-to-text table and the fallback to the system's error texts.

#include "winutil/error_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace {

// One entry of the table.
struct ErrorText {
  int iCode;           // the result code, without sign
  const char* szText;  // its text
};

constexpr ErrorText kErrorTexts[] = {
    {0, "no error"},
    {1, "unspecified MMSYS error"},
    {2, "device ID out of range"},
    {3, "driver failed enable"},
    {4, "device already allocated"},
    {5, "device handle is invalid"},
    {6, "no device driver present"},
    {7, "memory allocation error"},
    {8, "function isn't supported"},
    {9, "error value out of range"},
    {10, "invalid flag passed"},
    {11, "invalid parameter passed"},
    {12, "handle being used"},
    {20, "driver does not call DriverCallback"},
    {32, "unsupported wave format"},
    {33, "still something playing"},
    {34, "header not prepared"},
    {35, "device is synchronous"},
    {2100, "Memory error"},
    {ERROR_WAVE_OPEN, "can't open wave file for input"},
    {ERROR_NOT_RIFF_WAVE, "file is not a RIFF wave type"},
    {ERROR_INVALID_WAVE, "invalid wave file"},
    {2104, "no data in file"},
    {ERROR_DATA_TYPE, "not a supported data type"},
    {ERROR_READ, "error reading data from file"},
    {2107, "tried to read but file is not open"},
    {2108, "can't open wave file for output"},
    {ERROR_WRITE, "error writing to wave file"},
    {2110, "tried to write and file is not open"},
    {2111, "tried to read but input device is not open"},
    {2112, "input buffers overflowed"},
    {2113, "input buffer critically full"},
    {2114, "timed out waiting for input buffers"},
    {2115, "tried to write but output device is not open"},
    {2116, "output buffers underflowed"},
    {2117, "output buffer critically empty"},
    {2118, "timed out waiting for output buffers"},
    {2120, "word at odd address"},
    {2121, "worker thread failed"},
    {2122, "error with ASIO driver"},
    {2123, "unknown command argument"},
    {2124, "illegal parameter value"},
    {2125, "command combination not supported"},
    {2126, "data type not supported"},
    {2127, "output file not consumed"},
    {2128, "CreateFile failed"},
    {ERROR_FILE_MISSING, "File doesnt exist"},
    {ERROR_NOT_SUPPORTED, "Format not supported"},
    {ERROR_NOT_REGULAR, "not a regular file"},
    {ERROR_LINE_TOO_LONG, "a line is too long for memory"},
    {ERROR_WAVE_LAYOUT, "wave header contradicts itself: block align is not channels x bytes per sample"},
    {ERROR_WAVE_RATE, "sample rate above 1 MHz"},
    {ERROR_WAVE_CHANNELS, "more than eight channels"},
    {ERROR_WAVE_TOO_LARGE, "too many samples for a wave file (4 GiB at most)"},
    {ERROR_CANCELLED, "cancelled: the file on disk was left as it was"},
};

char g_szErrorText[128];

}  // namespace

const char* ErrorCodeToText(int code) {
  // INT_MIN has no positive counterpart; it is reported as unknown below.
  unsigned u = code < 0 ? 0u - static_cast<unsigned>(code) : static_cast<unsigned>(code);
  if (u <= 0x7FFFFFFFu) {
    for (const ErrorText& e : kErrorTexts)
      if (static_cast<unsigned>(e.iCode) == u) return e.szText;
  }
  char sys[256] = "";
  const char* msg = nullptr;
  if (u <= 0x7FFFFFFFu) {
    unsigned err = u >= static_cast<unsigned>(ERROR_SYSTEM_BASE) ? u - ERROR_SYSTEM_BASE : u;
    // The GNU strerror_r returns its text; the POSIX one fills the buffer.
    auto r = strerror_r(static_cast<int>(err), sys, sizeof(sys));
    if constexpr (std::is_same_v<decltype(r), char*>) msg = r;
    else msg = r == 0 ? sys : nullptr;
  }
  if (!msg || !*msg || std::string_view(msg).rfind("Unknown error", 0) == 0) {
    std::snprintf(g_szErrorText, sizeof(g_szErrorText), "unknown error #%u", u);
    return g_szErrorText;
  }
  std::snprintf(g_szErrorText, sizeof(g_szErrorText), "%s", msg);
  size_t n = std::strlen(g_szErrorText);
  if (n > 0 && g_szErrorText[n - 1] == '\r') g_szErrorText[--n] = 0;
  if (n > 0 && g_szErrorText[n - 1] == '\n') g_szErrorText[--n] = 0;
  if (n > 0 && g_szErrorText[n - 1] == '\r') g_szErrorText[--n] = 0;
  return g_szErrorText;
}

int ErrorCode_FromErrno(int err) {
  if (err == 0) return 0;
  if (err < 0) err = err == -2147483647 - 1 ? 0x7FFFFFFF : -err;
  return err < 0x7FFFFFFF - ERROR_SYSTEM_BASE ? ERROR_SYSTEM_BASE + err : 0x7FFFFFFF;
}

int ErrorCode_FromOpenErrno(int err) { return err == ENOENT ? ERROR_FILE_MISSING : ErrorCode_FromErrno(err); }
