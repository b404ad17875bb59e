#!/usr/bin/env bash
# End to end, on a virtual display (run through run-under-xvfb.sh): a right-to-left source book
# of eight pages that carries everything the viewer uses (search index and page search texts with
# word boxes, a link to a page of the book, nested bookmarks, a book download), packed with
# `bookstub pack` and read in the player. One player start; checked from outside with pixel
# probes, each page told by the colour of the block at its foot:
#  - the cover alone on the left; the left arrow turns forward, the right arrow back,
#  - a page's corner dragged across the spine follows the pointer and turns the page on release,
#  - with no motion ("m") a dragged page does not move, and the page still turns,
#  - a click on a page's outer edge turns it, a swipe turns,
#  - a click on a link area jumps to its page,
#  - Ctrl+F, a word without its accent and Enter list the hit; a click shows its page with the
#    word marked,
#  - the contents tree marks the entry of the page being read, closes a row, jumps to an entry,
#  - the Download button opens the player's save dialog in the user's Downloads folder, and Enter
#    saves the book's download there.
# usage: viewer-features-e2e.sh <bookstub-player> <bookstub> <viewer movie> <work folder>
set -euo pipefail
player=$1 bookstub=$2 movie=$3 work=$4
title="Viewer Features"
tries=300

rm -rf "$work"
src=$work/source
mkdir -p "$work/tmp" "$src/res/pages" "$src/res/other" "$src/res/downloads"
cp "$movie" "$src/book.swf"

# The block colour of each page, "R G B".
colours=("200 40 40" "40 150 40" "40 60 200" "210 190 30" "170 40 170" "30 170 180" "230 120 20" "90 90 90")
words=(alpha bravo charlie delta "Zèbre" foxtrot golf hotel)
index='<?xml version="1.0" encoding="UTF-8"?><searchindex version="1">'
toc_pages="" book_pages=""
for ((i = 0; i < 8; i++)); do
  n=$(printf %04d "$i")
  read -r r g b <<<"${colours[i]}"
  convert -size 500x700 xc:'#f4efe4' -fill "rgb($r,$g,$b)" -draw "rectangle 0,500 500,650" \
    -fill black -pointsize 40 -annotate +100+340 "${words[i]}" "$src/res/pages/page_$n.png"
  cat >"$src/res/pages/text_$n.xml" <<TEXT
<?xml version="1.0" encoding="UTF-8"?>
<searchtext version="1"><word left="20" top="20" width="60" height="20">Page</word><word left="90" top="20" width="30" height="20">$((i + 1))</word><word left="100" top="300" width="150" height="50">${words[i]}</word></searchtext>
TEXT
  index+="<page number=\"$((i + 1))\">Page $((i + 1)) ${words[i]}</page>"
  area=""
  ((i == 1)) && area='<area left="50" top="60" width="400" height="150" page="7"/>'
  toc_pages+="<page src=\"res/pages/page_$n.png\" searchtxt=\"res/pages/text_$n.xml\">$area</page>"
  book_pages+="<page searchtxt=\"res/pages/text_$n.xml\"><elem><img src=\"res/pages/page_$n.png\" left=\"0\" top=\"0\" width=\"500\" height=\"700\"/></elem></page>"
done
echo "$index</searchindex>" >"$src/res/other/index.xml"
head -c 5000 /dev/urandom >"$src/res/downloads/book.bin"
cat >"$src/res/other/toc.xml" <<TOC
<?xml version="1.0" encoding="UTF-8"?>
<toc version="1" title="$title" pagewidth="500" pageheight="700" ltr="false"
     searchindex="res/other/index.xml" download="res/downloads/book.bin">
$toc_pages
<chapter title="Features" page="1"/>
<bookmark title="Part A" page="1"/>
<bookmark title="Section A.1" page="3" level="2"/>
<bookmark title="Part B" page="6"/>
</toc>
TOC
cat >"$src/book.xml" <<BOOK
<?xml version="1.0" encoding="UTF-8"?>
<book title="$title" pagewidth="500" pageheight="700" ltr="False" searchindex="res/other/index.xml"
      download="res/downloads/book.bin"><Chapters><chapter><Pages>$book_pages</Pages></chapter></Chapters></book>
BOOK
cat >"$src/project.xml" <<PROJECT
<?xml version="1.0" encoding="UTF-8"?>
<project>
  <exetitle>$title</exetitle>
  <preloader><filename>book.swf</filename></preloader>
  <toc><filename>res/other/toc.xml</filename></toc>
  <navbtn><download>True</download></navbtn>
