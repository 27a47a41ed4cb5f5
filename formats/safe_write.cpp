#include "formats/safe_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

int SafeWrite_Begin(SafeWrite* sw, BufferedFile* f, const char* path) {
  std::memset(sw, 0, sizeof(*sw));
  std::memset(f, 0, sizeof(*f));
  f->iHandle = -1;
  if (!path || !*path) return ENOENT;
  if (std::strlen(path) >= FILE_NAME_LEN) return ENAMETOOLONG;
  std::strncpy(sw->szTarget, path, FILE_NAME_LEN - 1);
  // mkstemp picks a fresh name beside the target, so the rename stays
  // inside one file system and never clobbers another file.
  std::snprintf(sw->szTemp, sizeof(sw->szTemp), "%s.tmpXXXXXX", path);
  int fd = ::mkstemp(sw->szTemp);
  if (fd < 0) return errno ? errno : EIO;
  ::fchmod(fd, 0644);
  size_t t = std::strlen(sw->szTemp);
  if (t > FILE_NAME_LEN - 1) t = FILE_NAME_LEN - 1;
  std::memcpy(f->szFileName, sw->szTemp, t);
  f->iHandle = fd;
  f->fOpened = 1;
  sw->fActive = 1;
  return 0;
}

int SafeWrite_Commit(SafeWrite* sw, BufferedFile* f) {
  if (!sw->fActive) {
    BufferedFile_Close(f);
    return EBADF;
  }
  int err = 0;
  if (f->iHandle >= 0) {
    if (f->fDirty && f->fOpened && f->dwBufCount > 0) BufferedFile_Flush(f);
    if (!f->fWriteFailed && ::fsync(f->iHandle) != 0 && errno != EINVAL) {
      f->dwLastError = static_cast<uint32_t>(errno);
      f->fWriteFailed = 1;
    }
  }
  err = BufferedFile_CloseChecked(f);
  if (err == 0 && ::rename(sw->szTemp, sw->szTarget) != 0) err = errno ? errno : EIO;
  if (err != 0) ::unlink(sw->szTemp);
  sw->fActive = 0;
  return err;
}

void SafeWrite_Abort(SafeWrite* sw, BufferedFile* f) {
  BufferedFile_Close(f);
  if (sw->fActive) ::unlink(sw->szTemp);
  sw->fActive = 0;
}
