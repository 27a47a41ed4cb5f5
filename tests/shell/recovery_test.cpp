// Recovery after a crash: a child process changes a file through the edit
// history and is killed with SIGKILL at a random moment; the next start of
// the editor offers what it left, and Yes rebuilds exactly the last state
// that had been on screen for the journal's delay.  A damaged journal is
// refused whole.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>

#include "tests/shell/edit_fixture.h"
#include "graph/graph_hit.h"
#include "tests/shell/history_state.h"

namespace {

constexpr int kDelayMs = 40;  // the child's journal delay
constexpr int kMargin = 5;    // states this close to the delay may go either way

long long MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

// One state the child reported: when it appeared and its digest.
struct ChildState {
  long long llAt;
  unsigned long long ullDigest;
};

struct Recovery : ::testing::Test {
  TempDir state;  // XDG_STATE_HOME and XDG_CONFIG_HOME of the editor started here
  AppState app{};
  static inline std::vector<std::string> s_boxes;  // texts of the boxes asked
  static inline int s_answer;                      // the answer to each

  static int Box(HWND, const char* text, const char*, UINT) {
    s_boxes.push_back(text);
    return s_answer;
  }
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", state.szPath.c_str(), 1);
    setenv("XDG_STATE_HOME", state.szPath.c_str(), 1);
    Win_Init(nullptr, nullptr);
    static const WinModalSeam seam{Box, nullptr, nullptr, nullptr};
    Win_SetModalSeam(&seam);
  }
  void TearDown() override { Win_SetModalSeam(nullptr); }
  std::string JournalDir() { return state.File("plotsmith"); }

  // Runs the child for ms milliseconds, kills it, and returns what it reported.
  std::vector<ChildState> RunChildFor(const std::string& data, int seed, int ms, long long* killedAt) {
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    std::string dir = JournalDir(), seedText = std::to_string(seed), delay = std::to_string(kDelayMs);
    const char* argv[] = {HISTORY_CRASH_CHILD, dir.c_str(), data.c_str(), seedText.c_str(), delay.c_str(), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
      dup2(out[1], 1);
      execv(argv[0], const_cast<char* const*>(argv));
      _exit(127);
    }
    close(out[1]);
    // The random moment counts from the child's first report (it has loaded
    // its file), so that a slow start does not eat the time for changes.
    std::string text;
    char buf[4096];
    while (text.find('\n') == std::string::npos) {
      ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
    kill(pid, SIGKILL);
    *killedAt = MonotonicMs();
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    close(out[0]);
    std::vector<ChildState> states;
    std::istringstream in(text);
    for (ChildState s{}; in >> s.llAt >> s.ullDigest;) states.push_back(s);
    return states;
  }
  // Starts the editor, answering the recovery box with answer; returns the
  // boxes asked during the start.
  std::vector<std::string> Start(int answer) {
    s_boxes.clear();
    s_answer = answer;
    PlotWin_Start(&app, nullptr, "");
    return s_boxes;
  }
  void EndNormally() {
    Win_DestroyWindow(app.hwndMain);
    WinTest_RunFor(1);
    MSG msg{};
    while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
    }
    PlotWin_Instances[0] = nullptr;
  }
};