</project>
PROJECT
"$bookstub" pack --player "$player" --source "$src" -o "$work/book-player" >/dev/null

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
# The user's Downloads folder, where the save dialog starts.
downloads=$work/downloads
mkdir -p "$downloads" "$work/config"
echo "XDG_DOWNLOAD_DIR=\"$downloads\"" >"$work/config/user-dirs.dirs"
TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" "$work/book-player" >"$work/player.log" 2>&1 &
pid=$!

readonly title_band=34 toolbar=44
# The part of the window the pages are laid out in, left to right: the contents panel (260)
# and the search panel (300) take their width when open.
book_left=0 book_right=0

# The page whose block colour the pixel has, -1 for the background, ? for anything else.
page_of() {
  local r g b i cr cg cb
  read -r r g b <<<"$1"
  [[ "$r $g $b" == "43 58 74" ]] && { echo -1; return; }
  for ((i = 0; i < 8; i++)); do
    read -r cr cg cb <<<"${colours[i]}"
    if ((${r:-0} - cr < 30 && cr - ${r:-0} < 30 && ${g:-0} - cg < 30 && cg - ${g:-0} < 30 &&
      ${b:-0} - cb < 30 && cb - ${b:-0} < 30)); then
      echo "$i"
      return
    fi
  done
  echo "?"
}
# The page rectangle of the two-page layout, in window coordinates: "LEFT TOP PAGEWIDTH HEIGHT".
pages_rect() {
  local x y w h
  read -r x y w h < <(geometry)
  awk -v w=$((w - book_left - book_right)) -v h=$((h - title_band - toolbar)) -v l="$book_left" -v t="$title_band" 'BEGIN {
    fit = (w / 1000 < h / 700 ? w / 1000 : h / 700) * 0.96
    printf "%d %d %d %d\n", l + (w - 1000 * fit) / 2, t + (h - 700 * fit) / 2, 500 * fit, 700 * fit }'
}
# "LEFT RIGHT": the pages shown on each side, probed in the middle of their blocks.
spread() {
  local left top width height
  read -r left top width height < <(pages_rect) || return 1
  local probe_y=$((top + height * 575 / 700))
  echo "$(page_of "$(pixel $((left + width / 2)) "$probe_y")")" "$(page_of "$(pixel $((left + width * 3 / 2)) "$probe_y")")"
}
shows() { [[ $(spread) == "$1" ]]; }
expect_spread() {
  wait_for "$tries" shows "$1" || fail "$2: expected pages \"$1\", saw \"$(spread)\""
  echo "$2: pages $1"
}
focus_book() {
  local x y w h
  read -r x y w h < <(geometry)
  xdotool windowfocus --sync "$window"
  # A click on the title band gives the emulator the keyboard focus.
  xdotool mousemove $((x + w / 2)) $((y + 17)) click 1
}
press() { focus_book && xdotool key "$1"; }
# Clicks at a place of the window.
click_at() {
  local x y w h
  read -r x y w h < <(geometry)
  xdotool mousemove $((x + $1)) $((y + $2)) click 1
}
book_area() {
  local x y w h
  read -r x y w h < <(geometry)
  import -window root -crop "${w}x$((h - title_band - toolbar))+$x+$((y + title_band))" +repage "$work/$1.png"
}
differs() {
  local count
  count=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) || true
  awk -v count="$count" 'BEGIN {exit !(count + 0 > 20)}'
}
# Drags from one place of the window to another in steps, and calls $5 while still holding.
drag() {
  local x y w h i
  read -r x y w h < <(geometry)
  xdotool mousemove $((x + $1)) $((y + $2)) mousedown 1
  for ((i = 1; i <= 8; i++)); do
    xdotool mousemove $((x + $1 + ($3 - $1) * i / 8)) $((y + $2 + ($4 - $2) * i / 8))
    sleep 0.05
  done
  sleep 1
  "$5"
  xdotool mouseup 1
}
# Buttons of the toolbar (captions, on one row in a full-screen window of 1280), as distances of
# their centres from the window's right edge.
readonly contents_button=184 search_button=530 download_button=624

wait_for "$tries" find_window || fail "no window titled \"$title\""
wait_for "$tries" is_full_screen || fail "the window did not go full screen: $(outer)"

expect_spread "0 -1" "a right-to-left book opens with the cover on the left"
press Left
expect_spread "2 1" "the left arrow turns forward"
press Right
expect_spread "0 -1" "the right arrow turns back"

