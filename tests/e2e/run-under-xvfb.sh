#!/usr/bin/env bash
# Runs a command on its own virtual X display (1280 x 1024), or skips (exit 77) when the display
# packages are missing. scripts/install-deps installs them.
#   run-under-xvfb.sh [--window-manager] [--primary-on-the-right] <command> [arguments]
# --window-manager        openbox manages the windows (frames with a title bar and borders);
#                         without it nothing does, and windows have no frame at all.
# --primary-on-the-right  the display is 2560 x 1024, split into two 1280 x 1024 monitors, and
#                         the primary one is the right one, away from the origin.
# The command finds the primary monitor as "x y width height" in PRIMARY_SCREEN.
# The server picks a free display number itself (-displayfd) and reports it once it accepts
# connections: choosing a number first and starting the server afterwards raced with other
# display servers starting at the same moment on the machine.
set -u
window_manager=false two_monitors=false
while (($#)); do
  case $1 in
    --window-manager) window_manager=true ;;
    --primary-on-the-right) two_monitors=true ;;
    *) break ;;
  esac
  shift
done

tools=(Xvfb xdotool xwininfo xprop import convert)
$window_manager && tools+=(openbox)
$two_monitors && tools+=(xrandr)
missing=()
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ((${#missing[@]})); then
  echo "SKIPPED: display packages missing (${missing[*]}); run scripts/install-deps" >&2
  exit 77
fi

screen_size=1280x1024 primary="0 0 1280 1024"
$two_monitors && screen_size=2560x1024 primary="1280 0 1280 1024"

display_file=$(mktemp)
xvfb="" window_manager_pid=""
stop_display() {
  if [[ -n $window_manager_pid ]]; then
    kill "$window_manager_pid" 2>/dev/null
    wait "$window_manager_pid" 2>/dev/null
  fi
  if [[ -n $xvfb ]]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -f "$display_file"
}
trap stop_display EXIT

# Polls `check` (a command) every 0.1 s for up to a minute: the machine may be loaded.
wait_until() {
  local i
  for ((i = 0; i < 600; i++)); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}

# -noreset: by default the server resets whenever its last client leaves, and a client that
# connects during the reset is turned away (a player started right after an xdotool query then
# aborts in Qt's display set-up).
Xvfb -displayfd 3 -screen 0 "${screen_size}x24" -nolisten tcp -noreset 3>"$display_file" 2>/dev/null &
xvfb=$!
if ! wait_until '[[ -s $display_file ]] || ! kill -0 "$xvfb" 2>/dev/null' || [[ ! -s $display_file ]]; then
  echo "FAILED: the virtual display did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$display_file")"

if $two_monitors; then
  # The output's own monitor becomes the right half and the primary one; the left half is a
  # second monitor of no output.
  if ! xrandr --setmonitor left 1280/338x1024/271+0+0 none >/dev/null ||
    ! xrandr --setmonitor right 1280/338x1024/271+1280+0 screen >/dev/null ||
    ! xrandr --output screen --primary; then
    echo "FAILED: the two monitors could not be set up" >&2
    exit 1
  fi
fi

if $window_manager; then
  openbox --sm-disable >/dev/null 2>&1 &
  window_manager_pid=$!
  # Ready once it has announced itself on the root window.
  managing() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  if ! wait_until 'managing || ! kill -0 "$window_manager_pid" 2>/dev/null' || ! managing; then
    echo "FAILED: the window manager did not start" >&2
    exit 1
  fi
fi

PRIMARY_SCREEN=$primary "$@"
