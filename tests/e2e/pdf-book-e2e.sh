#!/usr/bin/env bash
# End to end, on a virtual display (run through run-under-xvfb.sh): a book made by `bookstub make`
# from the standard test PDF (tests/support/pdf/TestPdf.h), with its search texts, search index,
# link areas, labels and bookmark levels, played by the player with the viewer movie. Checked
# from outside: the book opens full screen and its cover is the PDF's first page, rendered, of
# the page's shape: paper with the title's ink where the PDF draws it, and the viewer's tint on
# the web link's area exactly where the PDF's link lies (paper just beside it), a click on it
# opens its address in the user's browser and one beside it nothing; the link to a page turns to
# it, and the search finds a word of the PDF and marks it on its page.
# usage: pdf-book-e2e.sh <bookstub-player> <bookstub> <bookstub-write-test-pdf> <work folder>
set -euo pipefail
player=$1 bookstub=$2 write_pdf=$3 work=$4
title="PDF End To End"
tries=300

rm -rf "$work"
mkdir -p "$work/tmp"
"$write_pdf" "$work/standard.pdf" standard
"$bookstub" make --quiet --title "$title" --player "$player" -o "$work/book-player" "$work/standard.pdf"

fail() {
  echo "FAILED: $*" >&2
  import -window root "$work/failure.png" 2>/dev/null || true
  if [[ -n ${pid:-} ]]; then
    report_player "$pid" "$work/player.log"
    kill "$pid" 2>/dev/null
  fi
  exit 1
}

# A stand-in for the user's browser, first on the player's search path (the desktop services look
# there and at BROWSER): it notes each address it is asked to open.
mkdir -p "$work/bin"
for name in xdg-open browser-stub; do
  printf '#!/bin/sh\necho "$*" >> "%s/browser.log"\n' "$work" >"$work/bin/$name"
  chmod +x "$work/bin/$name"
done

source "$(dirname "$0")/window-probes.sh"
TMPDIR="$work/tmp" PATH="$work/bin:$PATH" BROWSER="$work/bin/browser-stub" \
  DEFAULT_BROWSER="$work/bin/browser-stub" "$work/book-player" >"$work/player.log" 2>&1 &
pid=$!

# The movie's layout, relative to the window: a title band of 34 pixels on top, the toolbar of 44
# at the bottom, the pages between them.
readonly title_band=34 toolbar=44
# The rectangle ("X Y W H" in window coordinates) of the paper in the right half of the page
# area, where the cover lies alone: the page area's background is dark, the page light.
cover=""
find_cover() {
  local x y w h box
  read -r x y w h < <(geometry) || return 1
  snapshot right $((w / 2)) "$title_band" $((w / 2)) $((h - title_band - toolbar)) || return 1
  box=$(convert "$work/right.png" -colorspace Gray -threshold 70% -trim -format '%w %h %X %Y' info: 2>/dev/null) || return 1
  read -r cw ch cx cy <<<"${box//+/}"
  # A page of the book's shape (1696 x 2400) that is drawn: not the background, not a sliver.
  ((cw > 100 && ch > 100)) || return 1
  awk -v w="$cw" -v h="$ch" 'BEGIN {r = w / h; exit !(r > 0.66 && r < 0.75)}' || return 1
  cover="$((w / 2 + cx)) $((title_band + cy)) $cw $ch"
}
# The cover's pixel at page units (PX, PY) of its 1696 x 2400.
cover_pixel() {
  local cx cy cw ch
  read -r cx cy cw ch <<<"$cover"
  pixel $((cx + $1 * cw / 1696)) $((cy + $2 * ch / 2400))
}
# The viewer's light blue over a link area: not paper, not ink.
tinted() {
  local r g b
  read -r r g b < <(cover_pixel "$1" "$2") || return 1
  ((b > 235 && r < 245 && r > 180))
}
paper_at() { [[ $(cover_pixel "$1" "$2") == "255 255 255" ]]; }
# The share of dark pixels in a rectangle of the window.
ink() {
  snapshot probe "$@" || { echo 0; return; }
  convert "$work/probe.png" -colorspace Gray -threshold 50% -negate -format '%[fx:mean]' info: 2>/dev/null || echo 0
}
wait_for "$tries" find_window || fail "no window titled \"$title\""
wait_for "$tries" is_full_screen || fail "the window did not go full screen: $(outer)"
wait_for "$tries" find_cover || fail "the cover is not alone on the right"
echo "cover at $cover"
# The 24-point title across the top of the page, from 72 points in: 205 units, 2.85 a point.
read -r cx cy cw ch <<<"$cover"
title_ink=$(ink $((cx + 205 * cw / 1696)) $((cy + 230 * ch / 2400)) $((500 * cw / 1696)) $((70 * ch / 2400)))
awk -v p="$title_ink" 'BEGIN {exit !(p > 0.03)}' || fail "no title on the cover (ink $title_ink)"
echo "the cover shows the PDF's first page (ink $title_ink)"
import -window root "$work/cover.png"

# The link over (72, 190) 150 x 20 points: 205, 541, 428 x 58 units.
wait_for "$tries" tinted 419 570 || fail "no link area at the link's place: $(cover_pixel 419 570)"
for point in "150 570" "419 500" "419 640" "700 570"; do
  paper_at $point || fail "a link area reaches $point: $(cover_pixel $point)"
