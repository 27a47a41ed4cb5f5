// Dispatch of loads and saves to the formats by file name extension.

#include "formats/curve_file.h"

#include <cstring>
#include <strings.h>

#include "formats/spectrum_ref.h"
#include "formats/text_curve.h"
#include "formats/wave_file.h"

namespace {

constexpr int kErrFileMissing = 2129;
constexpr int kErrNotSupported = 2130;

bool ExtIs(const char* ext, const char* want) { return strcasecmp(ext, want) == 0; }

}  // namespace

const char* CurveFile_Extension(const char* path) {
  return path ? std::strrchr(path, '.') : nullptr;
}

int LoadCurveFile(AppState* app, const char* path, int first) {
  const char* ext = CurveFile_Extension(path);
  if (!ext) return kErrFileMissing;
  ChannelSet* set = &app->Channels;
  if (ExtIs(ext, ".ref")) return SpectrumRef_Read(path, set, first, &app->SpectrumHeader);
  if (ExtIs(ext, ".wav")) return WaveFile_Read(path, set, first);
  if (ExtIs(ext, ".txt")) return TextCurve_Read(path, set, first);
  return kErrNotSupported;
}

int SaveCurveFile(AppState* app, const char* path, int first, int saveType) {
  const char* ext = CurveFile_Extension(path);
  if (!ext) return kErrFileMissing;
  ChannelSet* set = &app->Channels;
  if (ExtIs(ext, ".ref")) return SpectrumRef_Write(path, set, first, &app->SpectrumHeader);
  if (ExtIs(ext, ".wav")) return WaveFile_Write(path, set, first, set->iChannelsInUse);
  if (ExtIs(ext, ".txt") || ExtIs(ext, ".json"))
    return TextCurve_Write(path, set, first, set->iChannelsInUse, saveType);
  return kErrNotSupported;
}
