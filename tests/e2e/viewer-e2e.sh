#!/usr/bin/env bash
# End to end, on a virtual display (run through run-under-xvfb.sh, with or without a window
# manager): a 500-page book made by `bookstub make` from a folder of generated pictures in every
# format it reads, read in the player with the viewer movie.
# Checked from outside with pixel probes:
#  - the first spread: the cover alone on the right half, nothing on the left,
#  - the right-arrow key, with no click in the window first, turns to a two-page spread, and the
#    page number box changes,
#  - + zooms the spread, - returns to the same picture; so do single notches of the wheel,
#  - End shows the last page alone on the left, Home the cover again,
#  - the "Pages" button opens the thumbnail strip,
#  - the cover's two link areas: nothing opens without a click; a click on each opens its link
#    once in the user's browser or mail program (a recording xdg-open first on the search path),
#    the mail link without the file it asks to attach,
#  - the "Full screen" button makes a 900 x 600 window (frame included, centred on the primary
#    screen) whose keys work without a click, and, pressed again, full screen,
#  - a window taller than wide shows one page, and the toolbar keeps every button of its page row
#    uncovered: the ">|" button found after the page box turns to the last page.
# usage: viewer-e2e.sh <bookstub-player> <bookstub> <work folder>
set -euo pipefail
player=$1 bookstub=$2 work=$3
title="Viewer End To End"
# Polls allow for a loaded machine: every check is repeated for up to about a minute.
tries=300

rm -rf "$work"
mkdir -p "$work/tmp" "$work/pictures" "$work/drawn"
# Ten light pages, each with a dark band at its own height, in the five formats; the 500 pages
# are links to them.
formats=(png jpg gif bmp tif)
for ((i = 0; i < 10; i++)); do
  convert -size 500x700 xc:'#f4efe4' -fill "hsl($((i * 36)),55%,40%)" \
    -draw "rectangle 40,$((60 + i * 55)) 460,$((100 + i * 55))" "$work/drawn/page$i.${formats[i % 5]}"
done
for ((page = 1; page <= 500; page++)); do
  i=$(((page - 1) % 10))
  ln "$work/drawn/page$i.${formats[i % 5]}" "$work/pictures/page$page.${formats[i % 5]}"
done
"$bookstub" make --quiet --title "$title" --player "$player" -o "$work/book-player" "$work/pictures"
# Two link areas on the cover, its top and bottom halves: a web link and a mail link that asks to
# attach a private file. The table of contents is written again from the book document.
readonly web_link="https://example.org/leaf" mail_link="mailto:someone@example.org?subject=Hi"
"$bookstub" unpack "$work/book-player" "$work/source" >/dev/null
rm "$work/source/res/other/toc.xml"
python3 - "$work/source/book.xml" "$web_link" "$mail_link&amp;attach=/etc/passwd" <<'PY'
import sys
path, web, mail = sys.argv[1:]
text = open(path, encoding="utf-8").read()
areas = (f'<area left="0" top="0" width="500" height="350" url="{web}"/>'
         f'<area left="0" top="350" width="500" height="350" url="{mail}"/>')
at = text.index("</elem>")
open(path, "w", encoding="utf-8").write(text[:at] + areas + text[at:])
PY
rm "$work/book-player"
"$bookstub" pack --player "$player" --source "$work/source" -o "$work/book-player"
rm -rf "$work/source"

# The user's browser and mail program: a stand-in that records what it is asked to open.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$*" >>"%s"\n' "$work/opened.log" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
: >"$work/opened.log"
export PATH="$work/bin:$PATH"
unset BROWSER DEFAULT_BROWSER

fail() {
  echo "FAILED: $*" >&2
  import -window root "$work/failure.png" 2>/dev/null || true
  if [[ -n ${pid:-} ]]; then
    report_player "$pid" "$work/player.log"
    kill "$pid" 2>/dev/null
  fi
  exit 1
}

source "$(dirname "$0")/window-probes.sh"
TMPDIR="$work/tmp" "$work/book-player" >"$work/player.log" 2>&1 &
pid=$!

