// The crash journal's file: writing the snapshot and the transition records,
// committing them, finding a journal that a run which did not end normally
// left, and rebuilding its state.
//
// Layout: "PSJRNL01", then the commit head (committed length, commit time,
// flags, CRC-32 of those), then framed records (payload length, CRC-32 of
// the payload, payload).  The first record is the snapshot; each later one
// is a list of primitive changes (the history's HistoryOp, in the direction
// they were applied) with the channel fields set after them.  Repeated
// sample values are written once with their count, so that a stroke that
// gave many samples one value costs a few bytes.
#include "shell/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>

#include "shell/app_state.h"

int Journal_DelayMs = 1000;

namespace {

constexpr char kMagic[8] = {'P', 'S', 'J', 'R', 'N', 'L', '0', '1'};
constexpr long long kHeadSize = 32;     // magic + commit head, then the first record
constexpr long long kCommitAt = 8;      // offset of the commit head
constexpr int kCommitSize = 24;         // length (8), time (8), flags (4), CRC (4)
constexpr unsigned kFlagBaseUnsaved = 1;  // the snapshot itself is unsaved work
constexpr char kSnapshot = 'S';         // record kinds
constexpr char kTransition = 'T';

unsigned Crc32(const unsigned char* p, long long n) {
  static unsigned table[256];
  if (!table[1]) {
    for (unsigned i = 0; i < 256; ++i) {
      unsigned c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  }
  unsigned crc = 0xFFFFFFFFu;
  for (long long i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A growing byte buffer; ok drops to 0 when it cannot grow.
struct Buf {
  unsigned char* p;
  long long n, cap;
  int ok;
};

void Put(Buf* b, const void* src, long long n) {
  if (!b->ok) return;
  if (b->n + n > b->cap) {
    long long cap = b->cap ? b->cap : 4096;
    while (cap < b->n + n) cap *= 2;
    void* q = std::realloc(b->p, static_cast<size_t>(cap));
    if (!q) {
      b->ok = 0;
      return;
    }
    b->p = static_cast<unsigned char*>(q);
    b->cap = cap;
  }
  std::memcpy(b->p + b->n, src, static_cast<size_t>(n));
  b->n += n;
}
void PutInt(Buf* b, long long v) { Put(b, &v, sizeof v); }

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

// Reading side: a payload and a cursor; ok drops to 0 on any overrun or
// value out of its range.
struct Reader {
  const unsigned char* p;
  long long n, at;
  int ok;
};

void Get(Reader* r, void* dst, long long n) {
  if (!r->ok || n < 0 || r->at + n > r->n) {
    r->ok = 0;
    std::memset(dst, 0, static_cast<size_t>(n > 0 ? n : 0));
    return;
  }
  std::memcpy(dst, r->p + r->at, static_cast<size_t>(n));
  r->at += n;
}
long long GetInt(Reader* r, long long lo, long long hi) {
  long long v = 0;
  Get(r, &v, sizeof v);
  if (v < lo || v > hi) r->ok = 0;
  return r->ok ? v : lo;
}
// Values written by PutValues, into a new array (null for none); *n gets the count.
double* GetValues(Reader* r, int* n) {
  *n = static_cast<int>(GetInt(r, 0, CHANNEL_MAX_ALLOC));
  if (!r->ok || *n == 0) return nullptr;
  auto* v = static_cast<double*>(std::malloc(static_cast<size_t>(*n) * sizeof(double)));
  if (!v) {
    r->ok = 0;
    return nullptr;
  }
  for (int i = 0; i < *n && r->ok;) {
    long long k = GetInt(r, -(*n - i), *n - i);
    if (k > 0) {
      Get(r, v + i, k * static_cast<long long>(sizeof(double)));
      i += static_cast<int>(k);
    } else if (k < 0) {
      double x = 0.0;
      Get(r, &x, sizeof x);
      for (long long m = 0; m < -k; ++m) v[i + m] = x;
      i += static_cast<int>(-k);
    } else {
      r->ok = 0;
    }
  }
  if (!r->ok) {
    std::free(v);
    return nullptr;
  }
  return v;
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

// Frames a payload as a record at the end of b.
void PutRecord(Buf* b, const Buf& payload) {
  if (!payload.ok) {
    b->ok = 0;
    return;
  }
  unsigned head[2] = {static_cast<unsigned>(payload.n), Crc32(payload.p, payload.n)};
  Put(b, head, sizeof head);
  Put(b, payload.p, payload.n);
}

void PutMeta(Buf* b, const ChannelMeta& m) { Put(b, &m, sizeof m); }

void Snapshot(const AppState* app, Buf* payload) {
  Put(payload, &kSnapshot, 1);
  char name[JOURNAL_PATH_LEN] = {0};
  std::snprintf(name, sizeof name, "%s", app->szDataFile);
  Put(payload, name, sizeof name);
  PutInt(payload, Channel_IsIndex(app->Graph.iActiveChannel) ? app->Graph.iActiveChannel : 0);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    ChannelMeta m;
    ChannelMeta_Get(&ch, &m);
    PutMeta(payload, m);
    PutValues(payload, ch.pdSamples, ch.pdSamples ? ch.iNrOfSamples : 0);
  }
}

// Writes the commit head: the first committed bytes of the file, now.
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

// Creates this run's file with the snapshot of the current state (not yet committed).
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
  Buf file{}, payload{};
  file.ok = payload.ok = 1;
  Put(&file, kMagic, sizeof kMagic);
  unsigned char zero[kCommitSize] = {0};
  Put(&file, zero, sizeof zero);
  Snapshot(app, &payload);
  PutRecord(&file, payload);
  int ok = file.ok && WriteAll(fd, file.p, file.n, 0);
  std::free(payload.p);
  std::free(file.p);
  j.llCommitted = 0;
  j.llPending = 0;
  j.llEnd = file.n;
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
  Buf payload{};
  payload.ok = 1;
  Put(&payload, &kTransition, 1);
  int active = forward ? step->iActiveAfter : step->iActiveBefore;
  PutInt(&payload, Channel_IsIndex(active) ? active : 0);
  PutInt(&payload, step->uMetaMask);
  for (int c = 0; c < MAX_CHANNELS; ++c)
    if (step->uMetaMask & (1u << c)) PutMeta(&payload, forward ? step->MetaAfter[c] : step->MetaBefore[c]);
  PutInt(&payload, step->iOps);
  for (int k = 0; k < step->iOps; ++k) {
    // Backward, the changes run in reverse order.
    const HistoryOp& op = step->pOps[forward ? k : step->iOps - 1 - k];
    long long fields[7] = {op.iKind, forward, op.iChannel, op.iFirst, op.iOldCount, op.iNewCount, op.iMask};
    Put(&payload, fields, sizeof fields);
    int needOld = (op.iKind == HISTORY_OP_SPAN && !forward) || (op.iKind == HISTORY_OP_CROP && !forward);
    int needNew = (op.iKind == HISTORY_OP_SPAN && forward) || (op.iKind == HISTORY_OP_CROP && !forward);
    PutValues(&payload, op.pdOld, needOld ? op.iOldN : 0);
    // A crop forward needs the length of the cut tail, not its values.
    if (op.iKind == HISTORY_OP_CROP && forward) PutInt(&payload, op.iNewN);
    else PutValues(&payload, op.pdNew, needNew ? op.iNewN : 0);
  }
  Buf pending{j.pPending, j.llPending, j.llPendingCap, 1};
  PutRecord(&pending, payload);
  std::free(payload.p);
  j.pPending = pending.p;
  j.llPending = pending.n;
  j.llPendingCap = pending.cap;
  if (!pending.ok) {
    Fail(app);
    return;
  }
  j.iDirty = 1;
  j.llChangedMs = NowMs();
}

int Journal_Flush(AppState* app) {
  if (!app || !app->Journal.iFd) return 0;
  EditJournal& j = app->Journal;
  if (!WriteAll(Fd(j), j.pPending, j.llPending, j.llEnd) || !Commit(&j, j.llEnd + j.llPending)) {
    Fail(app);
    return 0;
  }
  j.llEnd += j.llPending;
  j.llPending = 0;
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
  std::free(j.pPending);
  j.pPending = nullptr;
  j.llPending = j.llPendingCap = 0;
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
// the state it meets.
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
      double* v = GetValues(r, &n);
      if (!r->ok || m.iNrOfSamples != n || !History_PutSamples(s, c, 0, v, n, n)) r->ok = 0;
      if (r->ok) ChannelMeta_Set(&s->Channels.Channel[c], &m);
      std::free(v);
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

// Rebuilds the committed records of the found journal aside, into
// found->pRebuilt; marks it damaged when any of it is unreadable or does not
// fit the state it meets.
void Rebuild(JournalFound* found, long long length) {
  int fd = found->iFd - 1;
  auto* s = static_cast<AppState*>(std::calloc(1, sizeof(AppState)));
  if (!s) {
    found->iDamaged = 1;
    return;
  }
  int ok = 1;
  unsigned char* payload = nullptr;
  for (long long at = kHeadSize; ok && at < length;) {
    unsigned rec[2] = {0, 0};
    ok = at + static_cast<long long>(sizeof rec) <= length && ReadAll(fd, rec, sizeof rec, at);
    at += sizeof rec;
    ok = ok && at + rec[0] <= length;
    unsigned char* p = ok ? static_cast<unsigned char*>(std::realloc(payload, rec[0] ? rec[0] : 1)) : nullptr;
    if (!p) {
      ok = 0;
      break;
    }
    payload = p;
    ok = ReadAll(fd, payload, rec[0], at) && Crc32(payload, rec[0]) == rec[1];
    Reader r{payload, rec[0], 0, 1};
    ok = ok && ApplyRecord(s, &r, at == kHeadSize + static_cast<long long>(sizeof rec)) && r.at == r.n;
    at += rec[0];
  }
  std::free(payload);
  if (ok) {
    found->pRebuilt = s;
    return;
  }
  ChannelSet_FreeAll(&s->Channels);
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
    if (!ReadAll(fd, head, kHeadSize, 0) || std::memcmp(head, kMagic, sizeof kMagic) != 0 || fstat(fd, &st) != 0) {
      found->iDamaged = 1;
      hit = 1;
      break;
    }
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
    unsigned rec[2] = {0, 0};
    char name[JOURNAL_PATH_LEN] = {0};
    if (!found->iDamaged && ReadAll(fd, rec, sizeof rec, kHeadSize) &&
        ReadAll(fd, name, sizeof name, kHeadSize + static_cast<long long>(sizeof rec) + 1)) {
      name[sizeof name - 1] = '\0';
      std::snprintf(found->szDataFile, sizeof found->szDataFile, "%s", name);
    }
    // A journal whose only record is the snapshot holds no change, unless
    // that snapshot is itself unsaved work.
    if (!found->iDamaged && !(flags & kFlagBaseUnsaved) &&
        length == kHeadSize + static_cast<long long>(sizeof rec) + rec[0]) {
      Journal_CloseFound(found);
      continue;
    }
    hit = 1;
    if (!found->iDamaged) Rebuild(found, length);
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
