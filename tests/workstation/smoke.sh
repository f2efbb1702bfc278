#!/usr/bin/env bash
# Starts the real workstation under a virtual X server on a generated program
# directory, opens every window through the menus and closes them all by
# closing the main window. Arguments: vantor-workstation, vantor, make_demo_songs.
set -euo pipefail
workstation="$1"; vantor="$2"; songs="$3"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
"$songs" "$home" 8 "Smoke One - First:124:8" "Smoke Two - Second:128:8" >/dev/null
"$vantor" --home "$home" db add "$home"/*.wav >/dev/null
cd "$home"
exec xvfb-run -a -s "-screen 0 1600x1000x24" "$workstation" --walk-menus
