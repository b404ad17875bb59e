#!/usr/bin/env bash
# End to end, on a virtual display (run through run-under-xvfb.sh, with or without a window
# manager, on one monitor or with the primary one away from the origin). Checked from outside, on
# the window's outer rectangle (frame included):
#  - a player whose book cannot be read shows the "Application Error" box over its loading
#    window, which is centred on the primary screen by its outer size; its working folder is gone
#    already, and answering the box ends it with status 1;
# then, the bare player started as from the desktop's menu (no argument) asks for a book in the
# "Open a book" dialog: Cancel ends it with 0 and nothing left behind, a file without a book is
# said so in an error box and the dialog comes again, and the book chosen is opened;
# then with a book whose viewer movie is generated appended to a copy of the player, that
#  - the window covers the primary screen once the book is loaded, and is never white until the
#    movie draws,
#  - the page picture the movie loads by a relative path is on screen (so it was served),
#  - the movie's "fullscreen_error" calls (one every other frame, forever) do nothing on their
#    own; after a click in the window one of them turns it into a 900 x 600 window, frame
#    included, centred on the primary screen, and the later ones leave it so,
#  - the window's context menu (not the browser's) returns to full screen, Esc leaves it while
#    the web view has the focus (neither lets the movie's calls through), and the menu's "Exit"
#    closes the player,
#  - the working folder is gone afterwards.
# usage: player-e2e.sh <bookstub-player> <bookstub-make-test-book> <bookstub-flash-host-harness> <work folder>
set -euo pipefail
player=$1 make_book=$2 harness=$3 work=$4
title="End To End Book"

rm -rf "$work"
mkdir -p "$work/tmp"
"$harness" write-movie "$work/book.swf" 30 repeat
"$make_book" --player "$player" --movie "$work/book.swf" --output "$work/book-player" \
  --pages 1 --plain-pages 300x200 --title "$title" >/dev/null

player_log=""
fail() {
  echo "FAILED: $*" >&2
  if [[ -n ${pid:-} ]]; then
    report_player "$pid" "$player_log"
    kill "$pid" 2>/dev/null
  fi
  exit 1
}

source "$(dirname "$0")/window-probes.sh"

# A player whose appended package looks like a book from its end but whose documents are no XML:
# its loader fails, and the error box comes over the loading window, which stays until the box is
# answered.
cp "$player" "$work/stuck-player"
printf '<no\x03\x00\x00\x00<no\x03\x00\x00\x00' >>"$work/stuck-player"
loading_window=""
find_loading_window() {
  local candidate x y w h
  for candidate in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    read -r x y w h < <(client_geometry "$candidate") || continue
    if ((w == 234 && h == 25)); then
      loading_window=$candidate
      return 0
    fi
  done
  return 1
}
loading_window_is_centred() {
  local left right top bottom
  read -r left right top bottom < <(frame_extents "$loading_window")
  [[ $(frame_geometry "$loading_window") == "$(centred_on_screen $((234 + left + right)) $((25 + top + bottom)))" ]]
}
error_box=""
find_error_box() {
  error_box=$(xdotool search --onlyvisible --name '^Application Error$' 2>/dev/null | head -n1)
  [[ -n $error_box ]]
}
player_log=$work/loading.log
TMPDIR="$work/tmp" BOOKSTUB_FLASH_HOST=none "$work/stuck-player" >"$player_log" 2>&1 &
pid=$!
wait_for 300 find_error_box || fail "no error box"
wait_for 300 find_loading_window || fail "no loading window under the error box"
wait_for 300 loading_window_is_centred ||
  fail "the loading window is not centred by its outer size: $(frame_geometry "$loading_window") (client $(client_geometry "$loading_window"), border $(frame_extents "$loading_window"))"
echo "loading window centred: $(frame_geometry "$loading_window")"
[[ -z $(find "$work/tmp" -mindepth 1 -maxdepth 1 -name '{*}') ]] ||
  fail "the working folder is still there while the error box is up"
xdotool windowfocus --sync "$error_box" key Return
status=0
wait "$pid" || status=$?
((status == 1)) || fail "the player that cannot play its book ended with status $status, not 1"
pid=""
echo "error box answered: the player ended with status 1, no working folder"

# The bare player as the desktop's menu starts it; the emulator is left out: the window's title
# tells which book it opened.
exited() { ! kill -0 "$pid" 2>/dev/null; }
start_from_menu() {
  (cd "$work" && TMPDIR="$work/tmp" BOOKSTUB_FLASH_HOST=none exec "$player" >"$work/menu.log" 2>&1) &
  pid=$!
}
# press_in TITLE [TEXT]: types TEXT into the focused field of the window titled TITLE, then Return.
press_in() {
  wait_for 300 focus_window_titled "$1" || fail "no window titled \"$1\": $(cat "$work/menu.log")"
  [[ -z ${2:-} ]] || xdotool type --delay 20 "$2"
  xdotool key Return
}
start_from_menu
wait_for 300 focus_window_titled "Open a book" ||
  fail "the bare player started without a book showed no file dialog: $(cat "$work/menu.log")"
