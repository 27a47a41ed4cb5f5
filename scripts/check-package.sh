#!/bin/sh
# Unpacks the Debian package of a build into a scratch root (dpkg -x, nothing
# is installed on the machine) and checks it as check-install.sh checks an
# install: every file of the install rule under usr/, and the packaged
# plotsmith-cli runs.
#   scripts/check-package.sh <build folder>
set -eu
BUILD=${1:-build}
set -- "$BUILD"/plotsmith_*_amd64.deb
if [ ! -e "$1" ] || [ $# -ne 1 ]; then
  echo "no single package $BUILD/plotsmith_*_amd64.deb (make package builds it)"
  exit 1
fi
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
dpkg -x "$1" "$ROOT"
dpkg-deb -f "$1" Depends | grep -q 'libqt6' || { echo "package depends on no Qt library: $1"; exit 1; }
"$(dirname "$0")/check-install.sh" "$BUILD" "$ROOT/usr"
