#pragma once
// Shared body of the fuzz harnesses: an input is loaded as the editor loads
// a file, saved in every format (FLAC among them) and loaded back.  A broken
// round trip aborts with a message, so that libFuzzer keeps the input;
// sanitizer reports do the same for memory and undefined-behaviour faults.

#include <cstddef>
#include <cstdint>

#include "shell/app_state.h"

// The application record of the harness, cleared and given fresh channels.
AppState* Fuzz_FreshApp();
// Writes the bytes to a file named in<ext> in the harness's tmpfs folder,
// loads it into channel 0 and, when that succeeds, once more at the channel
// after those in use ("Load data for next channel"); then checks the round
// trips of what was loaded.  The file is removed again.
void Fuzz_LoadInput(const uint8_t* data, size_t size, const char* ext);
// Scales the channels in use to their data as the editor does after a load,
// saves them in every format, loads each file back and aborts when channels,
// sample counts or values (within each format's precision) differ.
void Fuzz_CheckRoundTrips(AppState* app);
