// The crash journal's file: writing the snapshot and the transition records,
// committing them, finding a journal that a run which did not end normally
// left, and rebuilding its state.
//
// Layout: "PSJRNL02", then the commit head (committed length, commit time,
// flags, CRC-32 of those), then framed records (payload length in 64 bits,
// CRC-32 of the payload, payload).  The first record is the snapshot; each
// later one is a list of primitive changes (the history's HistoryOp, in the
// direction they were applied) with the channel fields set after them.
// Repeated sample values are written once with their count, so that a
// stroke that gave many samples one value costs a few bytes.  Journals of
// the first layout ("PSJRNL01": a 32-bit payload length, else the same) are
// still read.
//
// Every record goes from where its values lie (the channels: a transition's
// values are the ones it left there) to the file in large writes, its CRC
// computed as the bytes go; reading checks a record's CRC in one pass over
// the file and applies it in a second, both through a small buffer, so that
// neither side holds a copy of a long channel.
#include "shell/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "shell/app_state.h"

int Journal_DelayMs = 1000;

namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the journal's numbers are written as a little-endian host holds them");

constexpr char kMagic[8] = {'P', 'S', 'J', 'R', 'N', 'L', '0', '2'};
constexpr char kMagicV1[8] = {'P', 'S', 'J', 'R', 'N', 'L', '0', '1'};
constexpr long long kHeadSize = 32;     // magic + commit head, then the first record
constexpr long long kCommitAt = 8;      // offset of the commit head
constexpr int kCommitSize = 24;         // length (8), time (8), flags (4), CRC (4)
constexpr int kRecordHead = 12;         // payload length (8), CRC (4)
constexpr int kRecordHeadV1 = 8;        // the first layout: payload length (4), CRC (4)
constexpr unsigned kFlagBaseUnsaved = 1;  // the snapshot itself is unsaved work
constexpr char kSnapshot = 'S';         // record kinds
constexpr char kTransition = 'T';
constexpr long long kIoChunk = 1 << 20;  // bytes of the write and read buffers

// CRC-32 (the zip polynomial), eight bytes a step through eight tables.
struct CrcTables {
  unsigned t[8][256];
  CrcTables() {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (int k = 1; k < 8; ++k)
      for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

// Carries the inner CRC state (the complement of the CRC) over n bytes.
unsigned CrcTableUpdate(unsigned state, const unsigned char* p, long long n) {
  static const CrcTables tables;
  const auto& t = tables.t;
  for (; n > 0 && (reinterpret_cast<uintptr_t>(p) & 7); --n) state = t[0][(state ^ *p++) & 0xFF] ^ (state >> 8);
  for (; n >= 8; n -= 8, p += 8) {
    uint32_t a, b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, p + 4, 4);
    a ^= state;
    state = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^ t[3][b & 0xFF] ^
            t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
  }
  for (; n > 0; --n) state = t[0][(state ^ *p++) & 0xFF] ^ (state >> 8);
  return state;
}

#if defined(__x86_64__)
// The same with carry-less multiplication, about six times as fast: 16-byte
// blocks are folded onto the ones 64 (then 16) bytes further on, which keeps
// the remainder modulo the polynomial, and the last block goes through the
// tables.  n is a multiple of 16, at least 64.
__attribute__((target("pclmul,sse2"))) inline __m128i CrcFoldStep(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}
__attribute__((target("pclmul,sse2"))) unsigned CrcFoldUpdate(unsigned state, const unsigned char* p, long long n) {
  const __m128i by64 = _mm_set_epi64x(0x01c6e41596LL, 0x0154442bd4LL);  // folding constants for 64 bytes
  const __m128i by16 = _mm_set_epi64x(0x00ccaa009eLL, 0x01751997d0LL);  // and for 16 bytes
  auto load = [](const unsigned char* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
  __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(state)));
  __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
  for (p += 64, n -= 64; n >= 64; n -= 64, p += 64) {
    x0 = CrcFoldStep(x0, by64, load(p));
    x1 = CrcFoldStep(x1, by64, load(p + 16));
    x2 = CrcFoldStep(x2, by64, load(p + 32));
    x3 = CrcFoldStep(x3, by64, load(p + 48));
  }
  x0 = CrcFoldStep(CrcFoldStep(CrcFoldStep(x0, by16, x1), by16, x2), by16, x3);
  for (; n >= 16; n -= 16, p += 16) x0 = CrcFoldStep(x0, by16, load(p));
  unsigned char last[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x0);
  return CrcTableUpdate(0, last, 16);
}
#endif

