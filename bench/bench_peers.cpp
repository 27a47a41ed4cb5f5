// Whole-process speed of plotsmith-cli beside the tools users compare it
// with, in one run on the same files: `info` on 1,048,576 text lines beside
// numpy.loadtxt and cat, `convert` of 1,048,576 stereo WAV frames beside sox,
// and 1,048,576 values saved as float text (from a mono WAV) beside
// numpy.savetxt('%g') (from raw doubles).  A
// peer that is not installed is skipped with a message.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "curve/channel.h"
#include "formats/wave_file.h"

namespace {

constexpr int kCount = 1048576;

// The input files, written once per run and removed at exit.
struct PeerFiles {
  std::string szDir;   // their temporary folder
  std::string szText;  // one value per line
  std::string szWave;  // 16-bit stereo WAV
  std::string szMono;  // 16-bit mono WAV
  std::string szRaw;   // raw doubles, for the peers that read them
  PeerFiles() {
    char tmpl[] = "/tmp/ps_bench_peers_XXXXXX";
    szDir = mkdtemp(tmpl) ? tmpl : "/tmp";
    szText = szDir + "/values.txt";
    szWave = szDir + "/stereo.wav";
    szMono = szDir + "/mono.wav";
    szRaw = szDir + "/values.f64";
    FILE* t = std::fopen(szText.c_str(), "w");
    FILE* r = std::fopen(szRaw.c_str(), "wb");
    static ChannelSet set;
    ChannelSet_Init(&set, kCount);
    for (int i = 0; i < kCount; ++i) {
      double v = 0.9 * std::sin(i * 0.001);
      if (t) std::fprintf(t, "%.6f\n", v);
      if (r) std::fwrite(&v, sizeof v, 1, r);
      ChannelSet_SetSample(&set, 0, i, v);
      ChannelSet_SetSample(&set, 1, i, -v);
    }
    if (t) std::fclose(t);
    if (r) std::fclose(r);
    set.Channel[0].dXStep = 1.0 / 44100;
    WaveFile_Write(szWave.c_str(), &set, 0, 2);
    WaveFile_Write(szMono.c_str(), &set, 0, 1);
    ChannelSet_FreeAll(&set);
  }
  ~PeerFiles() { std::system(("rm -rf '" + szDir + "'").c_str()); }
};

PeerFiles& Files() {
  static PeerFiles files;
  return files;
}

void RunProcess(benchmark::State& state, const std::vector<std::string>& args) { BenchProcess_Time(state, args); }

const std::string kCli = PLOTSMITH_CLI_PATH;

void BM_Peer_InfoText_Plotsmith(benchmark::State& s) { RunProcess(s, {kCli, "info", Files().szText}); }
void BM_Peer_InfoText_NumpyLoadtxt(benchmark::State& s) {
  RunProcess(s, {"python3", "-c", "import sys, numpy; numpy.loadtxt(sys.argv[1])", Files().szText});
}
void BM_Peer_InfoText_Cat(benchmark::State& s) { RunProcess(s, {"cat", Files().szText}); }
void BM_Peer_ConvertWave_Plotsmith(benchmark::State& s) {
  RunProcess(s, {kCli, "convert", Files().szWave, Files().szDir + "/out_ps.wav"});
}
void BM_Peer_ConvertWave_Sox(benchmark::State& s) {
  RunProcess(s, {"sox", Files().szWave, Files().szDir + "/out_sox.wav"});
}
void BM_Peer_SaveFloat_Plotsmith(benchmark::State& s) {
  RunProcess(s, {kCli, "convert", "--type", "float", Files().szMono, Files().szDir + "/out_ps.txt"});
}
void BM_Peer_SaveFloat_NumpySavetxt(benchmark::State& s) {
  RunProcess(s, {"python3", "-c", "import sys, numpy; numpy.savetxt(sys.argv[2], numpy.fromfile(sys.argv[1]), fmt='%g')",
                 Files().szRaw, Files().szDir + "/out_np.txt"});
}
BENCHMARK(BM_Peer_InfoText_Plotsmith)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_InfoText_NumpyLoadtxt)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_InfoText_Cat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_ConvertWave_Plotsmith)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_ConvertWave_Sox)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_SaveFloat_Plotsmith)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_SaveFloat_NumpySavetxt)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