done
echo "the link area lies over the PDF's link"

# Gives the emulator the keyboard focus with a click on the title band, then presses KEY.
press() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  xdotool windowfocus --sync "$window"
  xdotool mousemove $((x + w / 2)) $((y + 17)) click 1
  xdotool key "$1"
}
# Clicks at page units (PX, PY) of the cover.
click_cover() {
  local x y w h cx cy cw ch
  read -r x y w h < <(geometry) || return 1
  read -r cx cy cw ch <<<"$cover"
  xdotool mousemove $((x + cx + $1 * cw / 1696)) $((y + cy + $2 * ch / 2400)) click 1
  xdotool mousemove $((x + 5)) $((y + 5))
}
# The rectangle of the pages shown ("X Y W H" in window coordinates) in the book's area, the
# search panel's 300 pixels on the right left out when it is open.
spread=""
find_spread() {
  local panel=${1:-0} x y w h box sw sh sx sy
  read -r x y w h < <(geometry) || return 1
  snapshot book 0 "$title_band" $((w - panel)) $((h - title_band - toolbar)) || return 1
  box=$(convert "$work/book.png" -colorspace Gray -threshold 70% -trim -format '%w %h %X %Y' info: 2>/dev/null) || return 1
  read -r sw sh sx sy <<<"${box//+/}"
  spread="$sx $((title_band + sy)) $sw $sh"
}
# Two pages side by side: the pages' rectangle is about twice as wide as a page.
shows_two_pages() {
  find_spread "$@" || return 1
  local sw sh
  read -r _ _ sw sh <<<"$spread"
  awk -v w="$sw" -v h="$sh" 'BEGIN {r = w / h; exit !(r > 1.3 && r < 1.5)}'
}
shows_the_cover_alone() {
  find_spread || return 1
  local sx
  read -r sx _ _ _ <<<"$spread"
  ((sx >= $(geometry | awk '{print int($3 / 2) - 2}')))
}

# Beside the web link first: input arrives in order, so when the click on the link has opened its
# address, the one before it had its chance to open something too.
opened() { [[ -s $work/browser.log ]]; }
click_cover 700 570 || fail "cannot click beside the web link"
click_cover 419 570 || fail "cannot click the web link"
wait_for "$tries" opened || fail "the click on the web link opened nothing"
[[ $(cat "$work/browser.log") == "https://example.org/" ]] ||
  fail "the browser was asked to open: $(cat "$work/browser.log")"
echo "a click on the web link opens https://example.org/, one beside it nothing"

# The link to page 3 over (72, 230) 150 x 20 points: a click turns to the spread of pages 2 and 3.
click_cover 419 684 || fail "cannot click the link to page 3"
wait_for "$tries" shows_two_pages || fail "the link to page 3 did not turn the page: $spread"
echo "the link to page 3 turns to the spread of pages 2 and 3"

# The search: Home goes back to the cover, Ctrl+F opens the panel with the keyboard in its box,
# the first hit for "Preface" shows page 2 with the word marked.
press Home
wait_for "$tries" shows_the_cover_alone || fail "Home did not go back to the cover: $spread"
press ctrl+f
# The panel's dark bar over the book's background at the right, then a click into its box.
search_is_open() {
  local x y w h r g b
  read -r x y w h < <(geometry) || return 1
  read -r r g b < <(pixel $((w - 150)) $((title_band + 300))) || return 1
  ((b < 64 && r < 40))
}
wait_for "$tries" search_is_open || fail "Ctrl+F did not open the search"
read -r x y w h < <(geometry)
xdotool mousemove $((x + w - 200)) $((y + title_band + 52)) click 1
xdotool type --delay 50 Preface
xdotool key Return
# The first hit's row, below the box and the count, once the book's texts are read.
click_first_hit() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  xdotool mousemove $((x + w - 150)) $((y + title_band + 84 + 25)) click 1
  xdotool mousemove $((x + 5)) $((y + 5))
  shows_two_pages 300
}
wait_for 50 click_first_hit || fail "no hit for \"Preface\" turned to page 2: $spread"
# The marks: the highlight's yellow over paper and ink makes red stand far above blue, which
# neither paper nor ink does. "Preface" in 12 points at (72, 100): 205, 256, 110 x 40 units.
marked() {
  local sx sy sw sh pw ph mean
  find_spread 300 || return 1
  read -r sx sy sw sh <<<"$spread"
  pw=$((sw / 2)) ph=$sh
  snapshot word $((sx + 205 * pw / 1696)) $((sy + 256 * ph / 2400)) $((110 * pw / 1696)) $((40 * ph / 2400)) || return 1
  mean=$(convert "$work/word.png" -fx 'r - b' -format '%[fx:mean]' info: 2>/dev/null) || return 1
  awk -v m="$mean" 'BEGIN {exit !(m > 0.15)}'
}
wait_for "$tries" marked || fail "\"Preface\" is not marked on page 2"
import -window root "$work/search.png"
echo "the search finds \"Preface\" and marks it on page 2"

kill "$pid"
wait "$pid" 2>/dev/null || true
