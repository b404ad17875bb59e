#!/usr/bin/env bash
# The demo source book (examples/demo-book, laid out by the build) packed with `bookstub pack`,
# then checked by tests/tools/round-trip.sh: unpacked and packed again, it splits the same.
#   demo-round-trip.sh <bookstub> <bookstub-player> <demo source book> <work>
set -euo pipefail
bookstub=$1 player=$2 source=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
"$bookstub" pack --player "$player" --source "$source" -o "$work/demo" >/dev/null
"$(dirname "$0")/../tools/round-trip.sh" "$bookstub" "$work/demo" "$player" "$work/trip"
