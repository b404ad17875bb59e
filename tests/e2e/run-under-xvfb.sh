#!/usr/bin/env bash
# Runs a command on its own virtual X display (1280 x 1024), or skips (exit 77) when the display
# packages are missing. scripts/install-deps installs them.
set -u
missing=()
for tool in xvfb-run Xvfb xauth xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ((${#missing[@]})); then
  echo "SKIPPED: display packages missing (${missing[*]}); install xvfb xauth xdotool x11-utils imagemagick" >&2
  exit 77
fi
# -noreset: by default the server resets whenever its last client leaves, and a client that connects
# during the reset is turned away (a player started right after an xdotool query then aborts in
# Qt's display set-up).
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" "$@"
