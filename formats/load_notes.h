#pragma once
// What a successful load could not take in, and what a decoding library said
// when it refused a file.  The readers fill this record so that the status
// text can say so; the result code of such a load stays 0.

constexpr int CURVE_REASON_LEN = 160;  // room for a library's own reason, NUL included

struct CurveLoadNotes {
  int fTruncated;        // the file holds more samples per channel than a channel can take
  int iChannelsLoaded;   // channels of the file that went into the set
  int iChannelsSkipped;  // channels of the file left out: no free channel was left
  int fShortData;        // the data ends before the samples its header announces (loaded as far as it goes)
  long long iMissing;    // values loaded as missing (NaN): empty, not a number, nan or null
  int fEmpty;            // the load found no value at all: every channel loaded holds 0 points
  int fOutOfMemory;      // a channel could not grow for want of memory: the samples after iKept were dropped
  long long iKept;       // with fOutOfMemory or fCancelled: the samples the shortest such channel kept
  int fCancelled;        // the load's progress was stopped: the samples read before stay loaded
  int fDamaged;          // the file ends early or stops decoding: the frames before were loaded
  char szReason[CURVE_REASON_LEN];  // why a decoding library refused the file ("" when it did not)
};
