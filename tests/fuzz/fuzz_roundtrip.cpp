// Load, save in every format, reload, compare; files live in a tmpfs folder
// of this process (under $TMPDIR when set) and are removed after each input.

#include "tests/fuzz/fuzz_roundtrip.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/buffered_file.h"
#include "formats/curve_file.h"
#include "formats/safe_write.h"
#include "formats/save_notes.h"
#include "formats/text_curve.h"
#include "formats/text_scan.h"
#include "formats/wave_file.h"
#include "tests/support/json_check.h"
#include "tests/support/test_files.h"

namespace {

AppState g_app;   // what the input loads into
AppState g_back;  // what a saved file loads back into
char g_szDir[256];

void Fuzz_Fail(const char* what, int channel, long index, double want, double got) {
  std::fprintf(stderr, "round trip broken: %s (channel %d, index %ld, expected %.17g, got %.17g)\n", what,
               channel, index, want, got);
  std::abort();
}

void Fuzz_RemoveDir() { TestFiles_RemoveTree(g_szDir); }

// Creates the folder once: on /dev/shm (or $TMPDIR) so that a save costs no
// disk write, and without the fsync of the safe save.
const char* Fuzz_Dir() {
  if (!g_szDir[0]) {
    const char* base = std::getenv("TMPDIR");
    if (!base || !*base) base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::snprintf(g_szDir, sizeof g_szDir, "%s/plotsmith_fuzz_XXXXXX", base);
    if (!mkdtemp(g_szDir)) std::abort();
    std::atexit(Fuzz_RemoveDir);
    SafeWrite_SetSync(0);
  }
  return g_szDir;
}

// Gives app the state of a fresh start: the first time by ChannelSet_Init,
// later by clearing each channel as that does but keeping its storage, so
// that an input costs no allocation of eight fresh arrays.
void Fuzz_Reset(AppState* app) {
  CurveChannel kept[MAX_CHANNELS];
  std::memcpy(kept, app->Channels.Channel, sizeof kept);
  AppState_InitDefaults(app);
  if (!kept[0].pdSamples) {
    ChannelSet_Init(&app->Channels, CHANNEL_MIN_ALLOC);
    return;
  }
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    CurveChannel* ch = &app->Channels.Channel[c];
    Channel_Init(ch, 0);
    ch->pdSamples = kept[c].pdSamples;
    ch->iAllocated = kept[c].iAllocated;
    ch->Summary = kept[c].Summary;
    ch->Summary.iCovered = 0;  // the zeroing below bypasses the stores
    int used = kept[c].iNrOfSamples < kept[c].iAllocated ? kept[c].iNrOfSamples : kept[c].iAllocated;
    if (used > 0) std::memset(ch->pdSamples, 0, static_cast<size_t>(used) * sizeof(double));
    std::snprintf(ch->szName, CHANNEL_NAME_LEN, "Channel %d", c + 1);
  }
}

// Reloads path into g_back; aborts when the load fails.
void Fuzz_Reload(const std::string& path, const char* what) {
  Fuzz_Reset(&g_back);
  int rc = LoadCurveFile(&g_back.Channels, &g_back.SpectrumHeader, path.c_str(), 0);
  if (rc != 0) Fuzz_Fail(what, 0, -1, 0, rc);
}

void Fuzz_CheckCount(const char* what, int channel, int want) {
  int got = g_back.Channels.Channel[channel].iNrOfSamples;
  if (got != want) Fuzz_Fail(what, channel, -1, want, got);
}

