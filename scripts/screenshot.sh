#!/bin/sh
# Takes the README's picture of the main window: starts the editor on a virtual
# screen under a small window manager with a generated stereo wave file (two
# channels), draws a selection with the mouse as a user would, and saves the
# window with its frame as a PNG.
#   scripts/screenshot.sh [editor binary] [output png]
# Needs python3, xvfb-run, openbox, xdotool and ImageMagick's import
# (apt-get install xvfb openbox xdotool imagemagick).
set -eu
BIN=$(realpath "${1:-build/plotsmith}")
OUT=$(realpath -m "${2:-docs/main-window.png}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$(dirname "$OUT")"

# Settings of its own, so that the window opens at a known place and size.
export XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME"
printf '[MainWnd]\nLeft=20\nTop=40\nWidth=760\nHeight=480\n' >"$XDG_CONFIG_HOME/Plotsmth.ini"

# Left: a damped oscillation; right: the same with a slow drift and ripple.
python3 - "$WORK/damped.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(8000)
    frames = bytearray()
    for i in range(800):
        left = math.exp(-i / 300) * math.sin(i / 14) * 20000
        right = 0.6 * left + 4000 * math.sin(i / 90) + 1500 * math.sin(i / 3)
        frames += struct.pack("<hh", int(left), int(right))
    w.writeframes(bytes(frames))
PY

xvfb-run -a -s "-screen 0 1280x900x24" sh -c '
  openbox >/dev/null 2>&1 &
  sleep 1
  cd "$4" && "$1" "$2" >/dev/null 2>&1 &
  editor=$!
  id=$(xdotool search --sync --onlyvisible --name "Plot Smith" | head -n 1)
  sleep 1
  xdotool windowactivate --sync "$id"
  eval "$(xdotool getwindowgeometry --shell "$id")"
  # A rubber band over the second and third swing; the popup at its end is closed.
  xdotool mousemove $((X + 250)) $((Y + 90)) mousedown 1 sleep 0.2 \
    mousemove $((X + 330)) $((Y + 200)) sleep 0.2 mousemove $((X + 400)) $((Y + 330)) sleep 0.2 mouseup 1
  sleep 0.5
  xdotool key Escape
  xdotool mousemove $((X + 560)) $((Y + 180))
  sleep 0.8
  import -frame -window "$id" "$3"
  kill "$editor"
' sh "$BIN" damped.wav "$OUT" "$WORK"
echo "wrote $OUT"
