#!/usr/bin/env bash
# Checks that a package survives `bookstub unpack` and `bookstub pack`: the repacked package
# splits into the same tree, byte for byte, with the same window messages and the same log
# lines (time stamps aside) as the original.
#   round-trip.sh BOOKSTUB PACKAGE PLAYER WORK
set -euo pipefail
bookstub=$1 package=$2 player=$3 work=$4
rm -rf "$work"
mkdir -p "$work"

"$bookstub" unpack "$package" "$work/source" >/dev/null
"$bookstub" pack --player "$player" --source "$work/source" -o "$work/repacked" >/dev/null

split() {  # split PACKAGE NAME: messages, log without time stamps, and a listing of the tree
  local root="$work/$2"
  "$bookstub" split --messages "$1" "$root" >"$work/$2.messages"
  cut -c20- "$root/files/Log/log1.txt" >"$work/$2.log"
  rm -r "$root/files/Log"
}
split "$package" split-original
split "$work/repacked" split-repacked

diff -r "$work/split-original" "$work/split-repacked"
diff "$work/split-original.messages" "$work/split-repacked.messages"
diff "$work/split-original.log" "$work/split-repacked.log"
echo "round trip of $package: same tree, messages and log"