# The movie's layout, relative to the window: a title band of 34 pixels on top, the toolbar of 44
# at the bottom, the pages between them.
readonly title_band=34 toolbar=44
# The share (0..1) of light pixels, as on a page, in a rectangle of the window.
paper() {
  snapshot probe "$@" || { echo 0; return; }
  convert "$work/probe.png" -colorspace Gray -threshold 70% -format '%[fx:mean]' info: 2>/dev/null || echo 0
}
# Which halves of the page area show a page: "left right", "right", "left" or "".
halves() {
  local x y w h top height shown=""
  read -r x y w h < <(geometry) || return 1
  top=$((title_band + (h - title_band - toolbar) / 5))
  height=$(((h - title_band - toolbar) * 3 / 5))
  awk -v p="$(paper $((w / 10)) "$top" $((w * 3 / 10)) "$height")" 'BEGIN {exit !(p > 0.5)}' && shown="left"
  awk -v p="$(paper $((w * 6 / 10)) "$top" $((w * 3 / 10)) "$height")" 'BEGIN {exit !(p > 0.5)}' && shown="${shown:+$shown }right"
  echo "$shown"
}
# The movie is running and laid out to the window: its background at the left edge and the
# toolbar at the bottom right. (Before the movie starts, the host page is plain white.)
movie_is_showing() {
  [[ $(pixel 3 $((title_band + 6))) == "43 58 74" ]] && toolbar_is_laid_out
}
# A page counts only once its picture is drawn: a page still loading is a grey sheet.
shows() { movie_is_showing && [[ $(halves) == "$1" ]]; }
page_box() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  snapshot "$1" $((w / 2 - 150)) $((h - toolbar)) 300 "$toolbar"
}
# More than a few pixels differ. compare prints the count (possibly as 1.2e+06) and exits 1 when
# the pictures differ.
differs() {
  local count
  count=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) || true
  awk -v count="$count" 'BEGIN {exit !(count + 0 > 20)}'
}
page_box_changed_from() { page_box now && differs "$1" now; }
# The toolbar's buttons on the right sit at fixed distances from the window's right edge. After
# the window changes size the movie lays itself out again: a click waits until the right end of
# the "Full screen" button (79, 109, 138) is where the window's size puts it.
toolbar_is_laid_out() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  [[ $(pixel $((w - 14)) $((h - toolbar / 2))) == "79 109 138" ]]
}
click_button() {
  local from_right=$1 x y w h
  wait_for "$tries" toolbar_is_laid_out || fail "the toolbar is not at the bottom right: $(geometry)"
  read -r x y w h < <(geometry) || return 1
  xdotool mousemove $((x + w - from_right)) $((y + h - toolbar / 2)) click 1
  xdotool mousemove $((x + 5)) $((y + 5))
}
readonly full_screen_button=70 pages_button=278
press() {
  local x y w h
  read -r x y w h < <(geometry)
  xdotool windowfocus --sync "$window"
  # A click on the title band gives the emulator the keyboard focus.
  xdotool mousemove $((x + w / 2)) $((y + 17)) click 1
  xdotool key "$1"
}
strip_is_open() {
  local x y w h r g b
  read -r x y w h < <(geometry) || return 1
  read -r r g b < <(pixel 3 $((h - toolbar - 60))) || return 1
  # The strip's dark bar, not the page area's background (43, 58, 74), with light cells.
  ((r < 38 && b < 64)) || return 1
  awk -v p="$(paper 0 $((h - toolbar - 110)) "$w" 60)" 'BEGIN {exit !(p > 0.1)}'
}
book_area() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  snapshot "$1" 0 "$title_band" "$w" $((h - title_band - toolbar))
}
book_area_changed_from() { book_area now && differs "$1" now; }
book_area_is() { book_area now && ! differs "$1" now; }

wait_for "$tries" find_window || fail "no window titled \"$title\""
wait_for "$tries" is_full_screen || fail "the window did not go full screen: $(outer)"
echo "full screen: $(outer)"
wait_for "$tries" shows "right" || fail "the cover is not alone on the right: $(halves)"
echo "first spread: the cover on the right"
import -window root "$work/first-spread.png"
page_box cover

# The book takes the keys as it is shown: no click in the window first.
xdotool key Right
wait_for "$tries" shows "left right" || fail "the right arrow without a click did not show a two-page spread: $(halves)"
wait_for "$tries" page_box_changed_from cover || fail "the page number did not change"
echo "turned: two pages, page number changed"
page_box spread

book_area fitted
press plus
wait_for "$tries" book_area_changed_from fitted || fail "+ did not zoom"
press minus
wait_for "$tries" book_area_is fitted || fail "- did not return to the fitted spread"
echo "zoomed in and out"
# One notch of the wheel over the pages zooms one step, one notch back returns.
wheel() {
  local x y w h
  read -r x y w h < <(geometry)
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click "$1"
}
wheel 4
wait_for "$tries" book_area_changed_from fitted || fail "one notch of the wheel did not zoom"
wheel 5
wait_for "$tries" book_area_is fitted || fail "one notch of the wheel back did not return to the fitted spread"
echo "one wheel notch zooms in and out"

press End
wait_for "$tries" shows "left" || fail "End did not show the last page alone on the left: $(halves)"
wait_for "$tries" page_box_changed_from spread || fail "the page number did not change on End"
echo "End: page 500 on the left"
press Home
wait_for "$tries" shows "right" || fail "Home did not return to the cover: $(halves)"
wait_for "$tries" page_box_changed_from spread || fail "the page number did not change on Home"
echo "Home: the cover again"