// Carries a running CRC (start from 0) over n more bytes.
unsigned Crc32Update(unsigned crc, const unsigned char* p, long long n) {
  unsigned state = ~crc;
#if defined(__x86_64__)
  static const bool fold = __builtin_cpu_supports("pclmul");
  if (fold && n >= 64) {
    long long m = n & ~15LL;
    state = CrcFoldUpdate(state, p, m);
    p += m;
    n -= m;
  }
#endif
  return ~CrcTableUpdate(state, p, n);
}
unsigned Crc32(const unsigned char* p, long long n) { return Crc32Update(0, p, n); }

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int Fd(const EditJournal& j) { return j.iFd - 1; }

int WriteAll(int fd, const void* p, long long n, long long at) {
  const auto* q = static_cast<const unsigned char*>(p);
  while (n > 0) {
    ssize_t w = pwrite(fd, q, static_cast<size_t>(n), static_cast<off_t>(at));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return 0;
    q += w;
    at += w;
    n -= w;
  }
  return 1;
}

int ReadAll(int fd, void* p, long long n, long long at) {
  auto* q = static_cast<unsigned char*>(p);
  while (n > 0) {
    ssize_t got = pread(fd, q, static_cast<size_t>(n), static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 0;
    q += got;
    at += got;
    n -= got;
  }
  return 1;
}

// Where records are written: a buffer that goes to the file at llAt
// whenever it fills, long pieces straight from where they lie.  The open
// record's length and CRC follow every byte put; ok drops to 0 when a write
// fails.
struct Buf {
  unsigned char* p;  // bytes not yet in the file (owned)
  long long n, cap;  // used and allocated bytes of p
  int iFd;           // the journal
  long long llAt;    // file offset of p[0]
  long long llHead;  // file offset of the open record's head
  long long llLen;   // payload bytes of the open record so far
  unsigned uCrc;     // their CRC
  int ok;
};

// A buffer writing to fd from offset at.  Without memory for it every piece
// goes to the file on its own: slower, the same bytes.
Buf Buf_Open(int fd, long long at) {
  Buf b{};
  b.p = static_cast<unsigned char*>(std::malloc(kIoChunk));
  b.cap = b.p ? kIoChunk : 0;
  b.iFd = fd;
  b.llAt = at;
  b.ok = 1;
  return b;
}

int FlushBuf(Buf* b) {
  if (b->ok && b->n > 0 && !WriteAll(b->iFd, b->p, b->n, b->llAt)) b->ok = 0;
  b->llAt += b->n;
  b->n = 0;
  return b->ok;
}

// Appends n raw bytes (no record bookkeeping).
void PutRaw(Buf* b, const void* src, long long n) {
  if (!b->ok || n <= 0) return;
  if (b->n + n > b->cap) {
    if (!FlushBuf(b)) return;
    if (n > b->cap / 2) {  // a long piece: straight to the file
      if (!WriteAll(b->iFd, src, n, b->llAt)) b->ok = 0;
      b->llAt += n;
      return;
    }
  }
  std::memcpy(b->p + b->n, src, static_cast<size_t>(n));
  b->n += n;
}

// Appends n bytes to the open record's payload.
void Put(Buf* b, const void* src, long long n) {
  if (!b->ok || n <= 0) return;
  b->uCrc = Crc32Update(b->uCrc, static_cast<const unsigned char*>(src), n);
  b->llLen += n;
  PutRaw(b, src, n);
}
void PutInt(Buf* b, long long v) { Put(b, &v, sizeof v); }

// Opens a record: its head is left free until EndRecord.
void BeginRecord(Buf* b) {
  b->llHead = b->llAt + b->n;
  unsigned char zero[kRecordHead] = {0};
  PutRaw(b, zero, kRecordHead);
  b->llLen = 0;
  b->uCrc = 0;
}

// Writes out what the buffer holds, fills the open record's head with its
// payload's length and CRC and releases the buffer; 1 when all of it was written.
int EndRecord(Buf* b) {
  unsigned char head[kRecordHead];
  std::memcpy(head, &b->llLen, 8);
  std::memcpy(head + 8, &b->uCrc, 4);
  if (FlushBuf(b) && !WriteAll(b->iFd, head, kRecordHead, b->llHead)) b->ok = 0;
  std::free(b->p);
  b->p = nullptr;
  b->cap = 0;
  return b->ok;
}

// n, then segments: a count k > 0 followed by k values as they are, or a
// count -k followed by one value that repeats k times (bitwise equal).
void PutValues(Buf* b, const double* v, int n) {
  PutInt(b, n);
  int lit = 0;  // values waiting to go out as they are, ending before i
  auto flush = [&](int end) {
    if (lit == 0) return;
    PutInt(b, lit);
    Put(b, v + end - lit, static_cast<long long>(lit) * static_cast<long long>(sizeof(double)));
    lit = 0;
  };
  for (int i = 0; i < n;) {
    int j = i + 1;
    while (j < n && std::memcmp(&v[j], &v[i], sizeof(double)) == 0) ++j;
    if (j - i >= 3) {
      flush(i);
      PutInt(b, -(j - i));
      Put(b, &v[i], sizeof(double));
    } else {
      lit += j - i;
    }
    i = j;
  }
  flush(n);
}

// Reading side: one record's payload read from the file through a buffer;
// ok drops to 0 on any overrun, failed read or value out of its range.
struct Reader {
  int iFd;            // the journal
  long long llAt;     // file offset of the next payload byte
  long long llEnd;    // file offset where the payload ends
  unsigned char* p;   // buffer of kIoChunk bytes (not owned)
  double* pdPiece;    // kIoChunk bytes for values on their way to where they go (not owned)
  long long n, at;    // bytes in the buffer and the next one handed out
  int ok;
};

void Get(Reader* r, void* dst, long long n) {
  if (!r->ok || n < 0 || r->llAt + n > r->llEnd) {
    r->ok = 0;
    std::memset(dst, 0, static_cast<size_t>(n > 0 ? n : 0));
    return;
  }
  auto* q = static_cast<unsigned char*>(dst);
  while (n > 0 && r->ok) {
    if (r->at == r->n) {
      long long left = r->llEnd - r->llAt;
      r->n = left < kIoChunk ? left : kIoChunk;
      r->at = 0;
      if (!ReadAll(r->iFd, r->p, r->n, r->llAt)) {
        r->ok = 0;
        r->n = 0;
        return;
      }
    }
    long long k = r->n - r->at < n ? r->n - r->at : n;
    std::memcpy(q, r->p + r->at, static_cast<size_t>(k));
    r->at += k;
    r->llAt += k;
    q += k;
    n -= k;
  }
}
long long GetInt(Reader* r, long long lo, long long hi) {
  long long v = 0;
  Get(r, &v, sizeof v);
  if (v < lo || v > hi) r->ok = 0;
  return r->ok ? v : lo;
}

// Reads the values written by PutValues (*n gets their count, at most
// CHANNEL_MAX_ALLOC) and hands them to store in pieces of at most kIoChunk
// bytes: store(values, first index, count) returns 0 to stop the reading.
template <typename Store>
void GetValuesInto(Reader* r, int* n, Store store) {
  *n = static_cast<int>(GetInt(r, 0, CHANNEL_MAX_ALLOC));
  double* piece = r->pdPiece;
  const int most = static_cast<int>(kIoChunk / sizeof(double));
  for (int i = 0; i < *n && r->ok;) {
    long long k = GetInt(r, -(*n - i), *n - i);
    if (k == 0) r->ok = 0;
    double x = 0.0;
    if (k < 0) Get(r, &x, sizeof x);
    for (long long left = k < 0 ? -k : k; left > 0 && r->ok;) {
      int m = left < most ? static_cast<int>(left) : most;
      if (k > 0) Get(r, piece, static_cast<long long>(m) * static_cast<long long>(sizeof(double)));
      else for (int q = 0; q < m; ++q) piece[q] = x;
      if (r->ok && !store(piece, i, m)) r->ok = 0;
      i += m;
      left -= m;
    }
  }
}

// Values written by PutValues, into a new array (null for none); *n gets the count.
double* GetValues(Reader* r, int* n) {
  *n = 0;
  double* v = nullptr;
  GetValuesInto(r, n, [&](const double* piece, int first, int m) {
    if (!v) v = static_cast<double*>(std::malloc(static_cast<size_t>(*n) * sizeof(double)));
    if (v) std::memcpy(v + first, piece, static_cast<size_t>(m) * sizeof(double));
    return v != nullptr;
  });
  if (!r->ok) {
    std::free(v);
    return nullptr;
  }
  return v;
}

void PutMeta(Buf* b, const ChannelMeta& m) { Put(b, &m, sizeof m); }

// The snapshot record's payload: data file, active channel, and each
// channel's fields and samples.
void Snapshot(const AppState* app, Buf* b) {
  Put(b, &kSnapshot, 1);
  char name[JOURNAL_PATH_LEN] = {0};
  std::snprintf(name, sizeof name, "%s", app->szDataFile);
  Put(b, name, sizeof name);
  PutInt(b, Channel_IsIndex(app->Graph.iActiveChannel) ? app->Graph.iActiveChannel : 0);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    ChannelMeta m;
    ChannelMeta_Get(&ch, &m);
    PutMeta(b, m);
    PutValues(b, ch.pdSamples, ch.pdSamples ? ch.iNrOfSamples : 0);
  }
}

