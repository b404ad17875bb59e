# Shell helpers of the end-to-end scripts that watch the player's window from outside, sourced by
# them. Set `title` (the window's title) before using them. Rectangles are "X Y WIDTH HEIGHT" in
# root coordinates. PRIMARY_SCREEN (set by run-under-xvfb.sh) is the primary monitor; without it,
# the whole screen on $DISPLAY.

# wait_for TRIES COMMAND [ARGUMENT...]: runs COMMAND every 0.2 s until it succeeds, at most TRIES
# times; fails when it never does.
wait_for() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

if [[ -z ${PRIMARY_SCREEN:-} ]]; then
  read -r display_width display_height < <(xdotool getdisplaygeometry)
  PRIMARY_SCREEN="0 0 $display_width $display_height"
fi
read -r screen_x screen_y screen_width screen_height <<<"$PRIMARY_SCREEN"

# The client area of window $1.
client_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {if (w == "") exit 1; print x, y, w, h}'
}

# The border the window manager put around window $1 as "LEFT RIGHT TOP BOTTOM"; none without
# a window manager.
frame_extents() {
  local extents
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null)
  if [[ $extents =~ =\ *([0-9]+),\ *([0-9]+),\ *([0-9]+),\ *([0-9]+) ]]; then
    echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} ${BASH_REMATCH[3]} ${BASH_REMATCH[4]}"
  else
    echo "0 0 0 0"
  fi
}

# The outer rectangle of window $1, frame included.
frame_geometry() {
  local x y w h left right top bottom
  read -r x y w h < <(client_geometry "$1") || return 1
  read -r left right top bottom < <(frame_extents "$1")
  echo $((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))
}

# The outer rectangle of size $1 x $2 centred on the primary screen, halves truncated.
centred_on_screen() {
  echo $((screen_x + (screen_width - $1) / 2)) $((screen_y + (screen_height - $2) / 2)) "$1" "$2"
}

# The window is found by its title before every look: going frameless or bordered gives it a new
# native window, so an id found earlier may be gone.
window=""
find_window() { window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1); [[ -n $window ]]; }
# The window's client area (pixel probes are relative to it) and its outer rectangle.
geometry() { find_window && client_geometry "$window"; }
outer() { find_window && frame_geometry "$window"; }
# Full screen leaves no border: the client area is the whole primary screen.
is_full_screen() {
  find_window && [[ $(client_geometry "$window") == "$PRIMARY_SCREEN" &&
    $(frame_geometry "$window") == "$PRIMARY_SCREEN" ]]
}
# The window the player makes when it leaves full screen: 900 x 600 with its frame, centred on
# the primary screen.
is_windowed() { find_window && [[ $(frame_geometry "$window") == "$(centred_on_screen 900 600)" ]]; }

# Gives the visible window titled $1 the keyboard; fails while there is none or it cannot take
# it yet (just mapped, not yet viewable).
focus_window_titled() {
  local found
  found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
  [[ -n $found ]] && xdotool windowfocus --sync "$found" 2>/dev/null
}

# Pixels of the window's client area (coordinates relative to it), for the scripts that define
# `work` (their work folder).
# snapshot NAME X Y WIDTH HEIGHT: crops that rectangle of the window to $work/NAME.png.
snapshot() {
  local name=$1 rx=$2 ry=$3 rw=$4 rh=$5 x y w h
  read -r x y w h < <(geometry) || return 1
  import -window root -crop "${rw}x${rh}+$((x + rx))+$((y + ry))" +repage "$work/$name.png" 2>/dev/null
}
# pixel X Y: the colour of one pixel of the window, as "R G B" in decimal.
pixel() {
  local x y w h text
  read -r x y w h < <(geometry) || return 1
  text=$(import -window root -crop "1x1+$((x + $1))+$((y + $2))" -depth 8 txt:- 2>/dev/null | tail -n1)
  [[ $text =~ \#([0-9A-F]{2})([0-9A-F]{2})([0-9A-F]{2}) ]] || return 1
  echo $((16#${BASH_REMATCH[1]})) $((16#${BASH_REMATCH[2]})) $((16#${BASH_REMATCH[3]}))
}

# For a failure report: when the player (pid $1) has ended, how it ended (its exit status or the
# signal it died of), then its output ($2, standard output and error), so a failure explains
# itself.
report_player() {
  local player_pid=$1 log=$2 state status=0
  state=$(ps -o stat= -p "$player_pid" 2>/dev/null) || state=""
  if [[ -z $state || $state == Z* ]]; then
    wait "$player_pid" 2>/dev/null || status=$?
    if ((status > 128)); then
      echo "the player died of SIG$(kill -l $((status - 128)))" >&2
    else
      echo "the player ended with status $status" >&2
    fi
  fi
  [[ -s $log ]] && sed 's/^/  player: /' "$log" >&2
  # A player still running when a check failed: where its threads and its page processes are.
  if [[ -n $state && $state != Z* ]]; then
    local family=$player_pid children=$player_pid
    while children=$(pgrep -d, -P "$children" 2>/dev/null) && [[ -n $children ]]; do
      family+=,$children
    done
    ps -o pid,stat,time,wchan:20,args -p "$family" 2>/dev/null | cut -c1-150 | sed 's/^/  process: /' >&2
    if command -v gdb >/dev/null; then
      timeout 60 gdb -p "$player_pid" -batch -ex "thread apply all bt 12" 2>/dev/null |
        grep -E '^(Thread|#)' | cut -c1-160 | sed 's/^/  stack: /' >&2
    fi
  fi
  return 0
}
