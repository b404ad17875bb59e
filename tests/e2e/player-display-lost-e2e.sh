#!/usr/bin/env bash
# The working folder on the ways out a player does not choose. Each case starts its own virtual
# display, plays an appended book on it (in window or screen-saver mode) and then takes the
# display away (the X server is killed) at a given moment, or, for the screen saver, moves the
# pointer. Checked from outside:
#  - the working folder and everything in it is open to its user only while the book plays,
#  - without a runtime folder the screen saver's lock sits in a folder of the user's own (0700) in
#    the user's cache folder,
#  - the player ends, without a crash (a signal), and its working folder is gone.
# The first cases break the display connection just before the window would start its emulator
# (as the loading window is drawn, and as the book's "loaded" message comes), the order that made
# the player start its emulator on a dead display and crash (see DisplayLostHarness.cpp); the
# others kill the server at moments that come as they come.
# With --window-manager, openbox manages the windows on each display.
# usage: player-display-lost-e2e.sh <bookstub-player> <bookstub-make-test-book> <bookstub-flash-host-harness> <display-lost-harness> <work folder> [--window-manager]
set -euo pipefail
player=$1 make_book=$2 harness=$3 display_lost_harness=$4 work=$5 window_manager=${6:-}
title="Display Lost Book"

tools=(Xvfb xdotool xwininfo)
[[ -n $window_manager ]] && tools+=(openbox xprop)
for tool in "${tools[@]}"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool missing; install xvfb xdotool x11-utils" >&2
    exit 77
  fi
done

rm -rf "$work"
mkdir -p "$work/tmp" "$work/bin"
chmod 1777 "$work/tmp"
"$harness" write-movie "$work/book.swf" 30
"$make_book" --player "$player" --movie "$work/book.swf" --output "$work/bin/book" \
  --pages 40 --plain-pages 300x200 --title "$title" >/dev/null
cp "$work/bin/book" "$work/bin/book.scr"

xvfb_pid="" pid="" window_manager_pid=""
# On every way out, also when a case fails and the player is gone already.
stop_started() {
  if [[ -n $pid ]]; then kill -KILL "$pid" 2>/dev/null || true; fi
  if [[ -n $window_manager_pid ]]; then kill -KILL "$window_manager_pid" 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then kill -KILL "$xvfb_pid" 2>/dev/null || true; fi
  pid="" xvfb_pid="" window_manager_pid=""
}
trap stop_started EXIT

fail() {
  echo "FAILED ($case): $*" >&2
  [[ -f $work/player.log ]] && sed 's/^/  player: /' "$work/player.log" >&2
  exit 1
}

# Polls `check` (a command) every 0.2 s, for at most $2 tries.
wait_for() {
  local check=$1 tries=$2
  for ((i = 0; i < tries; i++)); do
    eval "$check" && return 0
    sleep 0.2
  done
  return 1
}

working_folders() { find "$work/tmp" -mindepth 1 -maxdepth 1 -name '{*}'; }
has_working_folder() { [[ -n $(working_folders) ]]; }
split_finished() { grep -qs "Finish SplitPages" "$(working_folders)/files/Log/log1.txt"; }
window_shown() { xdotool search --name "^$title\$" >/dev/null 2>&1; }
full_screen() {
  local window
  window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1) || return 1
  [[ -n $window ]] && xwininfo -id "$window" 2>/dev/null | grep -q "geometry 1024x768+0+0"
}
player_ended() { ! kill -0 "$pid" 2>/dev/null; }

start_display() {
  rm -f "$work/display"
  # -noreset: a server that resets when its last client (an xdotool query) leaves turns away a
  # player connecting at that moment.
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  wait_for '[[ -s $work/display ]]' 50 || fail "the virtual display did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
  [[ -n $window_manager ]] || return 0
  openbox --sm-disable >/dev/null 2>&1 &
  window_manager_pid=$!
  wait_for 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' 300 ||
    fail "the window manager did not start"
}

# start_player <executable> [argument]: on a fresh display, without a runtime folder.
start_player() {
  start_display
  env -u XDG_RUNTIME_DIR TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache" "$@" >"$work/player.log" 2>&1 &
  pid=$!
}

expect_private_while_playing() {
  local folder open
  folder=$(working_folders)
  [[ $(stat -c %a "$folder") == 700 ]] || fail "the working folder is $(stat -c %a "$folder")"
  open=$(find "$folder" -perm /077 -printf '%m %P\n' | head -n5)
  [[ -z $open ]] || fail "open to others: $open"
}

expect_folder_removed_after_end() {
  local status=0
  wait_for player_ended 300 || fail "the player did not end"
  wait "$pid" || status=$?  # ended by a lost display: its exit code is Qt's, not ours
  pid=""
  ((status <= 128)) || fail "the player died of SIG$(kill -l $((status - 128)))"
  [[ -z $(working_folders) ]] || fail "the working folder is still there: $(working_folders)"
}

kill_display() {
  kill "$xvfb_pid" 2>/dev/null || true  # the harness may have ended it
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
  # The window manager ends with its display.
  if [[ -n $window_manager_pid ]]; then
    wait_for '! kill -0 "$window_manager_pid" 2>/dev/null' 300 || kill -KILL "$window_manager_pid" 2>/dev/null || true
    wait "$window_manager_pid" 2>/dev/null || true
    window_manager_pid=""
  fi
}

# The window starts the emulator while the book is split and, at the latest, for the book.
for moment in drawn loaded; do
  case="window, display lost just before the emulator starts ($moment)"
  start_display
  env TMPDIR="$work/tmp" "$display_lost_harness" "$work/bin/book" "$work/emulator-started" "$moment" \
    >"$work/player.log" 2>&1 &
  pid=$!
  expect_folder_removed_after_end
  [[ ! -e $work/emulator-started ]] || fail "the window started the emulator on a display that was gone"
  kill_display
  echo "ok: $case"
done

case="window, display lost while the book is split"
start_player "$work/bin/book"
wait_for has_working_folder 300 || fail "no working folder"
kill_display
expect_folder_removed_after_end
echo "ok: $case"

case="window, display lost while the book plays"
start_player "$work/bin/book"
wait_for full_screen 300 || fail "the book was not shown full screen"
wait_for split_finished 300 || fail "the split did not finish"
expect_private_while_playing
kill_display
expect_folder_removed_after_end
echo "ok: $case"

case="screen saver, display lost while the book plays"
start_player "$work/bin/book.scr" /s
wait_for full_screen 300 || fail "the screen saver did not show the book full screen"
lock_folder="$work/cache/bookstub"
[[ $(stat -c %a "$lock_folder") == 700 ]] || fail "the lock folder is $(stat -c %a "$lock_folder")"
kill_display
expect_folder_removed_after_end
echo "ok: $case"

case="screen saver, ended by the pointer"
start_player "$work/bin/book.scr" /s
wait_for full_screen 300 || fail "the screen saver did not show the book full screen"
# Away from where the pointer was when the book came up, and back, until the player notices.
pointer_moved_and_player_ended() {
  xdotool mousemove 700 500 sleep 0.1 mousemove 10 10 2>/dev/null
  player_ended
}
wait_for pointer_moved_and_player_ended 100 || fail "moving the pointer did not end the screen saver"
expect_folder_removed_after_end
kill_display
echo "ok: $case"
