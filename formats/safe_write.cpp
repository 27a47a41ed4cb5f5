// Safe replacement of a file: a temporary made by mkstemp beside the target
// (beside the file a symbolic link names, so the link stays), given the
// target's mode, written through a BufferedFile, synced, and renamed over the
// target only when nothing failed; on any failure it is removed.  The name
// of the temporary under way is kept where a signal handler can reach it, so
// that an interrupted program leaves no temporary behind; mkstemp's names are
// unique, so a temporary left by a kill -9 never takes the place of data.

#include "formats/safe_write.h"

#include "winutil/error_text.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_fSync = 1;  // SafeWrite_Commit syncs the temporary before the rename
// The temporary of the save under way, for the signal handler; empty when none.
char g_szActiveTemp[FILE_NAME_LEN + 32];
volatile sig_atomic_t g_fTempActive = 0;  // g_szActiveTemp names a temporary to remove
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

void SafeWrite_OnSignal(int sig) {
  if (g_fTempActive) ::unlink(g_szActiveTemp);
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

// Blocks (fBlock 1) or restores the cleanup signals around the moments when
// the temporary and its registered name may differ.
void SafeWrite_BlockSignals(int fBlock, sigset_t* old) {
  if (!fBlock) {
    ::sigprocmask(SIG_SETMASK, old, nullptr);
    return;
  }
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kCleanupSignals) sigaddset(&set, sig);
  ::sigprocmask(SIG_BLOCK, &set, old);
}

// 0 when the save may replace target, else the result code of the refusal:
// a folder, device, FIFO or socket is no file to replace, and a file the
// user may not write is left alone.  access() answers for root too, who may
// write anything; a file without any write bit counts as read-only for root
// as well.  A target that does not exist yet is fine.
int SafeWrite_CheckTarget(const char* target) {
  struct stat st;
  if (::stat(target, &st) != 0) return errno == ENOENT ? 0 : ErrorCode_FromOpenErrno(errno);
  if (S_ISDIR(st.st_mode)) return ErrorCode_FromOpenErrno(EISDIR);
  if (!S_ISREG(st.st_mode)) return ERROR_NOT_REGULAR;
  if (::access(target, W_OK) != 0) return ErrorCode_FromOpenErrno(errno);
  if (::geteuid() == 0 && (st.st_mode & 0222) == 0) return ErrorCode_FromOpenErrno(EACCES);
  return 0;
}

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

void SafeWrite_RemoveTempOnSignals() {
  for (int sig : kCleanupSignals) {
    struct sigaction sa = {};
    sa.sa_handler = SafeWrite_OnSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(sig, &sa, nullptr);
  }
}

int SafeWrite_Begin(SafeWrite* sw, BufferedFile* f, const char* path) {
  std::memset(sw, 0, sizeof(*sw));
  BufferedFile_AttachWrite(f, -1, nullptr);
  if (!path || !*path) return ERROR_FILE_MISSING;
  if (std::strlen(path) >= FILE_NAME_LEN) return ErrorCode_FromOpenErrno(ENAMETOOLONG);
  SafeWrite_ResolveTarget(path, sw->szTarget, sizeof(sw->szTarget));
  if (int rc = SafeWrite_CheckTarget(sw->szTarget)) return rc;
  // mkstemp picks a fresh name beside the target, so the rename stays
  // inside one file system and never clobbers another file.
  std::snprintf(sw->szTemp, sizeof(sw->szTemp), "%s.tmpXXXXXX", sw->szTarget);
  sigset_t old;
  SafeWrite_BlockSignals(1, &old);
  int fd = ::mkstemp(sw->szTemp);
  int err = errno ? errno : EIO;
  if (fd >= 0) {
    std::memcpy(g_szActiveTemp, sw->szTemp, sizeof(g_szActiveTemp));
    g_fTempActive = 1;
  }
  SafeWrite_BlockSignals(0, &old);
  if (fd < 0) return ErrorCode_FromOpenErrno(err);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  SafeWrite_CopyMode(fd, sw->szTarget);
  BufferedFile_AttachWrite(f, fd, sw->szTemp);
  sw->fActive = 1;
  return 0;
}

int SafeWrite_Commit(SafeWrite* sw, BufferedFile* f) {
  if (!sw->fActive) {
    BufferedFile_Close(f);
    return ErrorCode_FromErrno(EBADF);
  }
  if (f->pProgress && f->pProgress->fStopped) {  // the user stopped the save: the target stays
    SafeWrite_Abort(sw, f);
    return ERROR_CANCELLED;
  }
  if (g_fSync) BufferedFile_Sync(f);
  int err = BufferedFile_CloseChecked(f);
  sigset_t old;
  SafeWrite_BlockSignals(1, &old);
  if (err == 0 && ::rename(sw->szTemp, sw->szTarget) != 0) err = errno ? errno : EIO;
  if (err != 0) ::unlink(sw->szTemp);
  g_fTempActive = 0;
  SafeWrite_BlockSignals(0, &old);
  sw->fActive = 0;
  return ErrorCode_FromErrno(err);
}

void SafeWrite_Abort(SafeWrite* sw, BufferedFile* f) {
  BufferedFile_Close(f);
  if (sw->fActive) ::unlink(sw->szTemp);
  g_fTempActive = 0;
  sw->fActive = 0;
}
