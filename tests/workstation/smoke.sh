#!/usr/bin/env bash
# Starts the real workstation under a virtual X server on a generated program
# directory, opens every window through the menus and closes them all by
# closing the main window; then opens a two-track set in the set editor,
# plays it on the null device, moves a segment, commits, mixes it down and
# closes. Arguments: vantor-workstation, vantor, make_demo_songs.
set -euo pipefail
workstation="$1"; vantor="$2"; songs="$3"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
"$songs" "$home" 8 "Smoke One - First:124:8" "Smoke Two - Second:128:8" >/dev/null
"$vantor" --home "$home" db add "$home"/*.wav >/dev/null
"$vantor" --home "$home" --yes set new "$home/smoke.set" >/dev/null
"$vantor" --home "$home" set add "$home/smoke.set" --track 1 --at 0 "$home/Smoke One - First.wav" --to 6 >/dev/null
"$vantor" --home "$home" set add "$home/smoke.set" --track 2 --at 4 "$home/Smoke Two - Second.wav" --to 6 >/dev/null
cd "$home"
xvfb-run -a -s "-screen 0 1600x1000x24" "$workstation" --walk-menus
exec xvfb-run -a -s "-screen 0 1600x1000x24" "$workstation" --walk-set "$home/smoke.set"
