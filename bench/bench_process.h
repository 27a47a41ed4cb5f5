#pragma once
// Runs a whole process per benchmark iteration, for the figures of
// plotsmith-cli beside the tools users compare it with: its output goes to
// /dev/null, and a tool that is missing or fails is skipped with a message.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// Runs argv (the program looked up on PATH) with stdout and stderr to
// /dev/null and waits for it; the exit status, or -1 when it could not run or
// did not exit.
int BenchProcess_Run(const std::vector<std::string>& args);
// Runs args once to see that it works (else skips the benchmark with an
// error), then once per iteration.
void BenchProcess_Time(benchmark::State& state, const std::vector<std::string>& args);