TEST_F(Recovery, KilledTwentyTimesTheLastStateOnScreenForTheDelayComesBack) {
  std::string data = state.File("curve.txt");
  std::string text;
  for (int i = 0; i < 200; ++i) text += std::to_string(std::sin(i * 0.05) * 100.0) + "\n";
  ASSERT_TRUE(TestFiles_Write(data, text));
  std::mt19937 rng(1606);
  int recovered = 0;
  for (int run = 0; run < 20; ++run) {
    long long killedAt = 0;
    std::vector<ChildState> st = RunChildFor(data, run, 30 + static_cast<int>(rng() % 200), &killedAt);
    ASSERT_FALSE(st.empty()) << run;
    // How long each state stayed on screen; the last one until the kill.
    const int m = static_cast<int>(st.size()) - 1;
    auto stayed = [&](int j) { return (j < m ? st[j + 1].llAt : killedAt) - st[j].llAt; };
    // Every state before the last that stayed clearly long enough was
    // written before the next change; the newest of them is the least that
    // must come back.  Newer ones come back only if they stayed long enough.
    int least = 0;
    for (int j = 1; j < m; ++j)
      if (stayed(j) >= kDelayMs + kMargin) least = j;
    std::vector<unsigned long long> allowed{st[least].ullDigest};
    for (int j = least + 1; j <= m; ++j)
      if (stayed(j) >= kDelayMs - kMargin) allowed.push_back(st[j].ullDigest);
    std::vector<std::string> boxes = Start(IDYES);
    unsigned long long got = st[0].ullDigest;  // no journal: the file as loaded
    if (!boxes.empty()) {
      ASSERT_EQ(boxes.size(), 1u) << boxes.back();
      EXPECT_EQ(boxes[0].rfind("Plotsmith was closed without saving changes to " + data + " (", 0), 0u) << boxes[0];
      EXPECT_EQ(boxes[0].substr(boxes[0].size() - 16), "). Recover them?");
      got = HistoryState_Digest(app);
      EXPECT_EQ(app.iModified, 1);
      EXPECT_STREQ(app.szDataFile, data.c_str());
      ++recovered;
    }
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), got), allowed.end())
        << "run " << run << ": " << st.size() << " states, least " << least;
    EndNormally();
    EXPECT_EQ(TestFiles_CountEntries(JournalDir()), 0) << run;  // a normal end leaves nothing
  }
  EXPECT_GT(recovered, 5);
}

TEST_F(Recovery, ADamagedJournalIsRefusedWhole) {
  std::string data = state.File("curve.txt");
  std::string text;
  for (int i = 0; i < 200; ++i) text += std::to_string(i % 17) + "\n";
  ASSERT_TRUE(TestFiles_Write(data, text));
  // The committed length sits in the file's head at byte 8; the records
  // start at byte 32.
  auto committed = [](const std::string& b) {
    long long n = 0;
    if (b.size() >= 16) std::memcpy(&n, b.data() + 8, 8);
    return n;
  };
  struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
  };
  const Damage damages[] = {
      {"a flipped byte in a record", [&](std::string& b) { b[static_cast<size_t>(32 + (committed(b) - 32) / 2)] ^= 0x40; }},
      {"the committed end cut off", [&](std::string& b) { b.resize(static_cast<size_t>(committed(b) - 3)); }},
      {"a flipped byte in the commit head", [](std::string& b) { b[9] ^= 1; }},
  };
  for (const Damage& d : damages) {
    long long killedAt = 0;
    mkdir(JournalDir().c_str(), 0700);
    std::string path, bytes;
    for (int seed = 0; committed(bytes) == 0 && seed < 30; ++seed) {
      TestFiles_RemoveTree(JournalDir());
      mkdir(JournalDir().c_str(), 0700);
      RunChildFor(data, 100 + seed, 300, &killedAt);
      DIR* dir = opendir(JournalDir().c_str());
      ASSERT_NE(dir, nullptr);
      while (dirent* e = readdir(dir))
        if (e->d_name[0] != '.') path = JournalDir() + "/" + e->d_name;
      closedir(dir);
      bytes = path.empty() ? std::string() : TestFiles_Read(path);
    }
    ASSERT_GT(committed(bytes), 32) << d.what;
    d.apply(bytes);
    ASSERT_TRUE(TestFiles_Write(path, bytes));
    std::vector<std::string> boxes = Start(IDYES);
    ASSERT_EQ(boxes.size(), 1u) << d.what;
    EXPECT_NE(boxes[0].find("but they cannot be recovered: the journal " + path + " is damaged."),
              std::string::npos) << boxes[0];
    // Nothing of it was applied: the start's demonstration sine is there.
    EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 100) << d.what;
    EXPECT_EQ(app.Channels.Channel[0].pdSamples[7], std::sin(0.1 * 7)) << d.what;
    EXPECT_EQ(app.iModified, 0);
    EndNormally();
    EXPECT_EQ(TestFiles_CountEntries(JournalDir()), 0) << d.what;
  }
}

}  // namespace

