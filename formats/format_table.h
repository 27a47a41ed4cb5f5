#pragma once
// The one table of file formats: for each format its extensions, its entries
// in the Open and Save dialogs, its reader, its writer and the save types it
// takes.  Load and save dispatch, both dialogs' filter lists and the usage
// text of plotsmith-cli come from it, so a new format is one row.

#include "curve/channel.h"
#include "formats/load_notes.h"
#include "formats/save_notes.h"
#include "formats/save_type.h"
#include "formats/spectrum_ref.h"

struct CurveFormat;

// Loads path into channels first, first + 1, ... of set; returns 0 or an error code.
typedef int (*CurveReadFn)(const char* path, ChannelSet* set, int first, SpectrumRefHeader* hdr,
                           CurveLoadNotes* notes);
// Saves the channels in use from first on as fmt with saveType; returns 0 or an error code.
typedef int (*CurveWriteFn)(const CurveFormat* fmt, const char* path, ChannelSet* set, int first,
                            const SpectrumRefHeader* hdr, int saveType, CurveSaveNotes* notes);

// Which --type words apply to a format's writer.
constexpr int SAVE_KINDS_TEXT = 1;     // int16, uint8, float, json, json-int16
constexpr int SAVE_KINDS_DEPTH = 2;    // 16, 24
constexpr int SAVE_KINDS_QUALITY = 4;  // q0 .. q1

// One entry of the Save dialog.
struct CurveSaveEntry {
  const char* szText;     // the description; NULL ends the row's entries
  const char* szPattern;  // the pattern
  int iSaveType;          // the save type it chooses; 0 keeps the type handed in
};

// One format.
struct CurveFormat {
  const char* szExtensions;  // its extensions, lower case with the dot, ';' between them
  const char* szOpenText;    // the Open dialog's description, or NULL when it is not offered
  const char* szOpenPattern;  // the Open dialog's pattern
  CurveReadFn pfnRead;        // NULL: loading gives 2130
  CurveWriteFn pfnWrite;      // NULL: saving gives 2130
  int iEncoding;              // the SoundEncoding of a sound writer, else 0
  int iSaveKinds;             // SAVE_KINDS_* that its writer takes
  CurveSaveEntry Save[3];     // its Save dialog entries, in order
  int iOpenGroup;             // the Open dialog lists group 0 (its original entries), then group 1, each in row order
};

// The row whose extensions hold ext (with the dot, any letter case), or NULL.
const CurveFormat* CurveFormat_ByExtension(const char* ext);
// The rows in order; *count gets their number.
const CurveFormat* CurveFormat_All(int* count);
// The Open dialog's filter list: "All supported file formats" with the
// patterns of every offered row, then each offered row; pairs of
// NUL-terminated description and pattern ended by an empty description.
const char* CurveFormat_OpenFilter();
// The Save dialog's filter list in the same layout, every row's entries in order.
const char* CurveFormat_SaveFilter();
// The save type of the Save dialog's entry index (0-based): the entry's type,
// or handedIn for an entry that keeps it or an index out of range.
int CurveFormat_SaveTypeOfEntry(int index, int handedIn);
constexpr int CURVE_LIST_READERS = 0x100;  // CurveFormat_ListExtensions: the formats with a reader
constexpr int CURVE_LIST_WRITERS = 0x200;  // ... with a writer
// The extensions of the formats that what selects (CURVE_LIST_READERS,
// CURVE_LIST_WRITERS, or SAVE_KINDS_* for the writers that take those save
// types), as ".txt, .csv, ..." into dst (size chars).  Returns the length
// (the list is cut at a whole extension when dst is too small).
int CurveFormat_ListExtensions(char* dst, int size, int what);
// 1 when fmt's writer takes saveType: 0 and SAVE_TYPE_INT16 everywhere; the
// text types for the text formats and for the writers without types (which
// ignore them); 24 bits for the PCM and FLAC writers; a quality for the lossy ones.
int CurveFormat_TakesSaveType(const CurveFormat* fmt, int saveType);
