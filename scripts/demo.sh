#!/usr/bin/env bash
# The main job on generated data: three synthetic songs at 124, 128 and 132
# BPM go into a music database in demo/ and are analysed (start, tempo,
# loudness); a four-track set matches them to 130 BPM with a track effect
# from Tonebank.so. A `vantor edit` script joins the songs with the mixing
# wizard (a mix with fades over whole bars, and a mix whose mixing point is
# marked with a tempo change), edits the set (split, copy and paste, drag,
# undo), and stores the first mix as a mixing design with its song; a second
# set applies that design. The set is mixed down to demo/mix.wav.
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
# Each song resampled to the set's 130 BPM, one after the other; the mixing
# wizard places the joins.
v set add "$set" --track 1 --at 0 "$a" --to 50 --fit-tempo
v set add "$set" --track 2 --at 48 "$b" --from 4 --to 58 --fit-tempo
v set add "$set" --track 3 --at 102 "$c" --from 2 --fit-tempo
v set add "$set" --track 4 --at 20 "$c" --from 30 --to 46 --ratio 0.985
# A sample of the third song over the first: a volume envelope (dB).
v set effect "$set" --track 4 --at 21 Volume Level 0:-50 4:-6 12:-6 16:-50
# A constant echo on track 4.
v set track-effect "$set" --track 4 Echo Decay 0.35
v set track-effect "$set" --track 4 Echo Delay 0.46

echo "== editing: the mixing wizard and the set editor's commands from a script"
# The Mixing Helper joins Warehouse to Night Drive: Night Drive's 36 s meets
# Warehouse's 4 s, with a fade-in of 2 bars, 2 bars held and 2 bars of
# fade-out at 130 BPM; Night Drive ends where its fade-out does. Sunrise
# joins Warehouse the same way, its mixing point marked with a tempo change.
# Track 4's section of Gamma is split at 28 s and its second half repeated
# at bar 33 over the second song; a stray split is taken back, and the copy
# is dragged one bar later on the bar grid. The section around the first mix
# is stored as a mixing design with Night Drive.
cat > "$home/edit.txt" <<'SCRIPT'
mix-helper 1 @10 2 @50 c1=36 c2=4 fades=2,2,2
mix-helper 2 @50 3 @110 c1=45.5 c2=2 fades=2,1,2 mark=on
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
marker left 34
marker right 50
design create "Night Drive into Warehouse" type=mix-out
status
save
SCRIPT
v edit "$set" --script "$home/edit.txt"
v set show "$set"

echo "== a second set: Night Drive alone, then the stored mixing design applied to it"
set2="$home/design.set"
v --yes set new "$set2"
v set add "$set2" --track 1 --at 0 "$a" --to 50 --fit-tempo
cat > "$home/design.txt" <<'SCRIPT'
select 1 @5
design apply "Night Drive into Warehouse"
status
save
SCRIPT
v edit "$set2" --script "$home/design.txt"
v set show "$set2"

echo "== mixdown"
v mixdown "$set" "$home/mix.wav"
end=$(date +%s%N)
echo "demo finished in $(( (end - start) / 1000000 )) ms: $home/mix.wav"