// The text writer with one of its value types: values come back as the
// numbers it printed, in as many channels as it wrote.
void Fuzz_CheckText(AppState* app, const std::string& path, int type) {
  const ChannelSet* set = &app->Channels;
  if (SaveCurveFile(&app->Channels, &app->SpectrumHeader,
                    path.c_str(), 0, type) != 0) Fuzz_Fail("text save failed", 0, type, 0, 0);
  Fuzz_Reload(path, "text reload failed");
  int n = set->Channel[0].iNrOfSamples;
  for (int c = 0; c < set->iChannelsInUse; ++c) {
    Fuzz_CheckCount("text sample count", c, n);
    for (int i = 0; i < n; ++i) {
      char text[40];
      TextCurve_FormatValue(text, &set->Channel[c], i, type);
      double want = Text_ToDouble(text, nullptr), got = g_back.Channels.Channel[c].pdSamples[i];
      if (want != got && !(std::isnan(want) && std::isnan(got))) Fuzz_Fail("text value", c, i, want, got);
    }
  }
}

// What a 16-bit sample keeps of v: round(v * 32767) / 32767, clipped; NaN gives 0.
double Fuzz_Pcm16(double v) {
  double x = v * 32767.0;
  double k = x != x ? 0.0 : (x >= 32767.0 ? 32767.0 : (x <= -32768.0 ? -32768.0 : std::round(x)));
  return k * (1.0 / 32767.0);
}

// 16-bit PCM: each value comes back as round(v * 32767) / 32767, clipped.
void Fuzz_CheckWave(AppState* app, const std::string& path) {
  const ChannelSet* set = &app->Channels;
  int nch = set->iChannelsInUse;
  int rc = SaveCurveFile(&app->Channels, &app->SpectrumHeader, path.c_str(), 0, 0);
  if (nch < 1 || nch > 4) {
    if (rc != 2105) Fuzz_Fail("wave save of an unwritable channel count", nch, -1, 2105, rc);
    return;
  }
  if (rc != 0) Fuzz_Fail("wave save failed", 0, -1, 0, rc);
  Fuzz_Reload(path, "wave reload failed");
  if (g_back.Channels.iChannelsInUse != nch && set->Channel[0].iNrOfSamples > 0)
    Fuzz_Fail("wave channel count", 0, -1, nch, g_back.Channels.iChannelsInUse);
  double step = 1.0 / WaveFile_RateForStep(set->Channel[0].dXStep, nullptr);
  if (g_back.Channels.Channel[0].dXStep != step) Fuzz_Fail("wave rate", 0, -1, step, g_back.Channels.Channel[0].dXStep);
  int n = set->Channel[0].iNrOfSamples;
  for (int c = 0; c < nch; ++c) {
    Fuzz_CheckCount("wave sample count", c, n);
    const CurveChannel& ch = set->Channel[c];
    for (int i = 0; i < n; ++i) {
      double v = CurveSave_Value(&ch, i);  // a shorter channel repeats its last sample
      double want = Fuzz_Pcm16(v), got = g_back.Channels.Channel[c].pdSamples[i];
      if (want != got) Fuzz_Fail("wave value", c, i, want, got);
    }
  }
}

// FLAC through libsndfile, 16 bit: every channel in use comes back as the
// 16-bit PCM of the wave writer; a rate beyond FLAC's 655350 Hz is refused.
void Fuzz_CheckFlac(AppState* app, const std::string& path) {
  const ChannelSet* set = &app->Channels;
  int nch = set->iChannelsInUse;
  uint32_t rate = WaveFile_RateForStep(set->Channel[0].dXStep, nullptr);
  int rc = SaveCurveFile(&app->Channels, &app->SpectrumHeader, path.c_str(), 0, SAVE_TYPE_INT16);
  if (nch < 1 || rate > 655350 || (rate > 65535 && rate % 10 != 0)) {  // a rate a FLAC frame cannot carry
    if (rc != 2105) Fuzz_Fail("flac save of an unwritable layout", nch, rate, 2105, rc);
    return;
  }
  if (rc != 0) Fuzz_Fail("flac save failed", nch, rate, 0, rc);
  int n = set->Channel[0].iNrOfSamples;
  if (n == 0) return;  // nothing to compare; the file holds no frame
  Fuzz_Reload(path, "flac reload failed");
  if (g_back.Channels.Channel[0].dXStep != 1.0 / rate)
    Fuzz_Fail("flac rate", 0, -1, 1.0 / rate, g_back.Channels.Channel[0].dXStep);
  for (int c = 0; c < nch; ++c) {
    Fuzz_CheckCount("flac sample count", c, n);
    const CurveChannel& ch = set->Channel[c];
    for (int i = 0; i < n; ++i) {
      double v = CurveSave_Value(&ch, i);  // a shorter channel repeats its last sample
      double want = Fuzz_Pcm16(v), got = g_back.Channels.Channel[c].pdSamples[i];
      if (want != got) Fuzz_Fail("flac value", c, i, want, got);
    }
  }
}

