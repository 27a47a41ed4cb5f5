// Buffered file access over POSIX descriptors and the line reader.

#include "formats/buffered_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/code_page.h"

namespace {

WorkProgress* g_pProgress = nullptr;  // the watcher of the files opened from now on

void BufferedFile_Clear(BufferedFile* f, const char* path) {
  std::memset(f, 0, sizeof(*f));
  f->iHandle = -1;
  f->pProgress = g_pProgress;
  if (path) std::strncpy(f->szFileName, path, FILE_NAME_LEN - 1);
}

int BufferedFile_Finish(BufferedFile* f, int fd) {
  if (fd >= 0) {
    f->iHandle = fd;
    f->fOpened = 1;
  } else {
    f->iHandle = -1;
    f->dwLastError = static_cast<uint32_t>(errno);
  }
  return f->fOpened;
}

// One platform read into the empty buffer; returns the byte count or <= 0.
int BufferedFile_Refill(BufferedFile* f) {
  f->dwBufIndex = f->dwBufCount = 0;
  f->dwBufStartPos = f->dwBufEndPos;  // empty: the position stays right at the end of the file too
  if (f->iHandle < 0 || !f->fOpened) return 0;
  if (!Progress_Report(f->pProgress, f->dwBufEndPos, f->llSize)) return 0;  // stopped: read as the end
  ssize_t n;
  do {
    n = ::read(f->iHandle, f->bBuffer, FILE_BUFFER_SIZE);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return 0;
  f->dwBufCount = static_cast<uint32_t>(n);
  f->dwBufEndPos += static_cast<uint32_t>(n);
  return static_cast<int>(n);
}

// One platform read of up to count bytes straight into dst, past the empty
// buffer; returns the byte count or <= 0, as BufferedFile_Refill does.
int BufferedFile_ReadDirect(BufferedFile* f, uint8_t* dst, unsigned count) {
  f->dwBufIndex = f->dwBufCount = 0;
  f->dwBufStartPos = f->dwBufEndPos;
  if (f->iHandle < 0 || !f->fOpened) return 0;
  if (!Progress_Report(f->pProgress, f->dwBufEndPos, f->llSize)) return 0;  // stopped: read as the end
  ssize_t n;
  do {
    n = ::read(f->iHandle, dst, count);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return 0;
  f->dwBufStartPos = f->dwBufEndPos += static_cast<uint32_t>(n);
  return static_cast<int>(n);
}

bool IsContinuation(uint8_t c) { return (c & 0xC0) == 0x80; }

// Feeds one byte to the UTF-8 decoder; returns a Windows-1252 byte or 0
// while no character is complete.
uint8_t Utf8_DecodeByte(BufferedFile* f, uint8_t c) {
  uint8_t* b = f->bUtf8Bytes;
  switch (f->iUtf8State) {
    case 0:
      b[0] = c;
      if (c >= 0xC2 && c <= 0xDF) { f->iUtf8State = 1; return 0; }
      if (c >= 0xE0 && c <= 0xEF) { f->iUtf8State = 2; return 0; }
      if (c >= 0xF0 && c <= 0xF4) { f->iUtf8State = 4; return 0; }
      return c;
    case 1:
      f->iUtf8State = 0;
      if (!IsContinuation(c)) return 0xBF;
      return CodePage_FromUnicode(((b[0] & 0x1Fu) << 6) | (c & 0x3Fu));
    case 2: b[1] = c; f->iUtf8State = 3; return 0;
    case 3:
      f->iUtf8State = 0;
      if ((b[0] & 0xF0) != 0xE0 || !IsContinuation(b[1]) || !IsContinuation(c)) return 0xBF;
      return CodePage_FromUnicode(((b[0] & 0x0Fu) << 12) | ((b[1] & 0x3Fu) << 6) | (c & 0x3Fu));
    case 4: b[1] = c; f->iUtf8State = 5; return 0;
    case 5: b[2] = c; f->iUtf8State = 6; return 0;
    default: f->iUtf8State = 0; return 0xBF;
  }
}

}  // namespace

void BufferedFile_SetProgress(WorkProgress* progress) { g_pProgress = progress; }

int BufferedFile_OpenRead(BufferedFile* f, const char* path) {
  BufferedFile_Clear(f, path);
  if (!path) { f->dwLastError = EINVAL; return 0; }
  // Without O_NONBLOCK, opening a FIFO waits for a writer; only regular
  // files are read, so that no load can block (FIFO, device, socket) or read
  // without end (/dev/zero), and a directory has no bytes to read.
  if (!BufferedFile_Finish(f, ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK))) return 0;
  struct stat st;
  int err = ::fstat(f->iHandle, &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : (S_ISDIR(st.st_mode) ? EISDIR : ENXIO));
  if (err == 0 && ::fcntl(f->iHandle, F_SETFL, ::fcntl(f->iHandle, F_GETFL) & ~O_NONBLOCK) != 0) err = errno;
  if (err == 0) f->llSize = static_cast<long long>(st.st_size);
  if (err != 0) {
    ::close(f->iHandle);
    f->iHandle = -1;
    f->fOpened = 0;
    f->dwLastError = static_cast<uint32_t>(err);
  }
  return f->fOpened;
}

int BufferedFile_OpenWrite(BufferedFile* f, const char* path) {
  BufferedFile_Clear(f, path);
  if (!path) { f->dwLastError = EINVAL; return 0; }
  return BufferedFile_Finish(f, ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
}

int BufferedFile_AttachWrite(BufferedFile* f, int fd, const char* name) {
  BufferedFile_Clear(f, name);
  if (fd < 0) return 0;
  f->iHandle = fd;
  f->fOpened = 1;
  return 1;
}

int BufferedFile_Read(BufferedFile* f, void* dst, unsigned count) {
  uint8_t* out = static_cast<uint8_t*>(dst);
  unsigned got = 0;
  for (;;) {
    unsigned avail = f->dwBufCount - f->dwBufIndex;
    unsigned take = count - got < avail ? count - got : avail;
    if (take) {
      std::memcpy(out + got, f->bBuffer + f->dwBufIndex, take);
      f->dwBufIndex += take;
      got += take;
    }
    if (got >= count) return static_cast<int>(count);
    if (count - got >= FILE_BUFFER_SIZE) {
      // A buffer's worth or more goes straight to dst, without a copy.
      int n = BufferedFile_ReadDirect(f, out + got, count - got);
      if (n <= 0) return static_cast<int>(got);
      got += static_cast<unsigned>(n);
      continue;
    }
    if (BufferedFile_Refill(f) <= 0) return static_cast<int>(got);
  }
}

int BufferedFile_Peek(BufferedFile* f, const uint8_t** data) {
  if (f->dwBufIndex >= f->dwBufCount && BufferedFile_Refill(f) <= 0) return 0;
  *data = f->bBuffer + f->dwBufIndex;
  return static_cast<int>(f->dwBufCount - f->dwBufIndex);
}

int BufferedFile_ReadLine(BufferedFile* f, char* dst, int maxChars) {
  int out = 0;
  if (maxChars > 0) dst[0] = 0;
  for (;;) {
    uint32_t avail = f->dwBufCount - f->dwBufIndex;
    if (avail > 0) {
      if (f->dwBufIndex == 0 && f->dwBufStartPos == 0 && avail >= 3 && f->bBuffer[0] == 0xEF &&
          f->bBuffer[1] == 0xBB && f->bBuffer[2] == 0xBF) {
        f->iEncoding = ENCODING_UTF8;
        f->dwBufIndex = 3;
        avail -= 3;
      }
      // Bulk step: the run of ordinary bytes before the next control byte
      // (or, in UTF-8 mode, the next byte the decoder must see) is copied at
      // once; the byte loop below takes only what ends or interrupts a run.
      if (f->iUtf8State == 0 && out < maxChars) {
        const uint8_t* p = f->bBuffer + f->dwBufIndex;
        uint32_t limit = static_cast<uint32_t>(maxChars - out) < avail ? static_cast<uint32_t>(maxChars - out) : avail;
        const unsigned top = f->iEncoding == ENCODING_UTF8 ? 0x80 : 0x100;  // first byte the decoder must see
        uint32_t k = 0;
        while (k < limit && !BufferedFile_IsLineEnd(p[k]) && p[k] < top) ++k;
        if (k > 0) {
          std::memcpy(dst + out, p, k);
          out += static_cast<int>(k);
          f->dwBufIndex += k;
          avail -= k;
          f->cPrevChar = p[k - 1];
        }
      }
      while (out < maxChars && avail > 0) {
        uint8_t c = f->bBuffer[f->dwBufIndex++];
        --avail;
        uint8_t prev = f->cPrevChar;
        f->cPrevChar = c;
        if (f->iUtf8State == 0 && BufferedFile_IsLineEnd(c)) {
          if (c == 0x0A && prev == 0x0D) continue;
          dst[out] = 0;
          if (avail > 0) {
            uint8_t next = f->bBuffer[f->dwBufIndex];
            if (next < 0x0D && next != 0x09 && next != c) f->dwBufIndex++;
          }
          return out;
        }
        if (f->iEncoding == ENCODING_UTF8 && (f->iUtf8State > 0 || c >= 0x80)) c = Utf8_DecodeByte(f, c);
        if (c != 0) dst[out++] = static_cast<char>(c);
      }
      if (out >= maxChars) {
        if (maxChars >= 0) dst[maxChars > 0 ? maxChars : 0] = 0;
        return maxChars > 0 ? maxChars : 0;
      }
    }
    if (BufferedFile_Refill(f) <= 0) {
      if (maxChars >= 0) dst[out] = 0;
      return out > 0 ? out : -1;
    }
  }
}

long long BufferedFile_BytesLeft(const BufferedFile* f) {
  struct stat st;
  if (f->iHandle < 0 || ::fstat(f->iHandle, &st) != 0 || st.st_size <= 0) return -1;
  long long pos = static_cast<long long>(f->dwBufEndPos) - (f->dwBufCount - f->dwBufIndex);
  long long size = static_cast<long long>(st.st_size);
  return size > pos ? size - pos : 0;
}

int BufferedFile_Seek(BufferedFile* f, int32_t offset, int origin) {
  int64_t cur = static_cast<int64_t>(f->dwBufStartPos) + f->dwBufIndex;
  if (origin == 1 && offset == 0) return static_cast<int>(cur);
  int64_t target = origin == 1 ? cur + offset : offset;
  if (target >= f->dwBufStartPos && target < static_cast<int64_t>(f->dwBufStartPos) + f->dwBufCount &&
      !f->fDirty) {
    f->dwBufIndex = static_cast<uint32_t>(target - f->dwBufStartPos);
    return static_cast<int>(target);
  }
  if (f->fDirty) {
    BufferedFile_Flush(f);
    f->dwBufIndex = f->dwBufCount = 0;
  }
  off_t pos = -1;
  if (target >= 0 && target <= INT32_MAX && f->iHandle >= 0) pos = ::lseek(f->iHandle, static_cast<off_t>(target), SEEK_SET);
  f->dwBufIndex = f->dwBufCount = 0;
  f->dwBufStartPos = f->dwBufEndPos = pos < 0 ? 0 : static_cast<uint32_t>(pos);
  return pos < 0 ? -1 : static_cast<int>(pos);
}

int BufferedFile_Flush(BufferedFile* f) {
  if (!f->fDirty || !f->fOpened || f->iHandle < 0 || f->dwBufCount == 0) return 1;
  f->fDirty = 0;
  // Loop over short writes: a partial write is not success until every byte
  // is out, and zero bytes written with no errno means the device is full.
  uint32_t done = 0;
  while (done < f->dwBufCount) {
    ssize_t n = ::write(f->iHandle, f->bBuffer + done, f->dwBufCount - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      f->dwLastError = n < 0 ? static_cast<uint32_t>(errno) : ENOSPC;
      f->fWriteFailed = 1;
      return 0;
    }
    done += static_cast<uint32_t>(n);
  }
  f->dwBufStartPos += done;
  f->dwBufEndPos = f->dwBufStartPos;
  return 1;
}

int BufferedFile_Write(BufferedFile* f, const void* src, int count) {
  int result = f->fOpened;
  if (!src || count <= 0) return result;
  const uint8_t* p = static_cast<const uint8_t*>(src);
  while (count > 0) {
    if (f->dwBufIndex >= FILE_BUFFER_SIZE) {
      if (f->dwBufCount < f->dwBufIndex) f->dwBufCount = f->dwBufIndex;
      f->fDirty = 1;
      result &= BufferedFile_Flush(f);
      f->dwBufIndex = f->dwBufCount = 0;
    }
    uint32_t room = FILE_BUFFER_SIZE - f->dwBufIndex;
    uint32_t take = static_cast<uint32_t>(count) < room ? static_cast<uint32_t>(count) : room;
    std::memcpy(f->bBuffer + f->dwBufIndex, p, take);
    f->dwBufIndex += take;
    p += take;
    count -= static_cast<int>(take);
  }
  f->fDirty = 1;
  if (f->dwBufCount < f->dwBufIndex) f->dwBufCount = f->dwBufIndex;
  return result;
}

int BufferedFile_WriteString(BufferedFile* f, const char* s) {
  if (!s) return f->fOpened;
  size_t n = std::strlen(s);
  int result = f->fOpened;
  while (n > 0) {
    int chunk = n > 0x40000000u ? 0x40000000 : static_cast<int>(n);
    result &= BufferedFile_Write(f, s, chunk);
    s += chunk;
    n -= static_cast<size_t>(chunk);
  }
  return result;
}

int BufferedFile_Sync(BufferedFile* f) {
  if (f->iHandle < 0) return 0;
  BufferedFile_Flush(f);
  // A file system that cannot sync (EINVAL: a pipe or a special file) has
  // nothing to lose by it.
  if (!f->fWriteFailed && ::fsync(f->iHandle) != 0 && errno != EINVAL) {
    f->dwLastError = static_cast<uint32_t>(errno);
    f->fWriteFailed = 1;
  }
  return !f->fWriteFailed;
}

void BufferedFile_Close(BufferedFile* f) {
  if (f->iHandle >= 0) {
    if (f->fDirty && f->fOpened && f->dwBufCount > 0) BufferedFile_Flush(f);
    if (::close(f->iHandle) != 0 && !f->fWriteFailed) {
      f->dwLastError = static_cast<uint32_t>(errno);
      f->fWriteFailed = 1;
    }
    f->iHandle = -1;
  }
  f->fOpened = 0;
}

int BufferedFile_CloseChecked(BufferedFile* f) {
  int wasOpen = f->iHandle >= 0;
  BufferedFile_Close(f);
  if (!wasOpen && !f->fWriteFailed) return f->dwLastError ? static_cast<int>(f->dwLastError) : EBADF;
  if (!f->fWriteFailed) return 0;
  return f->dwLastError ? static_cast<int>(f->dwLastError) : EIO;
}
