#pragma once
// Picks the reader or writer of a curve file by the extension of its name,
// from the table of formats (formats/format_table.h).

#include "curve/channel.h"
#include "curve/progress.h"
#include "formats/load_notes.h"
#include "formats/save_notes.h"
#include "formats/spectrum_ref.h"

// Loads path into channels first, first + 1, ... of set by the reader of
// its extension (any letter case) in the table; a text file holding the JSON
// layout is read as JSON; a reference file's header goes into hdr.  notes
// (when given) is cleared and then says what a successful load left out, how
// many values were missing, and whether nothing was found (fEmpty).  Returns
// the reader's result, 2129 for a path without any ".", 2130 for an extension
// without a reader.  progress (when given) hears how far the reading is; a
// stop there keeps what was read, and the notes say so (fCancelled, iKept)
// instead of calling the file short.
int LoadCurveFile(ChannelSet* set, SpectrumRefHeader* hdr, const char* path, int first,
                  CurveLoadNotes* notes = nullptr, WorkProgress* progress = nullptr);

// Composes the status text of a successful load into dst (size chars):
// "Loaded file "<path>", <points> points" and, as the notes say, the remarks
// that the file was truncated, values were missing or channels were not
// loaded.  Returns the
// length of the text (cut to fit dst).
int CurveFile_LoadStatusText(char* dst, int size, const char* path, long points, const CurveLoadNotes* notes);
// Composes the status text of a failed load: "ERROR: failed to load "<path>"
// (<text of rc>)", the text followed by ": <reason>" when the notes hold a
// decoding library's reason.  Returns the length of the text (cut to fit dst).
int CurveFile_LoadErrorText(char* dst, int size, const char* path, int rc, const CurveLoadNotes* notes = nullptr);
// Composes the status text of a save with result rc: "Saved file "<path>""
// for 0, followed by what notes (when given) say was changed on the way
// (written as RF64, channels cut or padded, missing values written as a
// number, channels left out); else "ERROR: failed to save "<path>" (<text of
// rc>)" with the encoding library's reason as for a load.  Returns the length.
int CurveFile_SaveStatusText(char* dst, int size, const char* path, int rc, const CurveSaveNotes* notes = nullptr);

// Saves the channels of set in use from first on by the writer of the
// extension in the table (text layout and value type, or a sound file's bit
// depth and quality, from saveType; a reference file with the header hdr).
// notes (when given) is cleared and then says what the file holds
// differently from the channels, or why an encoding library refused the save.
// Returns the writer's result, 2129 without any ".", 2130 without a writer.
// progress (when given) hears how far the writing is; a stop there gives
// ERROR_CANCELLED and leaves the previous file as it was.
int SaveCurveFile(ChannelSet* set, const SpectrumRefHeader* hdr, const char* path, int first, int saveType,
                  CurveSaveNotes* notes = nullptr, WorkProgress* progress = nullptr);

// The extension of path: from its last "." to the end, or NULL without one.
const char* CurveFile_Extension(const char* path);
