#pragma once
// Short English texts for the result codes of failed loads and saves.

// Result codes carry a system error number as ERROR_SYSTEM_BASE + errno, so
// that it never meets a number of the table (EIO is 5, and 5 is a table code).
constexpr int ERROR_SYSTEM_BASE = 0x10000;

// The result codes of the table that loads and saves return.
constexpr int ERROR_WAVE_OPEN = 2101;      // a wave file cannot be opened for reading
constexpr int ERROR_NOT_RIFF_WAVE = 2102;  // the file is not RIFF WAVE
constexpr int ERROR_INVALID_WAVE = 2103;   // a wave header is cut short or has no data chunk
constexpr int ERROR_DATA_TYPE = 2105;      // a sample format or layout that cannot be stored
constexpr int ERROR_READ = 2106;           // reading past a chunk failed
constexpr int ERROR_WRITE = 2109;          // a write failed without a system cause
constexpr int ERROR_FILE_MISSING = 2129;   // no file to open or create, or a path without extension
constexpr int ERROR_NOT_SUPPORTED = 2130;  // no reader or writer for the extension, or not text
constexpr int ERROR_NOT_REGULAR = 2140;    // a save target that is a device, FIFO or socket
constexpr int ERROR_LINE_TOO_LONG = 2141;  // a text line longer than a reader can hold
constexpr int ERROR_WAVE_LAYOUT = 2142;    // a wave header whose block align contradicts its channels and bits
constexpr int ERROR_WAVE_RATE = 2143;      // a wave sample rate above 1 MHz
constexpr int ERROR_WAVE_CHANNELS = 2144;  // a wave file of more than eight channels
constexpr int ERROR_WAVE_TOO_LARGE = 2145; // samples whose wave file would pass the 4 GiB of its 32-bit sizes
constexpr int ERROR_CANCELLED = 2146;      // a save stopped by the user; the previous file stays

// Returns the text for code (its sign is ignored): a constant of the table;
// for ERROR_SYSTEM_BASE + errno the system's text of that errno; for any
// other number the system's text of the number itself; "unknown error #N"
// when the system has none.  Texts that are not constants live in one static
// buffer that the next call reuses.
const char* ErrorCodeToText(int code);

// The result code of a failure whose cause is the system error err: 0 for 0,
// else ERROR_SYSTEM_BASE + err.
int ErrorCode_FromErrno(int err);
// The result code of a file that could not be opened or created for the
// system error err: ERROR_FILE_MISSING when it does not exist (ENOENT), else
// as ErrorCode_FromErrno, so that the text names the cause (permission
// denied, read-only file system, is a directory, ...).
int ErrorCode_FromOpenErrno(int err);
