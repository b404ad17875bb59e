#!/usr/bin/env bash
# `bookstub make` of many tiny pictures: what the pages themselves cost once the pictures cost
# nothing (the documents, the table of contents, the packing). The pictures are 2 x 2 PNGs,
# generated; the baseline is the make of the first count. Prints, for each count, the time, the
# peak memory and both ratios against the baseline. Slow (minutes for 20,000 pictures): it is
# not part of the test run.
#   bench/make-many-bench.sh [BOOKSTUB [PLAYER [COUNT...]]]     (counts: 1000 5000 20000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bookstub=${1:-$root/build/default/tools/bookstub}
player=${2:-$root/build/default/app/bookstub-player}
shift $(($# > 2 ? 2 : $#))
counts=("$@")
((${#counts[@]})) || counts=(1000 5000 20000)

for tool in vips /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "make-many-bench: $tool missing (libvips-tools, time)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
vips black "$work/tiny.png" 2 2 --bands 3

echo "pictures  seconds  peak MiB  time ratio  peak ratio"
base_s="" base_kb=""
for count in "${counts[@]}"; do
  rm -rf "$work/pictures" "$work/book"
  mkdir "$work/pictures"
  for ((i = 1; i <= count; i++)); do cp "$work/tiny.png" "$work/pictures/page$i.png"; done
  /usr/bin/time -f "%e %M" -o "$work/time" \
    "$bookstub" make --quiet --title Many --player "$player" -o "$work/book" "$work/pictures"
  read -r s kb <"$work/time"
  : "${base_s:=$s}" "${base_kb:=$kb}"
  awk -v n="$count" -v s="$s" -v kb="$kb" -v bs="$base_s" -v bkb="$base_kb" \
    'BEGIN {printf "%8d  %7.1f  %8.0f  %10.2f  %10.2f\n", n, s, kb / 1024, s / bs, kb / bkb}'
done
