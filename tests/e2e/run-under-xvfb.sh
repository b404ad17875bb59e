#!/usr/bin/env bash
# Runs a command on its own virtual X display (1280 x 1024), or skips (exit 77) when the display
# packages are missing. scripts/install-deps installs them.
# The server picks a free display number itself (-displayfd) and reports it once it accepts
# connections: choosing a number first and starting the server afterwards raced with other
# display servers starting at the same moment on the machine.
set -u
missing=()
for tool in Xvfb xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ((${#missing[@]})); then
  echo "SKIPPED: display packages missing (${missing[*]}); install xvfb xdotool x11-utils imagemagick" >&2
  exit 77
fi

display_file=$(mktemp)
# -noreset: by default the server resets whenever its last client leaves, and a client that
# connects during the reset is turned away (a player started right after an xdotool query then
# aborts in Qt's display set-up).
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" 2>/dev/null &
xvfb=$!
stop_display() {
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  rm -f "$display_file"
}
trap stop_display EXIT
# Polls for up to a minute: the server starts slowly on a loaded machine.
for ((i = 0; i < 600; i++)); do
  [[ -s $display_file ]] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [[ ! -s $display_file ]]; then
  echo "FAILED: the virtual display did not start" >&2
  exit 1
fi
DISPLAY=":$(head -n1 "$display_file")" "$@"
