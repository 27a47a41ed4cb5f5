#pragma once
// Replacing a file safely: the writer writes into a temporary file in the
// target's folder; only when every write, the flush and the close succeeded
// is the temporary renamed over the target.  On any failure the temporary is
// removed and the previous file stays exactly as it was.

#include "formats/buffered_file.h"

// One replacement under way, from SafeWrite_Begin to Commit or Abort.
struct SafeWrite {
  char szTarget[FILE_NAME_LEN];     // the file replaced (a symbolic link's own target)
  char szTemp[FILE_NAME_LEN + 32];  // the temporary beside it
  int fActive;  // a temporary file exists and has not been renamed or removed
};

// Creates a new temporary file beside path (beside the file it names when
// path is a symbolic link) with the mode of the file it will replace, or the
// umask's mode for a new file, and opens f on it for writing.  A target the
// user may not write (by the real permissions; for root a file without any
// write bit) is refused, and so is one that is not a regular file.  Returns
// 0, or a result code (f is then closed, nothing created):
// ErrorCode_FromOpenErrno of the system error (EACCES, EROFS, EISDIR,
// ENAMETOOLONG, ...), ERROR_NOT_REGULAR for a device, FIFO or socket.
int SafeWrite_Begin(SafeWrite* sw, BufferedFile* f, const char* path);
// Closes f; when nothing failed since SafeWrite_Begin renames the temporary
// over the target.  Returns 0 or the result code (ErrorCode_FromErrno) of the
// first failure (write, flush, close, fsync or rename), or ERROR_CANCELLED
// when f's progress was stopped; on failure the temporary is removed.
int SafeWrite_Commit(SafeWrite* sw, BufferedFile* f);
// Closes f and removes the temporary; the target is untouched.
void SafeWrite_Abort(SafeWrite* sw, BufferedFile* f);
// Makes SIGINT, SIGTERM and SIGHUP remove the temporary file of the save
// under way before the process ends as the signal demands.  For programs
// without an event loop (plotsmith-cli); call once at start.
void SafeWrite_RemoveTempOnSignals();
// With 0, SafeWrite_Commit skips the fsync before the rename.  Only the fuzz
// harnesses, which write thousands of throw-away files to a tmpfs, use it.
void SafeWrite_SetSync(int fSync);