int Commit(EditJournal* j, long long length) {
  unsigned char head[kCommitSize];
  long long t = static_cast<long long>(std::time(nullptr));
  unsigned flags = j->iBaseUnsaved ? kFlagBaseUnsaved : 0;
  std::memcpy(head, &length, 8);
  std::memcpy(head + 8, &t, 8);
  std::memcpy(head + 16, &flags, 4);
  unsigned crc = Crc32(head, 20);
  std::memcpy(head + 20, &crc, 4);
  if (fdatasync(Fd(*j)) != 0 || !WriteAll(Fd(*j), head, kCommitSize, kCommitAt) || fdatasync(Fd(*j)) != 0) return 0;
  j->llCommitted = length;
  return 1;
}

void CloseFile(EditJournal* j) {
  if (j->iFd) close(Fd(*j));  // closing drops the lock
  j->iFd = 0;
}

// Creates this run's file with the snapshot of the current state (not yet
// committed), streamed from the channels; 0 (and no journal) when it cannot
// be written whole.
int Open(AppState* app) {
  EditJournal& j = app->Journal;
  std::snprintf(j.szPath, sizeof j.szPath, "%s/journal-%ld.psj", j.szDir, static_cast<long>(getpid()));
  int fd = open(j.szPath, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  j.iFd = fd + 1;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    CloseFile(&j);
    return 0;
  }
  Buf file = Buf_Open(fd, 0);
  unsigned char head[kHeadSize] = {0};
  std::memcpy(head, kMagic, sizeof kMagic);
  PutRaw(&file, head, kHeadSize);
  BeginRecord(&file);
  Snapshot(app, &file);
  int ok = EndRecord(&file);
  j.llCommitted = 0;
  j.llEnd = file.llAt;
  j.llChangedMs = NowMs();
  if (!ok) {
    Journal_Discard(app);
    return 0;
  }
  return 1;
}

