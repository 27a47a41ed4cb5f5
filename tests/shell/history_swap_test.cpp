// The edit history holds one copy of what a step changed: the values the
// channels do not show, swapped with theirs at every undo and redo.  Random
// strokes, crops, filters, loads and deletions with random runs of undos and
// redos must bring back every state bit for bit, each step must hold exactly
// the values its current side lacks, the budget must hold after an undo that
// made a step grow, and the crash journal written from the channels must
// replay the whole walk.  An undo or redo without memory changes nothing.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "curve/lowpass.h"
#include "graph/graph_hit.h"
#include "shell/app_state.h"
#include "tests/shell/history_state.h"
#include "tests/support/test_files.h"
#include <gtest/gtest.h>

namespace {

// Bytes of values a step should hold on its current side: a SPAN's old
// values while applied, its new ones while undone; a crop both parts.
long long HeldBytes(const HistoryStep* s, int applied) {
  long long n = 0;
  for (int i = 0; i < s->iOps; ++i) {
    const HistoryOp& op = s->pOps[i];
    if (op.iKind == HISTORY_OP_CROP) n += op.iOldN + op.iNewN;
    if (op.iKind != HISTORY_OP_SPAN) continue;
    EXPECT_TRUE(applied ? !op.pdNew : !op.pdOld) << "a span holds the values its channel shows";
    n += applied ? op.iOldN : op.iNewN;  // a filter's: the channel once, on either side
  }
  return n * 8;
}

// The state rebuilt from a copy of a journal's bytes, as the next start finds it.
std::string Replayed(const TempDir& dir, const std::string& bytes) {
  std::string orphans = dir.File("orphans");
  mkdir(orphans.c_str(), 0700);
  EXPECT_TRUE(TestFiles_Write(orphans + "/journal-1.psj", bytes));
  JournalFound found{};
  static AppState back;
  AppState_InitDefaults(&back);
  std::string got;
  if (Journal_FindOrphan(orphans.c_str(), &found) == 1 && Journal_Recover(&back, &found) == 1)
    got = HistoryState_Of(back);
  Journal_CloseFound(&found);
  ChannelSet_FreeAll(&back.Channels);
  return got;
}

TEST(HistorySwap, RandomStepsUndosAndRedosComeBackBitForBitAndReplayFromTheJournal) {
  TempDir dir;
  static AppState app;
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 16384);
  std::mt19937 rng(1717);
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 3000 + 1000 * c; ++i)
      ChannelSet_SetSample(&app.Channels, c, i, i % 97 == 5 ? NAN : static_cast<int>(rng() % 4000) / 9.0);
  const int kBudget = 200000;  // a few steps of these channels: undone loads push old ones out
  History_Init(&app, kBudget);
  Journal_Setup(&app, dir.szPath.c_str());

  std::vector<std::string> states{HistoryState_Of(app)};  // states[k]: after k steps of the walk
  size_t pos = 0;
  int moves = 0, refusedAtOldest = 0, filters = 0;
  for (int round = 0; round < 300; ++round) {
    int what = static_cast<int>(rng() % 10);
    int inUse = app.Channels.iChannelsInUse, c = static_cast<int>(rng() % static_cast<unsigned>(inUse));
    CurveChannel* ch = &app.Channels.Channel[c];
    if (what <= 3) {  // a run of undos or redos
      int redo = what == 3;
      for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) {
        int done = redo ? History_Redo(&app, nullptr, 0, nullptr) : History_Undo(&app, nullptr, 0, nullptr);
        ASSERT_GE(done, 0);
        if (!done) {
          // Steps go only for the budget: the oldest ones, or those to redo
          // when an undone step grew and no applied step was left to drop.
          EXPECT_EQ(redo ? app.History.iCount : app.History.iPos, redo ? app.History.iPos : 0);
          if (redo) states.resize(pos + 1);
          else refusedAtOldest += pos > 0;
          break;
        }
        pos += redo ? 1 : -1;
        ++moves;
        ASSERT_TRUE(HistoryState_Of(app) == states[pos]) << "round " << round << (redo ? " redo" : " undo");
      }
    } else {
      if (what == 4) {  // a stroke of a few runs
        History_Begin(&app, "point edit");
        for (int k = 0; k < 3; ++k) {
          int from = static_cast<int>(rng() % static_cast<unsigned>(ch->iNrOfSamples));
          Graph_StoreRun(&app, c, from, from + static_cast<int>(rng() % 40), (rng() % 100) / 4.0);
        }
      } else if (what == 5 && ch->iNrOfSamples > 100) {  // a crop of every channel
        History_Begin(&app, "crop");
        for (int k = 0; k < inUse; ++k) {
          int n = app.Channels.Channel[k].iNrOfSamples;
          History_CropChannel(&app, k, static_cast<int>(rng() % 30), n - 1 - static_cast<int>(rng() % 30));
        }
      } else if (what <= 7) {  // a filter of the whole channel
        History_Begin(&app, "low pass");
        History_KeepChannel(&app, c);
        ASSERT_EQ(Channel_LowPass(ch, ch, 0, 0, 0.02 + (rng() % 10) / 40.0, 0.1), 1);
        ++filters;
      } else if (what == 8 && inUse < MAX_CHANNELS) {  // a load into the next channel
        History_Begin(&app, "load into the next channel");
        for (int k = inUse; k < MAX_CHANNELS; ++k) History_KeepChannel(&app, k);
        for (int i = 0, n = 500 + static_cast<int>(rng() % 3000); i < n; ++i)
          ChannelSet_SetSample(&app.Channels, inUse, i, std::sin(i * 0.01 * (c + 1)));
      } else if (inUse > 1) {  // a deletion of one channel
        History_Begin(&app, "delete hidden channels");
        History_DeleteChannels(&app, 1 << c);
        app.Graph.iActiveChannel = 0;
        ChannelSet_CountInUse(&app.Channels);  // as the shell does after it
      } else {
        continue;
      }
      int added = History_End(&app);
      ASSERT_GE(added, 0);
      if (added) {  // a step, also when it changed only fields the states leave out
        states.resize(++pos);
        states.push_back(HistoryState_Of(app));
      }
    }
    // One copy: each step holds what its side lacks, and the sum is the history's.
    long long sum = 0;
    for (int k = 0; k < app.History.iCount; ++k) {
      const HistoryStep* s = app.History.ppSteps[k];
      EXPECT_EQ(s->llBytes - static_cast<long long>(sizeof(HistoryStep)) - s->iOpsCap * static_cast<long long>(sizeof(HistoryOp)),
                HeldBytes(s, k < app.History.iPos));
      sum += s->llBytes;
    }
    ASSERT_EQ(sum, app.History.llBytes);
    EXPECT_LE(app.History.llBytes, kBudget) << round;
    ASSERT_TRUE(!app.Journal.iFd || Journal_Flush(&app) == 1) << round;  // open from the first change on
    // The journal written from the channels rebuilds the state now and then.
    if (round % 30 == 29 && app.Journal.iFd) {
      EXPECT_TRUE(Replayed(dir, TestFiles_Read(app.Journal.szPath)) == HistoryState_Of(app)) << round;
    }
  }
  EXPECT_GT(moves, 80);
  EXPECT_GT(filters, 30);
  EXPECT_GT(refusedAtOldest, 0);
  Journal_Discard(&app);
  History_Clear(&app);
  ChannelSet_FreeAll(&app.Channels);
}