namespace {

// The journal's cost follows the change: a stroke over 50 samples of a
// channel of 100000 writes a few hundred bytes, not the channel.
TEST_F(Recovery, AStrokeCostsTheJournalAFewHundredBytes) {
  static AppState core;
  AppState_InitDefaults(&core);
  ChannelSet_Init(&core.Channels, 100000);
  for (int i = 0; i < 100000; ++i) ChannelSet_SetSample(&core.Channels, 0, i, std::sin(i * 0.01));
  History_Init(&core, 64LL << 20);
  mkdir(JournalDir().c_str(), 0700);
  Journal_Setup(&core, JournalDir().c_str());
  History_Begin(&core, "point edit");  // opens the journal with the snapshot
  const long long snapshot = core.Journal.llEnd;
  EXPECT_GT(snapshot, 800000);
  for (int k = 0; k < 5; ++k) Graph_StoreRun(&core, 0, 1000 + 10 * k, 1009 + 10 * k, 0.5 + k);
  ASSERT_EQ(History_End(&core), 1);
  ASSERT_EQ(Journal_Flush(&core), 1);
  JournalFound found{};
  EXPECT_EQ(Journal_FindOrphan(JournalDir().c_str(), &found), 0);  // a running editor's journal is its own
  const long long stroke = core.Journal.llEnd - snapshot;
  EXPECT_LT(stroke, 400) << stroke;
  std::printf("journal bytes for a 50-sample stroke: %lld (snapshot %lld); its step holds %lld bytes\n", stroke,
              snapshot, core.History.llBytes);
  EXPECT_LT(core.History.llBytes, 5000);  // the stroke's range, not the channel's 800 kB
  // Its undo costs as much again.
  History_Undo(&core, nullptr, 0, nullptr);
  ASSERT_EQ(Journal_Flush(&core), 1);
  std::printf("journal bytes for its undo: %lld\n", core.Journal.llEnd - snapshot - stroke);
  Journal_Discard(&core);
  History_Clear(&core);
  ChannelSet_FreeAll(&core.Channels);
}

}  // namespace

