#pragma once
// Short English texts for the result codes of failed loads and saves.

// Result codes carry a system error number as ERROR_SYSTEM_BASE + errno, so
// that it never meets a number of the table (EIO is 5, and 5 is a table code).
constexpr int ERROR_SYSTEM_BASE = 0x10000;

// Returns the text for code (its sign is ignored): a constant of the table;
// for ERROR_SYSTEM_BASE + errno the system's text of that errno; for any
// other number the system's text of the number itself; "unknown error #N"
// when the system has none.  Texts that are not constants live in one static
// buffer that the next call reuses.
const char* ErrorCodeToText(int code);

// The result code of a failure whose cause is the system error err: 0 for 0,
// else ERROR_SYSTEM_BASE + err.
int ErrorCode_FromErrno(int err);