# The cover's outer corner, dragged right across the spine.
read -r left top width height < <(pages_rect)
book_area before
held() { book_area held; }
drag $((left + 6)) $((top + height - 6)) $((left + width + width / 2)) $((top + height - 80)) held
differs before held || fail "the dragged corner did not lift the page"
expect_spread "2 1" "a corner dragged across the spine turns the page"

press m
book_area before
drag $((left + 2 * width - 6)) $((top + height / 2)) $((left + width / 2)) $((top + height / 2)) held
differs before held && fail "with no motion, a dragged page moved"
expect_spread "0 -1" "with no motion a drag still turns the page"
press m

click_at $((left + 6)) $((top + height / 2))
expect_spread "2 1" "a click on the page's outer edge turns it"

# The link area at the top of page 2 (the right page) jumps to page 7.
click_at $((left + width + width / 2)) $((top + height * 13 / 70))
expect_spread "6 5" "a link area jumps to its page"

drag $((left + width / 2)) $((top + height / 2)) $((left + width / 2 + 200)) $((top + height / 2)) true
expect_spread "-1 7" "a swipe to the right turns a right-to-left book forward"

# Search: Ctrl+F opens the box; the word is typed without its accent.
press ctrl+f
book_right=300
sleep 1
xdotool type --delay 40 "zebre"
xdotool key Return
read -r x y w h < <(geometry)
hit_y=$((title_band + 84 + 28))
# The first hit's page number, in the highlight colour, at the top of its row.
hit_listed() {
  import -window root -crop "80x16+$((x + w - 290))+$((y + hit_y - 26))" +repage "$work/hit.png"
  convert "$work/hit.png" -fx '(r > 0.6 && g > 0.45 && b < 0.3 && r > g) ? 1 : 0' -format '%[fx:mean]' info: |
    awk '{exit !($1 > 0.01)}'
}
wait_for "$tries" hit_listed || fail "the search lists no hit"
echo "the search lists the hit"
click_at $((w - 150)) "$hit_y"
expect_spread "4 3" "the search hit shows its page"
# The word's box on the left page, marked: mostly yellowish where the paper was light.
marked() {
  local l t pw ph
  read -r l t pw ph < <(pages_rect)
  import -window root -crop "$((pw * 150 / 500))x$((ph * 50 / 700))+$((x + l + pw * 100 / 500))+$((y + t + ph * 300 / 700))" \
    +repage "$work/mark.png"
  convert "$work/mark.png" -fx '(r > 0.8 && g > 0.6 && g < 0.93 && b < 0.7) ? 1 : 0' -format '%[fx:mean]' info: |
    awk '{exit !($1 > 0.3)}'
}
wait_for "$tries" marked || fail "the word found is not marked on its page"
echo "the word found is marked"
click_at $((w - search_button)) $((h - toolbar / 2))
book_right=0

click_at $((w - contents_button)) $((h - toolbar / 2))
book_left=260
row_y() { echo $((title_band + 40 + $1 * 26 + 12)); }
# Rows: Features, Part A, Section A.1 (page 3, the entry of page 5), Part B.
wait_for "$tries" eval '[[ $(pixel 6 "$(row_y 2)") == "242 182 50" ]]' ||
  fail "the contents do not mark the entry of the page read: $(pixel 6 "$(row_y 2)")"
echo "the contents mark the entry of the page being read"
# Part A's triangle closes it: Part B moves up to the third row.
click_at 29 "$(row_y 1)"
sleep 1
click_at 150 "$(row_y 2)"
expect_spread "6 5" "a closed row hides its children; an entry jumps to its page"
wait_for "$tries" eval '[[ $(pixel 6 "$(row_y 2)") == "242 182 50" ]]' || fail "Part B is not marked"
click_at $((w - contents_button)) $((h - toolbar / 2))
book_left=0

# The book's one download is asked for at once: the player's save dialog starts in the user's
# Downloads folder with the file's name, and Enter saves a copy there.
click_at $((w - download_button)) $((h - toolbar / 2))
wait_for "$tries" focus_window_titled "Save the download" || fail "the Download button showed no save dialog"
xdotool key Return
wait_for "$tries" cmp -s "$src/res/downloads/book.bin" "$downloads/book.bin" ||
  fail "the save dialog did not save the book's download in the Downloads folder: $(ls "$downloads")"
echo "the Download button saves the book's download where the user says"

kill "$pid"
wait "$pid" || true
pid=""
echo "done"
