#!/usr/bin/env bash
# `bookstub make` of many tiny pictures keeps its peak memory flat: the peak for COUNT pictures
# stays within twice the peak for a twentieth of them (before streaming: 12 times), measured in
# the same run, and
# the book holds every page. Slow (minutes for 20,000 pictures): skipped unless
# BOOKSTUB_SLOW_TESTS=1 (`BOOKSTUB_SLOW_TESTS=1 ctest --test-dir build/default -L slow`).
#   make-many-pictures.sh BOOKSTUB PLAYER [COUNT]
set -euo pipefail
[[ ${BOOKSTUB_SLOW_TESTS:-} == 1 ]] || { echo "make-many-pictures: slow, skipped (BOOKSTUB_SLOW_TESTS=1 runs it)"; exit 77; }
bookstub=$1 player=$2 count=${3:-20000}
command -v /usr/bin/time >/dev/null || { echo "make-many-pictures: /usr/bin/time missing" >&2; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 2 x 2 PNG, written byte by byte.
printf '\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x02\x00\x00\x00\xfd\xd4\x9a\x73\x00\x00\x00\x09\x70\x48\x59\x73\x00\x00\x03\xe8\x00\x00\x03\xe8\x01\xb5\x7b\x52\x6b\x00\x00\x00\x0b\x49\x44\x41\x54\x08\x99\x63\x60\x40\x06\x00\x00\x0e\x00\x01\xb1\x9a\xea\x06\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82' >"$work/tiny.png"

peak_kib() {  # peak_kib N: makes a book of N pictures, prints its peak memory in KiB
  local n=$1 i
  rm -rf "$work/pictures" "$work/book"
  mkdir "$work/pictures"
  for ((i = 1; i <= n; i++)); do ln "$work/tiny.png" "$work/pictures/page$i.png"; done
  /usr/bin/time -f "%M" -o "$work/peak" \
    "$bookstub" make --quiet --title Many --player "$player" -o "$work/book" "$work/pictures"
  pages=$("$bookstub" info "$work/book" | sed -n 's/^Pages (first chapter): //p')
  [[ $pages == "$n" ]] || { echo "a make of $n pictures gave $pages pages" >&2; exit 1; }
  cat "$work/peak"
}

small=$(peak_kib $((count / 20)))
large=$(peak_kib "$count")
echo "peak: $((small / 1024)) MiB for $((count / 20)) pictures, $((large / 1024)) MiB for $count"
((large <= small * 2)) || { echo "the peak grows with the number of pictures" >&2; exit 1; }