void Fail(AppState* app) {
  Journal_Discard(app);
  app->Journal.iFailed = 1;
}

}  // namespace

int Journal_DefaultDir(char* dir, int size) {
  if (!dir || size <= 0) return 0;
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  char base[JOURNAL_PATH_LEN];
  if (state && state[0] == '/') std::snprintf(base, sizeof base, "%s", state);
  else if (home && home[0]) std::snprintf(base, sizeof base, "%s/.local/state", home);
  else return 0;
  // Every folder on the way, as mkdir -p would.
  for (char* p = base + 1; *p; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    mkdir(base, 0700);
    *p = '/';
  }
  mkdir(base, 0700);
  if (std::snprintf(dir, static_cast<size_t>(size), "%s/plotsmith", base) >= size) return 0;
  mkdir(dir, 0700);
  struct stat st {};
  return stat(dir, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

void Journal_Setup(AppState* app, const char* dir) {
  if (!app) return;
  Journal_Discard(app);
  std::snprintf(app->Journal.szDir, sizeof app->Journal.szDir, "%s", dir ? dir : "");
  app->Journal.iFailed = 0;
}

void Journal_BeforeChange(AppState* app) {
  if (!app || !app->Journal.szDir[0] || app->Journal.iFailed) return;
  EditJournal& j = app->Journal;
  if (j.iDirty && NowMs() - j.llChangedMs >= Journal_DelayMs) Journal_Flush(app);
  if (!j.iFd && !Open(app)) Fail(app);
}

void Journal_Transition(AppState* app, const HistoryStep* step, int forward) {
  if (!app || !step || !app->Journal.iFd) return;
  // A step whose values could not all be copied cannot be written either:
  // no journal until the next save point rather than a wrong one.
  if (step->iBroken) {
    Fail(app);
    return;
  }
  EditJournal& j = app->Journal;
  Buf file = Buf_Open(Fd(j), j.llEnd);
  BeginRecord(&file);
  Put(&file, &kTransition, 1);
  int active = forward ? step->iActiveAfter : step->iActiveBefore;
  PutInt(&file, Channel_IsIndex(active) ? active : 0);
  // The fields of every channel a change stores into go too: a replay's
  // stores do not give back a data range that was not valid.
  unsigned mask = step->uMetaMask;
  for (int k = 0; k < step->iOps; ++k)
    if (Channel_IsIndex(step->pOps[k].iChannel)) mask |= 1u << step->pOps[k].iChannel;
  PutInt(&file, mask);
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (mask & (1u << c)) PutMeta(&file, forward ? step->MetaAfter[c] : step->MetaBefore[c]);
  PutInt(&file, step->iOps);
  for (int k = 0; k < step->iOps; ++k) {
    // Backward, the changes run in reverse order.
    const HistoryOp& op = step->pOps[forward ? k : step->iOps - 1 - k];
    long long fields[7] = {op.iKind, forward, op.iChannel, op.iFirst, op.iOldCount, op.iNewCount, op.iMask};
    Put(&file, fields, sizeof fields);
    // The values each change wrote are the ones its channel shows now: no
    // other change of the step touches that channel (a deletion's SPANs,
    // which go before it, write no values forward).
    const double* at = Channel_IsIndex(op.iChannel) ? app->Channels.Channel[op.iChannel].pdSamples : nullptr;
    if (op.iKind == HISTORY_OP_SPAN && at) {
      PutValues(&file, at + op.iFirst, forward ? 0 : op.iOldN);
      PutValues(&file, at + op.iFirst, forward ? op.iNewN : 0);
    } else if (op.iKind == HISTORY_OP_CROP && forward) {
      PutValues(&file, nullptr, 0);
      PutInt(&file, op.iNewN);  // a crop forward needs the length of the cut tail, not its values
    } else if (op.iKind == HISTORY_OP_CROP && at) {
      PutValues(&file, at, op.iOldN);  // the head and tail back around the kept samples
      PutValues(&file, at + op.iFirst + op.iNewCount, op.iNewN);
    } else {
      PutValues(&file, nullptr, 0);
      PutValues(&file, nullptr, 0);
    }
  }
  if (!EndRecord(&file)) {
    Fail(app);
    return;
  }
  j.llEnd = file.llAt;
  j.iDirty = 1;
  j.llChangedMs = NowMs();
}

int Journal_Flush(AppState* app) {
  if (!app || !app->Journal.iFd) return 0;
  EditJournal& j = app->Journal;
  if (!Commit(&j, j.llEnd)) {
    Fail(app);
    return 0;
  }
  j.iDirty = 0;
  return 1;
}

void Journal_Tick(AppState* app) {
  if (!app || !app->Journal.iFd) return;
  EditJournal& j = app->Journal;
  if (NowMs() - j.llChangedMs < Journal_DelayMs) return;
  // Back at the state on disk: nothing to keep.
  if (!app->iModified && !j.iBaseUnsaved) Journal_Discard(app);
  else if (j.iDirty) Journal_Flush(app);
}

void Journal_Discard(AppState* app) {
  if (!app) return;
  EditJournal& j = app->Journal;
  if (j.iFd) {
    unlink(j.szPath);
    CloseFile(&j);
  }
  j.llCommitted = j.llEnd = 0;
  j.iDirty = 0;
  j.iBaseUnsaved = 0;
  j.iFailed = 0;
}

void Journal_StartUnsaved(AppState* app) {
  if (!app || !app->Journal.szDir[0]) return;
  Journal_Discard(app);
  app->Journal.iBaseUnsaved = 1;
  if (!Open(app) || !Commit(&app->Journal, app->Journal.llEnd)) Fail(app);
}

namespace {

// Applies one record's payload to the scratch record; 0 when it does not fit
// the state it meets.  A snapshot's samples go into the channels piece by
// piece, as they are read.
int ApplyRecord(AppState* s, Reader* r, int first) {
  char kind = 0;
  Get(r, &kind, 1);
  if (first != (kind == kSnapshot)) return 0;
  if (kind == kSnapshot) {
    char name[JOURNAL_PATH_LEN];
    Get(r, name, sizeof name);
    name[sizeof name - 1] = '\0';
    AppState_CopyText(s->szDataFile, name);
    s->Graph.iActiveChannel = static_cast<int>(GetInt(r, 0, MAX_CHANNELS - 1));
    for (int c = 0; c < MAX_CHANNELS && r->ok; ++c) {
      ChannelMeta m;
      Get(r, &m, sizeof m);
      int n = 0;
      CurveChannel* ch = &s->Channels.Channel[c];
      GetValuesInto(r, &n, [&](const double* piece, int at, int k) {
        if (at == 0 && !Channel_Reserve(ch, n)) return 0;
        return ChannelSet_SetSamples(&s->Channels, c, at, piece, k);
      });
      if (!r->ok || m.iNrOfSamples != n || !History_PutSamples(s, c, 0, nullptr, 0, n)) r->ok = 0;
      if (r->ok) ChannelMeta_Set(ch, &m);
    }
    return r->ok;
  }
  if (kind != kTransition) return 0;
  int active = static_cast<int>(GetInt(r, 0, MAX_CHANNELS - 1));
  unsigned mask = static_cast<unsigned>(GetInt(r, 0, (1 << MAX_CHANNELS) - 1));
  ChannelMeta meta[MAX_CHANNELS];
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (mask & (1u << c)) Get(r, &meta[c], sizeof meta[c]);
  int ops = static_cast<int>(GetInt(r, 0, 1 << 20));
  for (int k = 0; k < ops && r->ok; ++k) {
    long long f[7];
    Get(r, f, sizeof f);
    HistoryOp op{};
    op.iKind = static_cast<int>(f[0]);
    int forward = f[1] != 0;
    op.iChannel = static_cast<int>(f[2]);
    op.iFirst = static_cast<int>(f[3]);
    op.iOldCount = static_cast<int>(f[4]);
    op.iNewCount = static_cast<int>(f[5]);
    op.iMask = static_cast<int>(f[6]);
    op.pdOld = GetValues(r, &op.iOldN);
    if (op.iKind == HISTORY_OP_CROP && forward) op.iNewN = static_cast<int>(GetInt(r, 0, CHANNEL_MAX_ALLOC));
    else op.pdNew = GetValues(r, &op.iNewN);
    // Each change must meet the state it was made on.
    int okChannel = op.iKind == HISTORY_OP_DELETE || Channel_IsIndex(op.iChannel);
    int n = okChannel && op.iKind != HISTORY_OP_DELETE ? s->Channels.Channel[op.iChannel].iNrOfSamples : 0;
    int fits = 0;
    if (!okChannel || f[3] < 0 || f[4] < 0 || f[5] < 0 || f[4] > CHANNEL_MAX_ALLOC || f[5] > CHANNEL_MAX_ALLOC) fits = 0;
    else if (op.iKind == HISTORY_OP_SPAN) fits = op.iFirst <= n && (forward ? op.iOldCount : op.iNewCount) == n;
    else if (op.iKind == HISTORY_OP_CROP && forward) fits = op.iOldCount == n && op.iFirst + op.iNewN < n;
    else if (op.iKind == HISTORY_OP_CROP) fits = op.iNewCount == n && op.iOldN == op.iFirst &&
                                                 op.iFirst + n + op.iNewN == op.iOldCount;
    else if (op.iKind == HISTORY_OP_DELETE) fits = f[6] > 0 && f[6] < (1 << MAX_CHANNELS);
    if (r->ok && fits) HistoryOp_Apply(s, &op, forward);
    else r->ok = 0;
    std::free(op.pdOld);
    std::free(op.pdNew);
  }
  if (!r->ok) return 0;
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (mask & (1u << c)) ChannelMeta_Set(&s->Channels.Channel[c], &meta[c]);
  s->Graph.iActiveChannel = active;
  return 1;
}

// The head of the record at `at` (its layout given by headSize): payload
// length and CRC; 0 when it does not lie within the committed length.
int ReadRecordHead(int fd, long long at, int headSize, long long length, long long* len, unsigned* crc) {
  unsigned char head[kRecordHead] = {0};
  if (at + headSize > length || !ReadAll(fd, head, headSize, at)) return 0;
  *len = 0;
  if (headSize == kRecordHeadV1) std::memcpy(len, head, 4);
  else std::memcpy(len, head, 8);
  std::memcpy(crc, head + headSize - 4, 4);
  return *len >= 0 && *len <= length - at - headSize;
}

// 1 when the n bytes of the file at `at` have the CRC crc (read through buf).
int CheckCrc(int fd, long long at, long long n, unsigned crc, unsigned char* buf) {
  unsigned got = 0;
  for (long long k = 0; n > 0; at += k, n -= k) {
    k = n < kIoChunk ? n : kIoChunk;
    if (!ReadAll(fd, buf, k, at)) return 0;
    got = Crc32Update(got, buf, k);
  }
  return got == crc;
}

// Rebuilds the committed records of the found journal aside, into
// found->pRebuilt; marks it damaged when any of it is unreadable or does not
// fit the state it meets.  Each record's CRC is checked before it is applied.
void Rebuild(JournalFound* found, long long length, int headSize) {
  int fd = found->iFd - 1;
  auto* s = static_cast<AppState*>(std::calloc(1, sizeof(AppState)));
  auto* buf = static_cast<unsigned char*>(std::malloc(2 * kIoChunk));  // read buffer, then the values' pieces
  int ok = s && buf;
  for (long long at = kHeadSize; ok && at < length;) {
    long long len = 0;
    unsigned crc = 0;
    ok = ReadRecordHead(fd, at, headSize, length, &len, &crc) && CheckCrc(fd, at + headSize, len, crc, buf);
    Reader r{fd, at + headSize, at + headSize + len, buf, reinterpret_cast<double*>(buf + kIoChunk), 0, 0, 1};
    ok = ok && ApplyRecord(s, &r, at == kHeadSize) && r.llAt == r.llEnd;
    at += headSize + len;
  }
  std::free(buf);
  if (ok) {
    found->pRebuilt = s;
    return;
  }
  if (s) ChannelSet_FreeAll(&s->Channels);
  std::free(s);
  found->iDamaged = 1;
}

}  // namespace


int Journal_FindOrphan(const char* dir, JournalFound* found) {
  if (!dir || !dir[0] || !found) return 0;
  std::memset(found, 0, sizeof *found);
  DIR* d = opendir(dir);
  if (!d) return 0;
  int hit = 0;
  while (!hit) {
    dirent* e = readdir(d);
    if (!e) break;
    size_t len = std::strlen(e->d_name);
    if (std::strncmp(e->d_name, "journal-", 8) != 0 || len < 12 || std::strcmp(e->d_name + len - 4, ".psj") != 0)
      continue;
    std::snprintf(found->szPath, sizeof found->szPath, "%s/%s", dir, e->d_name);
    int fd = open(found->szPath, O_RDWR | O_CLOEXEC);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {  // a running instance writes it
      close(fd);
      continue;
    }
    found->iFd = fd + 1;
    unsigned char head[kHeadSize];
    unsigned crc = 0;
    long long length = 0;
    unsigned flags = 0;
    struct stat st {};
    int known = ReadAll(fd, head, kHeadSize, 0) && fstat(fd, &st) == 0;
    int v1 = known && std::memcmp(head, kMagicV1, sizeof kMagicV1) == 0;
    if (!known || (!v1 && std::memcmp(head, kMagic, sizeof kMagic) != 0)) {
      found->iDamaged = 1;
      hit = 1;
      break;
    }
    const int headSize = v1 ? kRecordHeadV1 : kRecordHead;
    std::memcpy(&length, head + kCommitAt, 8);
    std::memcpy(&found->llTime, head + kCommitAt + 8, 8);
    std::memcpy(&flags, head + kCommitAt + 16, 4);
    std::memcpy(&crc, head + kCommitAt + 20, 4);
    if (length == 0 && crc == 0) {
      // Never committed: the run ended before a change had been on screen long enough.
      Journal_CloseFound(found);
      continue;
    }
    if (crc != Crc32(head + kCommitAt, 20) || length < kHeadSize || length > st.st_size) found->iDamaged = 1;
    // The data file's name, from the snapshot record.
    long long first = 0;
    char name[JOURNAL_PATH_LEN] = {0};
    if (!found->iDamaged && ReadRecordHead(fd, kHeadSize, headSize, length, &first, &crc) &&
        ReadAll(fd, name, sizeof name, kHeadSize + headSize + 1)) {
      name[sizeof name - 1] = '\0';
      std::snprintf(found->szDataFile, sizeof found->szDataFile, "%s", name);
    }
    // A journal whose only record is the snapshot holds no change, unless
    // that snapshot is itself unsaved work.
    if (!found->iDamaged && !(flags & kFlagBaseUnsaved) && length == kHeadSize + headSize + first) {
      Journal_CloseFound(found);
      continue;
    }
    hit = 1;
    if (!found->iDamaged) Rebuild(found, length, headSize);
  }
  closedir(d);
  return hit;
}

void Journal_CloseFound(JournalFound* found) {
  if (!found) return;
  if (found->pRebuilt) {
    ChannelSet_FreeAll(&found->pRebuilt->Channels);
    std::free(found->pRebuilt);
    found->pRebuilt = nullptr;
  }
  if (!found->iFd) return;
  unlink(found->szPath);
  close(found->iFd - 1);
  found->iFd = 0;
}

int Journal_Recover(AppState* app, JournalFound* found) {
  if (!app || !found || found->iDamaged || !found->pRebuilt) return 0;
  AppState* s = found->pRebuilt;
  for (int c = 0; c < MAX_CHANNELS; ++c) Channel_Free(&app->Channels.Channel[c]);
  for (int c = 0; c < MAX_CHANNELS; ++c) app->Channels.Channel[c] = s->Channels.Channel[c];
  ChannelSet_CountInUse(&app->Channels);
  app->Graph.iActiveChannel = s->Graph.iActiveChannel;
  std::snprintf(app->szDataFile, sizeof app->szDataFile, "%s", s->szDataFile);
  std::free(s);  // its channels' storage now belongs to app
  found->pRebuilt = nullptr;
  return 1;
}

