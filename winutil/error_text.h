#pragma once
// Short English texts for the result codes of failed loads and saves.

// Returns the text for code (its sign is ignored): a constant of the table,
// else the system's text for the errno value, else "unknown error #N".  Texts
// that are not constants live in one static buffer that the next call reuses.
const char* ErrorCodeToText(int code);
