#!/usr/bin/env bash
# Builds the fuzz harnesses with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, no recovery) into build-fuzz and runs each for
# SECONDS seconds (default 15) on the seed corpus of make_corpus.sh.  Corpus,
# inputs and saved files live in one tmpfs folder that is removed at the end;
# a failing input is printed (base64) with the harness's report.  Without
# clang it says so and succeeds.
set -uo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-15}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ is not installed (scripts/install-deps.sh fuzz installs it); skipped"
  exit 0
fi
SAN="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -gline-tables-only"
LAUNCHER=""
command -v ccache >/dev/null 2>&1 && LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DPLOTSMITH_CORE_ONLY=ON \
  -DPLOTSMITH_BENCH=OFF -DPLOTSMITH_FUZZ=ON -DCMAKE_CXX_FLAGS="$SAN" $LAUNCHER >/dev/null || exit 1
harnesses=(fuzz_text fuzz_wave fuzz_sound fuzz_ref fuzz_lowpass)
cmake --build build-fuzz -j"$(nproc)" --target "${harnesses[@]}" >/dev/null || { echo "fuzz: build failed"; exit 1; }

base=/dev/shm
[ -w "$base" ] || base=${TMPDIR:-/tmp}
work=$(mktemp -d "$base/plotsmith_fuzz.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
tests/fuzz/make_corpus.sh "$work/seeds" || exit 1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
# The leaks of the system's libraries that .ci/run also suppresses.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/.ci/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for h in "${harnesses[@]}"; do
  corpus="$work/corpus_$h"
  mkdir -p "$corpus" "$work/art_$h"
  cp "$work/seeds/${h#fuzz_}/"* "$corpus/"
  # -timeout catches a load that never returns; -rss_limit_mb one that never stops growing.
  if TMPDIR="$work" build-fuzz/tests/fuzz/$h "$corpus" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$work/art_$h/" -print_final_stats=1 \
      >"$work/$h.log" 2>&1; then
    echo "fuzz: $h: $(grep -E '^stat::number_of_executed_units' "$work/$h.log" | awk '{print $2}') inputs," \
      "$(grep -E '^stat::average_exec_per_sec' "$work/$h.log" | awk '{print $2}')/s, no failure"
  else
    status=1
    echo "fuzz: $h FAILED"
    tail -60 "$work/$h.log"
    for f in "$work/art_$h"/*; do
      [ -f "$f" ] && { echo "failing input $(basename "$f") (base64):"; base64 "$f" | head -50; }
    done
  fi
done
exit $status