namespace {

// The CRC-32 a journal's records carry, one byte at a time as the first
// journals computed it.
unsigned Crc32Bytewise(const std::string& b, size_t from, size_t n) {
  unsigned crc = 0xFFFFFFFFu;
  for (size_t i = from; i < from + n; ++i) {
    crc ^= static_cast<unsigned char>(b[i]);
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

template <typename T>
T At(const std::string& b, size_t at) {
  T v{};
  if (at + sizeof v <= b.size()) std::memcpy(&v, b.data() + at, sizeof v);
  return v;
}

// The snapshot streamed from channels of uneven lengths (long runs of equal
// values and long stretches without any, NaN and infinities, empty ones)
// and a stroke after it come back bit for bit: from the journal as written,
// from the same journal in the first layout (32-bit record lengths), and
// not at all when a record claims 4 GiB more than it holds.
TEST_F(Recovery, AStreamedSnapshotOfUnevenChannelsComesBackInBothLayouts) {
  static AppState core;
  AppState_InitDefaults(&core);
  ChannelSet_Init(&core.Channels, 16384);
  std::mt19937 rng(17);
  const int lengths[MAX_CHANNELS] = {300000, 0, 1, 0, 200000, 70001, 5, 2};
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    for (int i = 0; i < lengths[c]; ++i) {
      double v = static_cast<int>(rng() % 2000) / 7.0;
      if (c == 4 && i > 1000) v = 2.5;                             // a run longer than the read pieces
      if (c == 0 && i % 50000 < 3) v = i % 2 ? NAN : -INFINITY;   // short runs of odd values
      ChannelSet_SetSample(&core.Channels, c, i, v);
    }
  }
  Channel_Free(&core.Channels.Channel[3]);  // a channel without storage
  ChannelSet_CountInUse(&core.Channels);
  core.Graph.iActiveChannel = 4;
  AppState_CopyText(core.szDataFile, "/somewhere/curves.txt");
  History_Init(&core, 64LL << 20);
  mkdir(JournalDir().c_str(), 0700);
  Journal_Setup(&core, JournalDir().c_str());
  History_Begin(&core, "point edit");
  Graph_StoreRun(&core, 5, 10, 40, -1.25);
  ASSERT_EQ(History_End(&core), 1);
  ASSERT_EQ(Journal_Flush(&core), 1);
  const std::string want = HistoryState_Of(core);
  const std::string bytes = TestFiles_Read(core.Journal.szPath);
  Journal_Discard(&core);
  History_Clear(&core);
  ChannelSet_FreeAll(&core.Channels);

  // Records: a 64-bit length and the CRC of the payload, the one the first
  // journals computed.
  std::vector<size_t> records;
  for (size_t at = 32; at + 12 <= bytes.size(); at += 12 + At<long long>(bytes, at)) records.push_back(at);
  ASSERT_EQ(records.size(), 2u);
  ASSERT_EQ(records.back() + 12 + At<long long>(bytes, records.back()), bytes.size());
  EXPECT_GT(At<long long>(bytes, 32), 2960000);  // the literal values of channels 0 and 5
  for (size_t at : records)
    EXPECT_EQ(At<unsigned>(bytes, at + 8), Crc32Bytewise(bytes, at + 12, static_cast<size_t>(At<long long>(bytes, at))));

  // The same journal in the first layout.
  std::string v1 = bytes.substr(0, 32);
  v1[7] = '1';
  for (size_t at : records) {
    long long n = At<long long>(bytes, at);
    v1.append(bytes, at, 4).append(bytes, at + 8, 4).append(bytes, at + 12, static_cast<size_t>(n));
  }
  auto commit = [](std::string* b) {
    long long n = static_cast<long long>(b->size());
    std::memcpy(&(*b)[8], &n, 8);
    unsigned crc = Crc32Bytewise(*b, 8, 20);
    std::memcpy(&(*b)[28], &crc, 4);
  };
  commit(&v1);
  std::string huge = bytes;  // the stroke's record claims 4 GiB more
  huge[records.back() + 4] = 1;
  const struct {
    const char* what;
    const std::string& file;
    bool ok;
  } cases[] = {{"as written", bytes, true}, {"first layout", v1, true}, {"length past 4 GiB", huge, false}};
  TempDir left;
  for (const auto& k : cases) {
    ASSERT_TRUE(TestFiles_Write(left.File("journal-1.psj"), k.file));
    JournalFound found{};
    ASSERT_EQ(Journal_FindOrphan(left.szPath.c_str(), &found), 1) << k.what;
    EXPECT_STREQ(found.szDataFile, "/somewhere/curves.txt") << k.what;
    EXPECT_EQ(found.iDamaged, k.ok ? 0 : 1) << k.what;
    static AppState back;
    AppState_InitDefaults(&back);
    EXPECT_EQ(Journal_Recover(&back, &found), k.ok ? 1 : 0) << k.what;
    if (k.ok) {
      EXPECT_TRUE(HistoryState_Of(back) == want) << k.what;
      EXPECT_EQ(back.Graph.iActiveChannel, 4) << k.what;
    }
    Journal_CloseFound(&found);
    ChannelSet_FreeAll(&back.Channels);
  }
}

}  // namespace

namespace {

// A journal that cannot be written whole (here: the file size limit stops
// the snapshot, then a filter step's record) turns itself off and leaves no
// file, and comes back at the next save point.
TEST_F(Recovery, AJournalThatCannotBeWrittenTurnsItselfOff) {
  static AppState core;
  AppState_InitDefaults(&core);
  ChannelSet_Init(&core.Channels, 16384);
  for (int i = 0; i < 200000; ++i) ChannelSet_SetSample(&core.Channels, 0, i, std::sin(i * 0.01));
  History_Init(&core, 64LL << 20);
  mkdir(JournalDir().c_str(), 0700);
  Journal_Setup(&core, JournalDir().c_str());
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
  auto filter = [&](long long limit) {
    rlimit lim = old;
    lim.rlim_cur = static_cast<rlim_t>(limit);
    setrlimit(RLIMIT_FSIZE, &lim);
    History_Begin(&core, "low pass");
    History_KeepChannel(&core, 0);
    for (int i = 0; i < 200000; ++i) core.Channels.Channel[0].pdSamples[i] *= 0.5;
    History_End(&core);
    setrlimit(RLIMIT_FSIZE, &old);
    return TestFiles_CountEntries(JournalDir());
  };
  EXPECT_EQ(filter(1 << 20), 0);  // the 1.6 MB snapshot does not fit
  EXPECT_EQ(core.Journal.iFailed, 1);
  History_MarkSaved(&core);
  EXPECT_EQ(filter(5 << 19), 0);  // the snapshot fits, the step's record does not
  EXPECT_EQ(core.Journal.iFailed, 1);
  History_MarkSaved(&core);
  EXPECT_EQ(filter(8 << 20), 1);
  EXPECT_EQ(Journal_Flush(&core), 1);
  EXPECT_GT(core.Journal.llCommitted, 3200000);
  signal(SIGXFSZ, SIG_DFL);
  Journal_Discard(&core);
  History_Clear(&core);
  ChannelSet_FreeAll(&core.Channels);
}

}  // namespace