xdotool key Escape
wait_for 150 exited || fail "the player did not end when the file dialog was cancelled"
status=0 && wait "$pid" || status=$?
pid=""
((status == 0)) || fail "cancelling the file dialog ended the player with $status: $(cat "$work/menu.log")"
[[ -z $(find "$work/tmp" -mindepth 1 -maxdepth 1 -name '{*}') ]] || fail "a cancelled start left $(ls "$work/tmp")"
start_from_menu
press_in "Open a book" "$work/book.swf"
press_in Bookstub
press_in "Open a book" "$work/book-player"
wait_for 300 find_window || fail "the book chosen in the file dialog did not open: $(cat "$work/menu.log")"
kill -TERM "$pid"
wait_for 150 exited || fail "the player of the chosen book did not end when asked to"
wait "$pid" || fail "the player of the chosen book exited with an error: $(cat "$work/menu.log")"
pid=""
echo "from the menu: the file dialog, its Cancel, a file without a book, then the book chosen"

player_log=$work/player.log
TMPDIR="$work/tmp" "$work/book-player" >"$player_log" 2>&1 &
pid=$!

# The colour at the window's centre as "R G B".
centre_pixel() {
  local x y w h pixel
  read -r x y w h < <(geometry) || return 1
  pixel=$(import -window root -crop "1x1+$((x + w / 2))+$((y + h / 2))" -depth 8 txt:- 2>/dev/null | tail -n1)
  [[ $pixel =~ \(([0-9]+),([0-9]+),([0-9]+) ]] || return 1
  echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} ${BASH_REMATCH[3]}"
}
centre_is_page() {
  local r g b
  read -r r g b < <(centre_pixel) || return 1
  ((r > 200 && g < 60 && b < 60))
}
# Until the page arrives the centre may be black (nothing drawn yet) or the stage's blue
# (32, 96, 160), never white.
white_seen=""
centre_is_page_never_white() {
  local r g b
  read -r r g b < <(centre_pixel) || return 1
  ((r > 200 && g > 200 && b > 200)) && white_seen="$r $g $b"
  ((r > 200 && g < 60 && b < 60))
}
working_folders() { find "$work/tmp" -mindepth 1 -maxdepth 1 -type d -name '{*}' | wc -l; }
refusal_logged() { grep -q "ignored the movie's full-screen request" "$work/player.log"; }
# stays_for SECONDS COMMAND: COMMAND holds at every look over SECONDS seconds.
stays_for() {
  local i
  for ((i = 0; i < $1 * 5; i++)); do
    "${@:2}" || return 1
    sleep 0.2
  done
}

wait_for 300 find_window || fail "no window titled \"$title\""
wait_for 300 is_full_screen || fail "the window did not go full screen: $(outer)"
echo "full screen: $(outer)"
[[ $(working_folders) == 1 ]] || fail "expected one working folder under $work/tmp"
wait_for 300 centre_is_page_never_white || fail "the page picture is not on screen"
[[ -z $white_seen ]] || fail "the window was white ($white_seen) before the movie drew"
echo "page picture on screen, nothing white before it"
wait_for 300 refusal_logged || fail "the movie's full-screen calls were not refused"
stays_for 2 is_full_screen || fail "the movie switched to a window on its own: $(outer)"
echo "the movie's calls alone leave full screen as it is"
read -r x y w h < <(geometry)
xdotool mousemove $((x + w / 4)) $((y + h / 4)) click 1
wait_for 300 is_windowed ||
  fail "a click did not let the movie's call make a centred 900 x 600 window: $(outer) (client $(geometry))"
echo "windowed after a click: $(outer) (client $(geometry))"
stays_for 2 is_windowed || fail "one click let more than one of the movie's calls through: $(outer)"
wait_for 300 centre_is_page || fail "the page picture is not on screen in the window"
echo "page picture on screen"

# The window's context menu at the pointer; `key` picks an item: Down = the first ("Fullscreen"),
# Up = the last ("Exit").
# The keys wait until the menu is on screen: under load it may take seconds to open, and keys sent
# before go to the window instead.
visible_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }
menu_item() {
  local x y w h before
  read -r x y w h < <(geometry)
  before=$(visible_windows)
  menu_is_open() { (($(visible_windows) > before)); }
  # One right click, right after the window changed mode: the switch must not lose it.
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
  wait_for 300 menu_is_open || fail "the context menu did not open on a right click"
  xdotool key "$1" Return
}
menu_item Down
wait_for 300 is_full_screen || fail "the menu's \"Fullscreen\" did not go full screen: $(outer)"
stays_for 2 is_full_screen || fail "the right click let the movie's call through: $(outer)"
echo "full screen again from the menu"
find_window || fail "the window is gone"
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_for 300 is_windowed || fail "Esc did not leave full screen: $(outer)"
stays_for 2 is_windowed || fail "Esc let the movie's call through: $(outer)"
echo "windowed by Esc"
menu_item Up
wait_for 300 exited || fail "the context menu's Exit did not close the player"
wait "$pid" || fail "the player exited with an error"
pid=""
[[ $(working_folders) == 0 ]] || fail "the working folder is still there: $(ls "$work/tmp")"
echo "closed; working folder removed"
