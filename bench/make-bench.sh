#!/usr/bin/env bash
# `bookstub make` against vipsthumbnail making the same derived images: for every picture a page
# picture and a zoom copy (JPEG, fitted into 1200 and 2400 pixels). The pictures are COUNT JPEGs
# of WIDTH x HEIGHT pixels, generated; make also writes the documents and packs the book onto
# the player. Prints both times (wall clock, the faster of two runs each), both peak memories,
# the ratio and the goal.
# Then the same for a PDF of PDF_PAGES (default 100) A4 pages full of text, generated, against
# pdftoppm rendering the same two sizes of every page (make also takes the words, links and
# outline); make's peak memory is measured again on a PDF a quarter as long, to show that it
# does not grow with the page count.
#   bench/make-bench.sh [BOOKSTUB [PLAYER [COUNT [WIDTH HEIGHT]]]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bookstub=${1:-$root/build/default/tools/bookstub}
player=${2:-$root/build/default/app/bookstub-player}
count=${3:-30} width=${4:-2500} height=${5:-3500}
readonly goal=1.5

pdf_pages=${PDF_PAGES:-100}
write_pdf=${WRITE_PDF:-$root/build/default/tests/e2e/bookstub-write-test-pdf}
readonly pdf_goal=1.2

for tool in vips vipsthumbnail pdftoppm /usr/bin/time "$write_pdf"; do
  command -v "$tool" >/dev/null ||
    { echo "make-bench: $tool missing (libvips-tools, poppler-utils, time, the build)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pictures" "$work/thumbnails" "$work/rendered"

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
# Runs OURS and BASELINE (commands) twice each, taking turns, and prints the faster run of each:
# "SECONDS PEAK_KB SECONDS PEAK_KB". Other work on the machine only ever slows a run down.
faster_of_two() {
  local ours_s ours_kb base_s base_kb s kb
  read -r ours_s ours_kb < <($1)
  read -r base_s base_kb < <($2)
  read -r s kb < <($1)
  if awk -v a="$s" -v b="$ours_s" 'BEGIN {exit !(a < b)}'; then ours_s=$s ours_kb=$kb; fi
  read -r s kb < <($2)
  if awk -v a="$s" -v b="$base_s" 'BEGIN {exit !(a < b)}'; then base_s=$s base_kb=$kb; fi
  echo "$ours_s $ours_kb $base_s $base_kb"
}
read -r make_s make_kb thumb_s thumb_kb < <(faster_of_two run_make run_thumbnails)

echo "pictures:       $count of $width x $height (JPEG, $(du -k "$work/page.jpg" | cut -f1) KB each)"
echo "bookstub make:  $make_s s, peak $((make_kb / 1024)) MiB"
echo "vipsthumbnail:  $thumb_s s, peak $((thumb_kb / 1024)) MiB"
awk -v a="$make_s" -v b="$thumb_s" -v goal="$goal" \
  'BEGIN {printf "ratio:          %.2f (goal: at most %.1f)\n", a / b, goal}'

# The PDF row: a long manual's text, drawn by cairo (as LaTeX or a word processor would write it).
"$write_pdf" "$work/manual.pdf" text "$pdf_pages"
"$write_pdf" "$work/short.pdf" text "$((pdf_pages / 4 > 0 ? pdf_pages / 4 : 1))"
run_make_pdf() {
  rm -f "$work/book"
  measure "$bookstub" make --quiet --title Bench --player "$player" -o "$work/book" \
    "${1:-$work/manual.pdf}"
}
run_pdftoppm() {
  rm -f "$work"/rendered/*
  measure bash -c '
    pdftoppm -scale-to 2400 -jpeg "$1" "$2/zoom" &&
    pdftoppm -scale-to 1200 -jpeg "$1" "$2/page"' _ "$work/manual.pdf" "$work/rendered"
}
read -r make_s make_kb ppm_s ppm_kb < <(faster_of_two run_make_pdf run_pdftoppm)
read -r _ short_kb < <(run_make_pdf "$work/short.pdf")

echo
echo "PDF:            $pdf_pages A4 pages of text ($(du -k "$work/manual.pdf" | cut -f1) KB)"
echo "bookstub make:  $make_s s, peak $((make_kb / 1024)) MiB" \
  "($((short_kb / 1024)) MiB for $((pdf_pages / 4 > 0 ? pdf_pages / 4 : 1)) pages)"
echo "pdftoppm:       $ppm_s s, peak $((ppm_kb / 1024)) MiB"
awk -v a="$make_s" -v b="$ppm_s" -v goal="$pdf_goal" \
  'BEGIN {printf "ratio:          %.2f (goal: at most %.1f)\n", a / b, goal}'
