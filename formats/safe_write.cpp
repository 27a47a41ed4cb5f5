// Safe replacement of a file: a temporary made by mkstemp beside the target
// (beside the file a symbolic link names, so the link stays), given the
// target's mode, written through a BufferedFile, synced, and renamed over the
// target only when nothing failed; on any failure it is removed.

#include "formats/safe_write.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_fSync = 1;  // SafeWrite_Commit syncs the temporary before the rename

// The file a save replaces: the target itself, or the file a symbolic link
// names, so that the link stays a link.  A dangling link is replaced.
void SafeWrite_ResolveTarget(const char* path, char* dst, size_t size) {
  struct stat lst;
  char resolved[PATH_MAX];
  if (::lstat(path, &lst) == 0 && S_ISLNK(lst.st_mode) && ::realpath(path, resolved) &&
      std::strlen(resolved) < size) {
    std::memcpy(dst, resolved, std::strlen(resolved) + 1);
    return;
  }
  std::snprintf(dst, size, "%s", path);
}

// Gives the temporary the mode (and, where allowed, the owner) of the file
// it replaces, or the mode a new file gets from the process's umask.
void SafeWrite_CopyMode(int fd, const char* target) {
  struct stat st;
  if (::stat(target, &st) == 0 && S_ISREG(st.st_mode)) {
    // Only root (or an owner keeping its own group) may set the owner; a
    // refusal leaves the temporary ours, and the mode below holds either way.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) errno = 0;
    ::fchmod(fd, st.st_mode & 07777);
    return;
  }
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

void SafeWrite_SetSync(int fSync) { g_fSync = fSync; }

int SafeWrite_Begin(SafeWrite* sw, BufferedFile* f, const char* path) {
  std::memset(sw, 0, sizeof(*sw));
  BufferedFile_AttachWrite(f, -1, nullptr);
  if (!path || !*path) return ENOENT;
  if (std::strlen(path) >= FILE_NAME_LEN) return ENAMETOOLONG;
  SafeWrite_ResolveTarget(path, sw->szTarget, sizeof(sw->szTarget));
  // mkstemp picks a fresh name beside the target, so the rename stays
  // inside one file system and never clobbers another file.
  std::snprintf(sw->szTemp, sizeof(sw->szTemp), "%s.tmpXXXXXX", sw->szTarget);
  int fd = ::mkstemp(sw->szTemp);
  if (fd < 0) return errno ? errno : EIO;
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  SafeWrite_CopyMode(fd, sw->szTarget);
  BufferedFile_AttachWrite(f, fd, sw->szTemp);
  sw->fActive = 1;
  return 0;
}

int SafeWrite_Commit(SafeWrite* sw, BufferedFile* f) {
  if (!sw->fActive) {
    BufferedFile_Close(f);
    return EBADF;
  }
  if (g_fSync) BufferedFile_Sync(f);
  int err = BufferedFile_CloseChecked(f);
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
