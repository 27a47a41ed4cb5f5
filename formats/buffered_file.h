#pragma once
// Buffered file access for every reader and writer: one record holds the
// POSIX descriptor and a 64 KiB buffer, so the system is called once per
// 65536 bytes however short the lines or values are.  Also the line reader
// (line ends, UTF-8 byte order mark, UTF-8 to Windows-1252).  Scanning the
// text of the lines is in formats/text_scan.h.

#include <cstdint>

#include "curve/progress.h"

constexpr int FILE_BUFFER_SIZE = 65536;  // bytes moved per system call
constexpr int FILE_NAME_LEN = 512;       // longest path kept, NUL included
constexpr int ENCODING_UTF8 = 8;         // iEncoding of a file that starts with a UTF-8 BOM

// The bytes that end a line: the control bytes up to CR, the tab excepted.
constexpr bool BufferedFile_IsLineEnd(uint8_t c) { return c <= 0x0D && c != 0x09; }

// One open file; lives for the duration of one read or write.
struct BufferedFile {
  int32_t iHandle;                 // descriptor; negative when no file is open
  char szFileName[FILE_NAME_LEN];  // the path it was opened by (cut to fit)
  uint8_t bBuffer[FILE_BUFFER_SIZE];  // bytes read ahead or not yet written
  uint8_t cPrevChar;       // byte the line reader took last (joins split CR LF)
  int32_t fDirty;          // buffer holds bytes not yet written
  uint32_t dwBufStartPos;  // file offset of bBuffer[0]
  uint32_t dwBufEndPos;    // file offset behind the bytes last read
  uint32_t dwBufIndex;     // next buffer position to read or write
  uint32_t dwBufCount;     // valid bytes (read) / highest position written (write)
  uint32_t dwLastError;    // errno of the last failed open, write or close
  int32_t fOpened;         // 1 while iHandle is an open descriptor of this record
  int32_t iEncoding;       // 0 bytes as they stand, ENCODING_UTF8 after a BOM
  int32_t iUtf8State;      // UTF-8 decoder state 0..6
  uint8_t bUtf8Bytes[3];   // lead, second and third byte of the sequence
  int32_t fWriteFailed;    // a write, flush or close failed since opening
  WorkProgress* pProgress;  // the file work's watcher when opened (BufferedFile_SetProgress), or null
  long long llSize;         // size of a file opened for reading, for its progress
};

// Every file opened from now on reports its reading (bytes read of its size,
// before each refill of the buffer and each read past it) to progress, and a
// stop there ends its reading as the end of the file would; writers report
// their frames to it and SafeWrite_Commit refuses a stopped save.  Null:
// files opened from now on report nothing.  Set by the load and save
// dispatch for one load or save.
void BufferedFile_SetProgress(WorkProgress* progress);

// Clears the record and opens an existing regular file for reading, at once
// whatever the path names.  1 open, 0 failed (dwLastError holds errno; a
// directory fails with EISDIR, a FIFO, device or socket with ENXIO).
int BufferedFile_OpenRead(BufferedFile* f, const char* path);
// Clears the record and creates or truncates a file for writing.  1 or 0.
int BufferedFile_OpenWrite(BufferedFile* f, const char* path);
// Clears the record and takes over fd, a descriptor open for writing, under
// name (kept for messages); a negative fd leaves a closed record.  Returns 1
// when the record holds the descriptor, 0 for a negative fd.
int BufferedFile_AttachWrite(BufferedFile* f, int fd, const char* name);
// Copies up to count bytes (what is left of a buffer's worth or more goes
// straight from the system into dst); fewer only at the end of the file or on
// an error.
int BufferedFile_Read(BufferedFile* f, void* dst, unsigned count);
// Reads one line of at most maxChars characters into dst (maxChars + 1 chars).
// Returns the length, 0 for an empty line, -1 at the end of the file.
int BufferedFile_ReadLine(BufferedFile* f, char* dst, int maxChars);
// Fills the buffer when nothing is left in it and points *data at the bytes
// that the next read takes without a platform call.  Returns their count, 0
// at the end of the file or on a read error.
int BufferedFile_Peek(BufferedFile* f, const uint8_t** data);
// The bytes of the file behind the read position, by the size the system
// reports; -1 when it reports none (or no size above 0).
long long BufferedFile_BytesLeft(const BufferedFile* f);
// Positions from the start (origin 0) or the current position (origin 1).
// Returns the new offset or -1.
int BufferedFile_Seek(BufferedFile* f, int32_t offset, int origin);
// Appends count bytes.  1 success, 0 when a flush failed (or not open).
int BufferedFile_Write(BufferedFile* f, const void* src, int count);
// Appends the bytes of a NUL-terminated string.  1 or 0.
int BufferedFile_WriteString(BufferedFile* f, const char* s);
// Writes the buffered bytes.  1 success (also with nothing to write), 0 failure.
int BufferedFile_Flush(BufferedFile* f);
// Writes the buffered bytes and asks the system to put the file on the disk;
// a failure is recorded like a failed write (CloseChecked reports it).
// 1 success, 0 failure or a closed record.
int BufferedFile_Sync(BufferedFile* f);
// Flushes pending bytes and closes; harmless on a closed record.
void BufferedFile_Close(BufferedFile* f);
// Flushes, closes and reports: 0 when every write, the flush and the close
// succeeded since opening, else the errno of the first failure.
int BufferedFile_CloseChecked(BufferedFile* f);
