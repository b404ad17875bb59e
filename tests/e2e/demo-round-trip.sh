#!/usr/bin/env bash
# The demo book (generated pages; the Haxe viewer movie when it was built, else a generated
# movie) made by the demo's book maker, then checked by tests/tools/round-trip.sh.
#   demo-round-trip.sh <bookstub> <bookstub-make-book> <bookstub-player> <harness> <work> [viewer.swf]
set -euo pipefail
bookstub=$1 make_book=$2 player=$3 harness=$4 work=$5 viewer=${6:-}
rm -rf "$work"
mkdir -p "$work"
if [[ -z $viewer || ! -f $viewer ]]; then
  viewer="$work/book.swf"
  "$harness" write-movie "$viewer" 30
fi
"$make_book" --player "$player" --movie "$viewer" --output "$work/demo" --pages 8 \
  --title "Bookstub demo book" >/dev/null
"$(dirname "$0")/../tools/round-trip.sh" "$bookstub" "$work/demo" "$player" "$work/trip"
