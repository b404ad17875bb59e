# Shell helpers of the end-to-end scripts that watch the player's window from outside, sourced by
# them. Set `title` (the window's title) before using them; the screen is the one on $DISPLAY.

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

read -r screen_width screen_height < <(xdotool getdisplaygeometry)

# The window is found by its title before every look: going frameless or bordered gives it a new
# native window, so an id found earlier may be gone.
window=""
find_window() { window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1); [[ -n $window ]]; }
# "X Y WIDTH HEIGHT" of the window on the screen.
geometry() {
  find_window || return 1
  xwininfo -id "$window" 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print x, y, w, h}'
}
is_full_screen() { [[ $(geometry) == "0 0 $screen_width $screen_height" ]]; }
# The window the player makes when it leaves full screen: 900 x 600, give or take a frame.
is_windowed() {
  local x y w h
  read -r x y w h < <(geometry) || return 1
  ((w <= 900 && w >= 880 && h <= 600 && h >= 570))
}
