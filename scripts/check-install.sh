#!/bin/sh
# Installs the build into a temporary prefix and checks that a desktop finds
# everything: the programs, the menu entry, the file type and the icons.  With
# a second argument the files are looked for there instead (for example the
# usr/ of an unpacked Debian package), nothing is installed.
#   scripts/check-install.sh <build folder> [installed prefix]
set -eu
BUILD=${1:-build}
if [ $# -ge 2 ]; then
  PREFIX=$2
else
  PREFIX=$(mktemp -d)
  trap 'rm -rf "$PREFIX"' EXIT
  cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null
fi
fail=0
need() {
  if [ ! -e "$PREFIX/$1" ]; then
    echo "missing after install: $1"
    fail=1
  fi
}
need bin/plotsmith-cli
if ! "$PREFIX/bin/plotsmith-cli" --version >/dev/null 2>&1; then
  echo "installed plotsmith-cli --version does not run"
  fail=1
fi
if [ -e "$BUILD/plotsmith" ]; then
  need bin/plotsmith
  need bin/plotsmith-render
  need share/icons/hicolor/32x32/apps/plotsmith.png
  need share/icons/hicolor/16x16/apps/plotsmith.png
fi
# The installed plotsmith-cli finds plotsmith-render beside it: render's own
# refusal of missing arguments answers, not the note about a missing program.
if [ -e "$PREFIX/bin/plotsmith-render" ] &&
   ! "$PREFIX/bin/plotsmith-cli" render 2>&1 | grep -q 'render wants input files'; then
  echo "installed plotsmith-cli render does not reach plotsmith-render"
  fail=1
fi
need share/applications/plotsmith.desktop
need share/mime/packages/plotsmith.xml
desktop="$PREFIX/share/applications/plotsmith.desktop"
if [ -e "$desktop" ]; then
  for line in 'Exec=plotsmith %f' 'Icon=plotsmith' 'Type=Application'; do
    grep -qx "$line" "$desktop" || { echo "desktop entry lacks: $line"; fail=1; }
  done
  for type in text/plain audio/x-wav audio/wav application/x-plotsmith-spectrum-ref audio/flac audio/ogg audio/mpeg; do
    grep -q "^MimeType=.*$type;" "$desktop" || { echo "desktop entry lacks the type $type"; fail=1; }
  done
  if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail=1
  fi
fi
exit $fail
