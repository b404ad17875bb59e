#!/usr/bin/env bash
# `bookstub make` against vipsthumbnail making the same derived images: for every picture a page
# picture and a zoom copy (JPEG, fitted into 1200 and 2400 pixels). The pictures are COUNT JPEGs
# of WIDTH x HEIGHT pixels, generated; make also writes the documents and packs the book onto
# the player. Prints both times (wall clock, the faster of two runs each), both peak memories,
# the ratio and the goal.
#   bench/make-bench.sh [BOOKSTUB [PLAYER [COUNT [WIDTH HEIGHT]]]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bookstub=${1:-$root/build/default/tools/bookstub}
player=${2:-$root/build/default/app/bookstub-player}
count=${3:-30} width=${4:-2500} height=${5:-3500}
readonly goal=1.5

for tool in vips vipsthumbnail /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "make-bench: $tool missing (libvips-tools, time)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pictures" "$work/thumbnails"

# A scan-like page: light paper with fine grain, saved as a JPEG of about the size scans have.
vips gaussnoise "$work/grain.v" "$width" "$height" --mean 215 --sigma 14
vips jpegsave "$work/grain.v" "$work/page.jpg" --Q 85
rm "$work/grain.v"
for ((i = 1; i <= count; i++)); do cp "$work/page.jpg" "$work/pictures/page$i.jpg"; done
cat "$work"/pictures/* >/dev/null  # both runs start with the pictures in the page cache

# Prints "SECONDS PEAK_KB" of a command.
measure() {
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null
  cat "$work/time"
}
run_make() {
  rm -f "$work/book"
  measure "$bookstub" make --quiet --title Bench --player "$player" -o "$work/book" "$work/pictures"
}
run_thumbnails() {
  rm -f "$work"/thumbnails/*
  measure bash -c '
    vipsthumbnail -s 2400 -o "$2/%s_zoom.jpg" "$1"/*.jpg &&
    vipsthumbnail -s 1200 -o "$2/%s_page.jpg" "$1"/*.jpg' _ "$work/pictures" "$work/thumbnails"
}
# Each twice, taking turns, and the faster run of each: other work on the machine only ever
# slows a run down.
read -r make_s make_kb < <(run_make)
read -r thumb_s thumb_kb < <(run_thumbnails)
read -r s kb < <(run_make)
if awk -v a="$s" -v b="$make_s" 'BEGIN {exit !(a < b)}'; then make_s=$s make_kb=$kb; fi
read -r s kb < <(run_thumbnails)
if awk -v a="$s" -v b="$thumb_s" 'BEGIN {exit !(a < b)}'; then thumb_s=$s thumb_kb=$kb; fi

echo "pictures:       $count of $width x $height (JPEG, $(du -k "$work/page.jpg" | cut -f1) KB each)"
echo "bookstub make:  $make_s s, peak $((make_kb / 1024)) MiB"
echo "vipsthumbnail:  $thumb_s s, peak $((thumb_kb / 1024)) MiB"
awk -v a="$make_s" -v b="$thumb_s" -v goal="$goal" \
  'BEGIN {printf "ratio:          %.2f (goal: at most %.1f)\n", a / b, goal}'
