#pragma once
// Save types: what the Save dialog's entry or plotsmith-cli's --type asks of a
// writer beyond the format that the extension picks.  The text writers use
// the value type in the low four bits and the JSON flag; the sound writers
// use the bit depth and the quality.

constexpr int SAVE_TYPE_INT16 = 1;     // text: 16-bit integers (and the 16-bit depth of the sound writers)
constexpr int SAVE_TYPE_UINT8 = 2;     // text: 8-bit unsigned integers
constexpr int SAVE_TYPE_FLOAT = 3;     // text: reals
constexpr int SAVE_TYPE_JSON = 0x10;   // text: the JSON layout
constexpr int SAVE_TYPE_PCM24 = 0x20;  // sound: 24-bit samples (FLAC and the PCM formats)
constexpr int SAVE_TYPE_QUALITY = 0x40;  // sound: bits 8 to 15 hold a lossy encoder's quality in percent

// The save type of a lossy encoder's quality q (0 .. 1, clamped).
constexpr int SaveType_Quality(double q) {
  return SAVE_TYPE_QUALITY | ((q != q || q < 0 ? 0 : (q > 1 ? 100 : static_cast<int>(q * 100 + 0.5))) << 8);
}
// The quality of a save type in 0 .. 1, or -1 when it sets none.
constexpr double SaveType_QualityOf(int type) {
  return (type & SAVE_TYPE_QUALITY) ? ((type >> 8) & 0xFF) / 100.0 : -1.0;
}
