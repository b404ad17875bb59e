#!/usr/bin/env bash
# The README's build commands in a fresh clone: the tracked files alone (no node_modules/, no
# build/), configured with the README's own configure command, which must install the pinned npm
# packages itself; then one library and the manual-page target of the tool are built, enough to
# show that the configured tree builds (the whole build is what scripts/test does).
# usage: readme-build.sh <source folder> <work folder>
set -euo pipefail
source_dir=$1 work=$2

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
  echo "SKIPPED: the source folder is not a git checkout" >&2
  exit 77
}
rm -rf "$work"
mkdir -p "$work/clone"
git -C "$source_dir" ls-files -z | (cd "$source_dir" && tar --null -T - -cf -) | tar -xf - -C "$work/clone"

# The first command of the README's build block: "cmake --preset default && cmake --build ...".
commands=$(awk '/^Build and install/ {on = 1} on && /^```sh/ {block = 1; next} block && /^```/ {exit}
  block {print}' "$source_dir/README.md" | head -n1)
configure=${commands%% && *}
[[ $configure == "cmake --preset default" ]] || fail "the README's build block starts with: $commands"

cd "$work/clone"
$configure >"$work/configure.log" 2>&1 || fail "\"$configure\" failed in a fresh clone: $(tail -n 20 "$work/configure.log")"
[[ -f node_modules/@ruffle-rs/ruffle/ruffle.js ]] || fail "configuring did not install the npm packages"
cmp -s package-lock.json node_modules/.bookstub-lock || fail "the npm packages were not stamped"
grep -q "Installing the npm packages" "$work/configure.log" || fail "configure did not say it installs the npm packages"
cmake --build --preset default --target bookstub_util >"$work/build.log" 2>&1 ||
  fail "the fresh clone does not build: $(tail -n 20 "$work/build.log")"
# A second configure finds them installed.
cmake --preset default >"$work/reconfigure.log" 2>&1 || fail "configuring again failed"
! grep -q "Installing the npm packages" "$work/reconfigure.log" || fail "configure installs the npm packages every time"
echo "a fresh clone configures with the README's command, installing the npm packages itself"
