#!/usr/bin/env bash
# The main job on generated data: builds a set in demo/ and shows it.
set -euo pipefail
vantor="$(realpath "$1")"
cd "$(dirname "$0")/.."
mkdir -p demo
cd demo
start=$(date +%s%N)
"$vantor" --home . config set tracks 4 >/dev/null
"$vantor" --home . --yes set new demo.set
"$vantor" --home . set show demo.set
end=$(date +%s%N)
echo "demo finished in $(( (end - start) / 1000000 )) ms"
