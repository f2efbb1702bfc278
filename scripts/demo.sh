#!/usr/bin/env bash
# The main job on generated data: three synthetic songs at 124, 128 and 132
# BPM go into a music database in demo/ and are analysed (start, tempo,
# loudness); a four-track set matches them to 130 BPM with overlapping, faded
# segments and a track effect from Tonebank.so, is edited by a `vantor edit`
# script (split, copy and paste, drag, undo), and is mixed down to
# demo/mix.wav.
set -euo pipefail
build="$(realpath "$(dirname "$1")")"
vantor="$build/vantor"
root="$(realpath "$(dirname "$0")/..")"
home="$root/demo"
start=$(date +%s%N)

rm -rf "$home"
mkdir -p "$home/music"
v() { "$vantor" --home "$home" "$@"; }

echo "== songs"
"$build/make_demo_songs" "$home/music" 60 \
  "DJ Alpha - Night Drive (Club Mix):124:55" \
  "Beta Crew - Warehouse (Dub):128:49" \
  "Gamma - Sunrise (Original Mix):132:58.27"
a="$home/music/DJ Alpha - Night Drive (Club Mix).wav"
b="$home/music/Beta Crew - Warehouse (Dub).wav"
c="$home/music/Gamma - Sunrise (Original Mix).wav"

echo "== configuration and database"
v config set tracks 4 >/dev/null
v config set effects-directory "$build" 2>/dev/null >/dev/null
# The fades the mixing wizard applies, delivered in EFFECTS.PST.
v --yes presets add --fades >/dev/null
v db add "$home/music/"*.wav

echo "== analysis: start, tempo and loudness of each song, stored in its profile"
for song in "$a" "$b" "$c"; do
  v analyze "$song" --apply
done
v db list

echo "== set"
set="$home/demo.set"
v --yes set new "$set"
# Each song resampled to the set's 130 BPM; the segments overlap for the mixes.
v set add "$set" --track 1 --at 0 "$a" --to 50 --fit-tempo
v set add "$set" --track 2 --at 36 "$b" --from 4 --to 58 --fit-tempo
v set add "$set" --track 3 --at 76 "$c" --from 2 --fit-tempo
v set add "$set" --track 4 --at 20 "$c" --from 30 --to 46 --ratio 0.985
# Crossfades: volume envelopes (dB) over the overlaps.
v set effect "$set" --track 1 --at 1 Volume Level 36:0 46:-50
v set effect "$set" --track 2 --at 40 Volume Level 0:-50 8:0 40:0 48:-50
v set effect "$set" --track 3 --at 80 Volume Level 0:-50 6:0
v set effect "$set" --track 4 --at 21 Volume Level 0:-50 4:-6 12:-6 16:-50
# A constant echo on track 4.
v set track-effect "$set" --track 4 Echo Decay 0.35
v set track-effect "$set" --track 4 Echo Delay 0.46

echo "== editing: the set editor's commands from a script"
# Track 4's section of Gamma is split at 28 s and its second half repeated
# at bar 33 over the second song; a stray split is taken back, and the copy
# is dragged one bar later on the bar grid.
cat > "$home/edit.txt" <<'SCRIPT'
select 4 @24
marker left 28
split
select 4 @30
copy
track 4
marker left 59.077
paste
select 4 @62
marker left 64
split
undo
drag 4 @62 +1.846
status
save
SCRIPT
v edit "$set" --script "$home/edit.txt"
v set show "$set"

echo "== mixdown"
v mixdown "$set" "$home/mix.wav"
end=$(date +%s%N)
echo "demo finished in $(( (end - start) / 1000000 )) ms: $home/mix.wav"
