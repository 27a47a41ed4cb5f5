#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Plotsmith needs to build, test and run
# (and, with the argument "fuzz", to fuzz).
# Idempotent: prints nothing and touches nothing when every package is present.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# libsndfile reads and writes the audio formats beyond our own WAV code; Qt's SVG
# module writes vector pictures; dpkg-dev and file let CPack build the Debian package.
PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-svg-dev libgl-dev libsndfile1-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-dejavu-core dpkg-dev file)
# "install-deps.sh fuzz" adds clang with libFuzzer for tests/fuzz/run.sh; the
# fuzzer's runtime is a package of its own where the distribution splits it
# (only recommended by clang, so it is named here).  A new machine may have no
# package lists yet: they are read before asking whether that package exists.
if [ "${1:-}" = "fuzz" ]; then
  PACKAGES+=(clang)
  apt-cache show clang >/dev/null 2>&1 || $SUDO apt-get update -qq
  apt-cache show libclang-rt-dev >/dev/null 2>&1 && PACKAGES+=(libclang-rt-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