opened() { wc -l <"$work/opened.log"; }
[[ $(opened) == 0 ]] || fail "links opened without a click: $(cat "$work/opened.log")"
# click_page FRACTION: a click on the cover at that height of the page area.
click_page() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  xdotool mousemove $((x + w * 3 / 4)) $((y + title_band + (h - title_band - toolbar) * $1 / 100)) click 1
  xdotool mousemove $((x + 5)) $((y + 5))
}
opened_are() { [[ $(opened) == "$#" && $(cat "$work/opened.log") == "$(printf '%s\n' "$@")" ]]; }
click_page 35
wait_for "$tries" opened_are "$web_link" || fail "the web link did not open once: $(cat "$work/opened.log")"
click_page 65
wait_for "$tries" opened_are "$web_link" "$mail_link" ||
  fail "the mail link did not open once without its attachment: $(cat "$work/opened.log")"
sleep 2
opened_are "$web_link" "$mail_link" || fail "more links opened than clicks: $(cat "$work/opened.log")"
echo "links: each click opened its link once"

strip_is_open && fail "the thumbnail strip is open before its button is pressed"
click_button "$pages_button"
wait_for "$tries" strip_is_open || fail "the Pages button did not open the thumbnail strip"
echo "thumbnail strip open"
import -window root "$work/thumbnails.png"

click_button "$full_screen_button"
wait_for "$tries" is_windowed || fail "the Full screen button did not make a centred 900 x 600 window: $(outer)"
echo "windowed: $(outer) (client $(geometry))"
# The window is made anew; its keys work without a click.
xdotool key End
wait_for "$tries" shows "left" || fail "End without a click did not work in the window: $(halves)"
xdotool key Home
wait_for "$tries" shows "right" || fail "Home without a click did not work in the window: $(halves)"
echo "keys work in the window"
click_button "$full_screen_button"
wait_for "$tries" is_full_screen || fail "the Full screen button did not return to full screen: $(outer)"
echo "full screen again"

# Windowed once more, then made taller than wide: one page fills the width.
click_button "$full_screen_button"
wait_for "$tries" is_windowed || fail "no window again: $(outer)"
# Right after leaving full screen the player may still place its window: a size asked for before
# that is undone, so it is asked for again until it holds.
is_tall() {
  local x y w h
  read -r x y w h < <(geometry) && ((w == 560 && h == 900))
}
for ((attempt = 0; attempt < 3; attempt++)); do
  xdotool windowmove "$window" 0 0 windowsize "$window" 560 900
  wait_for 25 is_tall && break
done
is_tall || fail "the window did not become 560 x 900: $(geometry)"
wait_for "$tries" shows "left right" || fail "a tall window does not show one page across: $(halves)"
echo "tall window: one page"
import -window root "$work/tall.png"
# The toolbar's row at height $1 of the window as runs "FROM TO KIND": W the page box, B a button,
# - anything else.
toolbar_runs() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  import -window root -crop "${w}x1+$x+$((y + $1))" -depth 8 txt:- 2>/dev/null | awk -F'[(,: )]+' '
    NR > 1 {
      kind = ($3 == 255 && $4 == 255 && $5 == 255) ? "W" : ($3 == 79 && $4 == 109 && $5 == 138) ? "B" : "-"
      if (kind != last) { if (last != "") print from, $1 - 1, last; from = $1; last = kind }
      end = $1
    }
    END { print from, end, last }'
}
# On whichever row holds the page box: "BOXFROM BOXTO ROW BUTTON", BUTTON the centre of the second
# button after the box (">|").
last_page_button() {
  local x y w h row
  read -r x y w h < <(geometry) || return 1
  for row in $((h - toolbar / 2)) $((h - toolbar - toolbar / 2)); do
    toolbar_runs "$row" | awk -v row="$row" '
      $3 == "W" && !box { box = $1 " " $2; next }
      box && $3 == "B" && $2 - $1 > 20 && ++buttons == 2 { print box, row, int(($1 + $2) / 2); found = 1; exit }
      END { exit !found }' && return 0
  done
  return 1
}
read -r box_from box_to box_row button < <(last_page_button) ||
  fail "no page box with two buttons after it in the narrow toolbar"
# The page box alone: only a turn changes it.
page_box_at() { snapshot "$1" "$box_from" $((box_row - 10)) $((box_to - box_from + 1)) 20; }
page_box_at_changed_from() { page_box_at now && differs "$1" now; }
page_box_at tall-box
read -r x y w h < <(geometry)
xdotool mousemove $((x + button)) $((y + box_row)) click 1
wait_for "$tries" page_box_at_changed_from tall-box || fail "the narrow toolbar's >| button did not turn to the last page"
echo "narrow toolbar: >| uncovered, turned to the last page"

kill "$pid"
wait "$pid" || true
pid=""
echo "done"