// Address space the process maps now, in bytes.
long long MappedBytes() {
  long long pages = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (f && std::fscanf(f, "%lld", &pages) != 1) pages = 0;
  if (f) std::fclose(f);
  return pages * sysconf(_SC_PAGE_SIZE);
}

// An undo that must hold more than before (a load's samples) and a redo that
// must (a deletion's) are refused whole when that memory cannot be had, and
// go through once it can.  Run in a child whose address space gets capped.
TEST(HistorySwap, AnUndoOrRedoWithoutMemoryChangesNothing) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing under an address-space limit";
#endif
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    mallopt(M_MMAP_THRESHOLD, 1 << 20);  // long blocks are mapped and unmapped, never reused from the heap
    static AppState app;
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 16384);
    History_Init(&app, 1LL << 30);
    const std::string empty = HistoryState_Of(app);
    History_Begin(&app, "load");
    History_KeepChannel(&app, 1);
    for (int i = 0; i < (2 << 20); ++i) ChannelSet_SetSample(&app.Channels, 1, i, i * 0.5);  // 16 MB
    History_End(&app);
    const std::string loaded = HistoryState_Of(app);
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    auto capped = [&](int redo) {  // an undo or redo with 8 MB left to map
      rlimit cap = old;
      cap.rlim_cur = static_cast<rlim_t>(MappedBytes() + (8LL << 20));
      setrlimit(RLIMIT_AS, &cap);
      int rc = redo ? History_Redo(&app, nullptr, 0, nullptr) : History_Undo(&app, nullptr, 0, nullptr);
      setrlimit(RLIMIT_AS, &old);
      return rc;
    };
    int bad = capped(0) != -1 || HistoryState_Of(app) != loaded || app.History.iPos != 1;
    bad |= (History_Undo(&app, nullptr, 0, nullptr) != 1 || HistoryState_Of(app) != empty) << 1;
    bad |= (History_Redo(&app, nullptr, 0, nullptr) != 1 || HistoryState_Of(app) != loaded) << 2;
    History_Begin(&app, "delete hidden channels");
    History_DeleteChannels(&app, 1 << 1);
    History_End(&app);
    const std::string deleted = HistoryState_Of(app);
    bad |= (capped(0) != -1 || HistoryState_Of(app) != deleted) << 3;  // no room for the channel again
    bad |= (History_Undo(&app, nullptr, 0, nullptr) != 1 || HistoryState_Of(app) != loaded) << 4;
    bad |= (capped(1) != -1 || HistoryState_Of(app) != loaded) << 5;  // nor for its samples in the step
    bad |= (History_Redo(&app, nullptr, 0, nullptr) != 1 || HistoryState_Of(app) != deleted) << 6;
    _exit(bad);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "failed checks (bits)";
}

}  // namespace
