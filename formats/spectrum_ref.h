#pragma once
// Spectrum reference files: key=value header lines describing the bins, then
// one value per line up to an "end" line.

#include "curve/channel.h"
#include "formats/load_notes.h"

// The header values of a spectrum reference file.  A load fills them; a save
// writes them back with the channel's own bin count, width and offset.
struct SpectrumRefHeader {
  double dTime;          // time stamp of the spectrum, kept as read (no unit assumed)
  double dBinWidthHz;    // x distance between bins, Hz
  double dOffsetHz;      // x value of bin 0, Hz
  int iNrOfBins;         // number of bins the header announces
  int iCompsPerBin;      // values per bin, 0 to 4
  int iType;             // index of the type word: 0 unused .. 4 text_message
  int iScaleUnit;        // unit code of the values, kept as read
  double dScaleFactor;   // scale factor of the values, kept as read
  double dScaleOffset;   // scale offset of the values, kept as read
  int iAvrgCount;        // number of spectra averaged, kept as read
};

// Loads the values into channel first (named "Channel n") and the header
// into hdr; notes (when given) says whether values were left out or missing.
// Returns 0, 2129 when the file does not exist, the system's error
// (ErrorCode_FromOpenErrno) when it cannot be opened otherwise (nothing
// changes then), or 2141 for a line too long to read (the header stays, and
// a channel that was being filled is left empty).
int SpectrumRef_Read(const char* path, ChannelSet* set, int first, SpectrumRefHeader* hdr,
                     CurveLoadNotes* notes = nullptr);

// Saves channel c with the header kept in hdr; bin count, bin width and
// offset are those of the channel, every real with the digits that read back
// as the same double.  Returns 0, a refusal of SafeWrite_Begin, or the result code of the system error of a failed write
// (ErrorCode_FromErrno; the previous file stays).
int SpectrumRef_Write(const char* path, ChannelSet* set, int c, const SpectrumRefHeader* hdr);
