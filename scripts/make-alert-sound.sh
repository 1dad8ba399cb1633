#!/usr/bin/env bash
# Regenerates assets/bg.mp3: a two-note chime, MP3 frames behind an ID3v2.4 tag.
# Needs sox, lame and python3 (not build dependencies: the file is kept in the repository).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 1 "$work/chime.wav" \
  synth 0.18 sine 880 fade h 0.005 0.18 0.12 : synth 0.30 sine 1318.5 fade h 0.005 0.30 0.25 gain -3
lame --quiet -b 128 --noreplaygain -t "$work/chime.wav" "$work/frames.mp3"
python3 - "$work/frames.mp3" assets/bg.mp3 <<'PY'
import sys

def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

def text_frame(frame_id, text):
    body = b"\x03" + text.encode("utf-8")  # encoding 3: UTF-8, new in v2.4
    return frame_id.encode() + synchsafe(len(body)) + b"\x00\x00" + body

frames = text_frame("TIT2", "lijin-claimer alert") + text_frame("TSSE", "LAME 3.100")
tag = b"ID3\x04\x00\x00" + synchsafe(len(frames)) + frames
audio = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(tag + audio)
PY
