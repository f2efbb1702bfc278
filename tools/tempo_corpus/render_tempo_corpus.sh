#!/usr/bin/env bash
# Renders the tempo corpus: writes the pieces' MIDI files with the generator,
# then each to a 16-bit stereo 44100 Hz wave through fluidsynth and the
# General-MIDI sound font from Debian's fluid-soundfont-gm. Pieces already
# rendered are kept, so a second run costs nothing.
#
#   render_tempo_corpus.sh GENERATOR DIR [FIRST_SEED]
set -euo pipefail

generator=$1
dir=$2
seed=${3:-1}
font=/usr/share/sounds/sf2/FluidR3_GM.sf2
if ! command -v fluidsynth >/dev/null 2>&1 || [ ! -f "$font" ]; then
  echo "render_tempo_corpus: fluidsynth and $font are needed (scripts/install-deps.sh installs them)" >&2
  exit 1
fi
mkdir -p "$dir/new"
"$generator" "$dir/new" "$seed"
# Only pieces that changed are replaced, so their waves alone are rendered anew.
for f in "$dir"/new/*; do
  cmp -s "$f" "$dir/${f##*/}" || mv "$f" "$dir/"
done
rm -rf "$dir/new"

render() {
  local midi=$1 wave=${1%.mid}.wav
  # A wave newer than its piece is up to date.
  [ -s "$wave" ] && [ "$wave" -nt "$midi" ] && return 0
  fluidsynth -n -i -q -r 44100 -g 1.0 -O s16 -T wav -F "$wave.part" "$font" "$midi" >/dev/null 2>&1
  mv "$wave.part" "$wave"
}
export -f render
export font
ls "$dir"/*.mid | xargs -P 2 -I{} nice -n 10 bash -c 'render "$1"' _ {}
