#!/usr/bin/env bash
# Writes the seed corpus of the fuzz harnesses into DIR/text, DIR/wave,
# DIR/sound, DIR/ref and DIR/lowpass: small valid files of each layout the
# readers take, so that fuzzing starts from inputs that get past the first
# checks.  The sound seeds (and the WAV layouts only libsndfile reads) are
# made by sox and opusenc; without them DIR/sound holds one WAV file.
set -euo pipefail
out=${1:?usage: make_corpus.sh DIR}
mkdir -p "$out/text" "$out/wave" "$out/sound" "$out/ref" "$out/lowpass"

# Little-endian integers as raw bytes.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
# fmt chunk: tag channels rate bits [extensible-subformat]
fmt() {
  local tag=$1 nch=$2 rate=$3 bits=$4 sub=${5:-}
  local align=$((nch * ((bits + 7) / 8)))
  printf 'fmt '
  if [ -n "$sub" ]; then le32 40; le16 65534; else le32 16; le16 "$tag"; fi
  le16 "$nch"
  le32 "$rate"; le32 $((rate * align)); le16 "$align"; le16 "$bits"
  if [ -n "$sub" ]; then
    le16 22; le16 "$bits"; le32 0; le16 "$sub"
    printf '\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71'
  fi
}
# wave NAME FMT-ARGS... -- DATA-BYTES-AS-PRINTF
wave() {
  local name=$1 data=$2; shift 2
  local body; body=$(mktemp)
  { fmt "$@"; printf 'data'; le32 $(printf "$data" | wc -c); printf "$data"; } >"$body"
  { printf 'RIFF'; le32 $((4 + $(wc -c <"$body"))); printf 'WAVE'; cat "$body"; } >"$out/wave/$name"
  rm -f "$body"
}
wave mono16.wav '\x00\x80\xff\x7f\x00\x00\x10\x00' 1 1 8000 16
wave stereo8.wav '\x00\xff\x80\x7f\x01\x02' 1 2 11025 8
wave pcm24.wav '\xff\xff\x7f\x00\x00\x80\x01\x00\x00' 1 1 48000 24
wave pcm32x.wav '\xff\xff\xff\x7f\x00\x00\x00\x80\x01\x00\x00\x00\x00\x00\x00\x00' 1 2 44100 32 1
wave float32x.wav '\x00\x00\x80\x3f\x00\x00\x80\xbf\x00\x00\x00\x00' 3 1 1000 32 3
wave four16.wav '\x01\x00\x02\x00\x03\x00\x04\x00\x05\x00\x06\x00\x07\x00\x08\x00' 1 4 8000 16
{ printf 'RIFF'; le32 63; printf 'WAVE'; printf 'LIST'; le32 5; printf 'INFOx\0'; fmt 1 1 100 16
  printf 'data'; le32 4; printf '\x01\x00\x02\x00'; } >"$out/wave/odd_chunk.wav"

# Sound files: a twentieth of a second of a tone in each format, and the WAV
# layouts the own reader leaves to libsndfile (also seeds of the wave reader).
cp "$out/wave/mono16.wav" "$out/sound/"
if command -v sox >/dev/null 2>&1; then
  tone() { sox -q -n -r 8000 -c "${2:-1}" "${@:3}" "$out/sound/$1" synth 0.05 sine 300 2>/dev/null || true; }
  for f in tone.flac tone.ogg tone.aiff tone.au tone.w64 tone.caf tone.mp3; do tone "$f" 2; done
  tone alaw.wav 1 -e a-law; tone ulaw.wav 1 -e u-law; tone ima.wav 1 -e ima-adpcm; tone ms.wav 1 -e ms-adpcm
  tone gsm.wav 1 -e gsm-full-rate; tone double.wav 1 -b 64 -e float; tone rifx.wav 2 -b 16 -B
  cp "$out/sound/"*.wav "$out/wave/"
  if command -v opusenc >/dev/null 2>&1; then
    opusenc --quiet "$out/sound/rifx.wav" "$out/sound/tone.opus" 2>/dev/null ||
      opusenc --quiet "$out/wave/mono16.wav" "$out/sound/tone.opus" 2>/dev/null || true
  fi
fi

printf '; Saved by Plotsmith\r\nsamples_per_second=1000.000000\r\nn_samples=3\r\nn_channels=2\r\ndata_type=int16\r\narray=\r\n  -32767,0,  12,32767,  5,-5\r\nend_array\r\n' >"$out/text/header.txt"
printf '1.5\n-2\n3e1\ninf\n-inf\nnan\n' >"$out/text/plain.txt"
printf 'time,left,right\r\n0,0.5,-0.5\r\n1,0.25,-0.25\r\n' >"$out/text/pandas.csv"
printf '# a;b;c\n1;2;3\n4;5\n' >"$out/text/numpy.txt"
printf '\xEF\xBB\xBFsamples_per_second=1e300\nn_channels=0\narray=\n1 2\t3\n' >"$out/text/bom.txt"

printf '; Saved by Plotsmith\r\ntime=12.500000\r\ntype=float_array\r\nbin_width_hz=10.000000\r\noffset_hz=1000.000000\r\nnr_of_bins=4\r\ncomps_per_bin=1\r\nscale_unit=0\r\nscale_factor=1.000000\r\nscale_offset=0.000000\r\navrg_count=1\r\narray=\r\n1.000000\r\n-2.500000\r\n0.000001\r\n3.000000\r\nend\r\n' >"$out/ref/typical.ref"
printf 'iNrOfBins=0\niCompsPerBin=7\ntype=complex_array\n0.5\n1e308\n-1e308\nend\n' >"$out/ref/bare.ref"

# Low-pass: cut-off byte, width byte, first, last, then raw doubles.
printf '\x80\x20\x00\x00' >"$out/lowpass/empty"
{ printf '\x40\x30\x00\x00'; for i in 0 1 2 3 4 5 6 7; do printf '\x00\x00\x00\x00\x00\x00\xf0\x3f\x00\x00\x00\x00\x00\x00\xf0\xbf'; done; } >"$out/lowpass/square"
{ printf '\xff\x00\x03\x09'; for i in 0 1 2 3 4 5; do printf '\x00\x00\x00\x00\x00\x00\xf0\x7f\x01\x00\x00\x00\x00\x00\x00\x00'; done; } >"$out/lowpass/inf_denormal"