// Spectrum reference: channel 0's values exactly, NaN and infinities as they were.
void Fuzz_CheckRef(AppState* app, const std::string& path) {
  const CurveChannel& ch = app->Channels.Channel[0];
  if (SaveCurveFile(&app->Channels, &app->SpectrumHeader,
                    path.c_str(), 0, 0) != 0) Fuzz_Fail("ref save failed", 0, -1, 0, 0);
  Fuzz_Reload(path, "ref reload failed");
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  Fuzz_CheckCount("ref sample count", 0, n);
  for (int i = 0; i < n; ++i) {
    double want = ch.pdSamples[i], got = g_back.Channels.Channel[0].pdSamples[i];
    bool same = std::isnan(want) ? std::isnan(got) : want == got;
    if (!same) Fuzz_Fail("ref value", 0, i, want, got);
  }
}

void Fuzz_CheckJson(AppState* app, const std::string& path) {
  if (SaveCurveFile(&app->Channels, &app->SpectrumHeader,
                    path.c_str(), 0, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT) != 0) Fuzz_Fail("json save failed", 0, -1, 0, 0);
  bool ok = false;
  std::string text = TestFiles_Read(path, &ok);
  JsonCheckResult r = JsonCheck_Validate(text);
  if (!ok || !r.bValid) Fuzz_Fail(("json invalid: " + r.szError).c_str(), 0, static_cast<long>(r.iErrorPos), 0, 0);
}

}  // namespace

AppState* Fuzz_FreshApp() {
  Fuzz_Reset(&g_app);
  return &g_app;
}

void Fuzz_CheckRoundTrips(AppState* app) {
  ChannelSet* set = &app->Channels;
  for (int c = 0; c < set->iChannelsInUse && c < MAX_CHANNELS; ++c) Channel_UpdateRange(&set->Channel[c]);
  std::string dir = Fuzz_Dir();
  for (int type : {SAVE_TYPE_INT16, SAVE_TYPE_UINT8, SAVE_TYPE_FLOAT}) Fuzz_CheckText(app, dir + "/out.txt", type);
  Fuzz_CheckJson(app, dir + "/out.json");
  Fuzz_CheckWave(app, dir + "/out.wav");
  Fuzz_CheckFlac(app, dir + "/out.flac");
  Fuzz_CheckRef(app, dir + "/out.ref");
  for (const char* name : {"/out.txt", "/out.json", "/out.wav", "/out.flac", "/out.ref"}) unlink((dir + name).c_str());
}

void Fuzz_LoadInput(const uint8_t* data, size_t size, const char* ext) {
  AppState* app = Fuzz_FreshApp();
  std::string path = std::string(Fuzz_Dir()) + "/in" + ext;
  if (!TestFiles_Write(path, std::string(reinterpret_cast<const char*>(data), size))) std::abort();
  if (LoadCurveFile(&app->Channels, &app->SpectrumHeader, path.c_str(), 0) == 0) {
    int next = app->Channels.iChannelsInUse;
    if (next > 0 && next < MAX_CHANNELS) LoadCurveFile(&app->Channels, &app->SpectrumHeader, path.c_str(), next);
    Fuzz_CheckRoundTrips(app);
  }
  unlink(path.c_str());
}
