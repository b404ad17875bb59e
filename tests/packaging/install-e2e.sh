#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the installed programs, on a virtual display
# (run through run-under-xvfb.sh):
#  - the programs, the desktop entry and the icon are in place, and both programs print the
#    version of the build and of the Flash emulator,
#  - the installed tool packs a book onto a stub from another platform, and the installed bare
#    player plays that file as it is: the book's movie runs in the emulator (it keeps asking to
#    leave full screen, and after a click the window becomes 900 x 600), and the working folder
#    goes at the end,
#  - the bare player given no book fails with a message and leaves no working folder,
#  - the installed tool makes a book from pictures onto the installed player without being told
#    where it is.
# usage: install-e2e.sh <cmake> <build folder> <bookstub-flash-host-harness> <work folder>
#                       <version> <emulator version>
set -euo pipefail
cmake=$1 build=$2 harness=$3 work=$4 version=$5 ruffle=$6
title="Installed Book"

fail() {
  echo "FAILED: $*" >&2
  [[ -n ${pid:-} ]] && kill "$pid" 2>/dev/null
  exit 1
}

rm -rf "$work"
mkdir -p "$work/tmp"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"

desktop=$prefix/share/applications/bookstub-player.desktop
for file in bin/bookstub bin/bookstub-player; do
  [[ -x $prefix/$file ]] || fail "$file is not installed as a program"
done
for file in share/applications/bookstub-player.desktop \
  share/icons/hicolor/scalable/apps/bookstub-player.svg; do
  [[ -s $prefix/$file ]] || fail "$file is not installed"
done
grep -qx 'Exec=bookstub-player %f' "$desktop" || fail "the desktop entry does not start the player"
grep -qx 'Icon=bookstub-player' "$desktop" || fail "the desktop entry does not name the icon"
# A candidate for book executables in "Open With", never made the default handler of every .exe.
grep -qx 'MimeType=application/x-ms-dos-executable;application/x-msdownload;' "$desktop" ||
  fail "the desktop entry does not offer itself for .exe files"
[[ -z $(find "$prefix" -name '*mimeapps.list') ]] || fail "the install sets default applications"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
fi
for program in bookstub bookstub-player; do
  actual=$("$prefix/bin/$program" --version)
  [[ $actual == "$program $version"$'\n'"Flash emulator: Ruffle $ruffle" ]] ||
    fail "$program --version printed: $actual"
done
echo "installed; both programs print $version and Ruffle $ruffle"

# A source book, packed onto a stub that is no program of ours.
source=$work/source
mkdir -p "$source/res/pages"
cat >"$source/project.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<project><exetitle>$title</exetitle><preloader><filename>book.swf</filename></preloader><navbtn/></project>
XML
cat >"$source/book.xml" <<'XML'
<?xml version="1.0"?>
<book title="Installed" pagewidth="300" pageheight="200"><Chapters><chapter><Pages>
<page><elem><img src="res\pages\page_0000.png" width="300" height="200"/></elem></page>
</Pages></chapter></Chapters></book>
XML
"$harness" write-movie "$source/book.swf" 30 repeat
convert -size 300x200 xc:red "$source/res/pages/page_0000.png"
head -c 65536 /dev/zero | tr '\0' 'M' >"$work/foreign-stub"
"$prefix/bin/bookstub" pack --player "$work/foreign-stub" --source "$source" \
  -o "$work/old-book.exe" >/dev/null

source "$(dirname "$0")/../e2e/window-probes.sh"
working_folders() { find "$work/tmp" -mindepth 1 -maxdepth 1 -type d -name '{*}' | wc -l; }
exited() { ! kill -0 "$pid" 2>/dev/null; }

TMPDIR="$work/tmp" "$prefix/bin/bookstub-player" "$work/old-book.exe" >"$work/player.log" 2>&1 &
pid=$!
wait_for 300 find_window || fail "no window titled \"$title\""
wait_for 150 is_full_screen || fail "the window did not go full screen: $(geometry)"
[[ $(working_folders) == 1 ]] || fail "expected one working folder under $work/tmp"
# The movie's calls switch the window only right after a click of the user: the click comes once
# the first call was refused (the movie runs).
refusal_logged() { grep -q "ignored the movie's full-screen request" "$work/player.log"; }
wait_for 300 refusal_logged || fail "the book's movie did not run (no full-screen call)"
read -r x y w h < <(geometry)
xdotool mousemove $((x + w / 4)) $((y + h / 4)) click 1
wait_for 300 is_windowed || fail "a click did not let the movie's call make a window: $(geometry)"
echo "the installed player plays a book made for another platform"
kill -TERM "$pid"
wait_for 150 exited || fail "the player did not end when asked to"
wait "$pid" || fail "the player exited with an error"
pid=""
[[ $(working_folders) == 0 ]] || fail "the working folder is still there: $(ls "$work/tmp")"

status=0
TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen "$prefix/bin/bookstub-player" \
  >"$work/no-book.log" 2>&1 || status=$?
((status == 1)) || fail "the bare player without a book exited with $status"
grep -q "This player carries no book" "$work/no-book.log" || fail "no message: $(cat "$work/no-book.log")"
[[ -z $(ls -A "$work/tmp") ]] || fail "a start without a book left $(ls "$work/tmp")"
echo "the bare player without a book says so and leaves nothing"

# The installed tool makes a book from pictures onto the installed bare player, found beside it.
mkdir -p "$work/pictures"
convert -size 60x80 xc:white "$work/pictures/page1.png"
PATH=/usr/bin:/bin "$prefix/bin/bookstub" make --quiet --title Made -o "$work/made" "$work/pictures"
cmp -s -n "$(stat -c %s "$prefix/bin/bookstub-player")" "$prefix/bin/bookstub-player" "$work/made" ||
  fail "bookstub make did not put the book onto the installed player"
echo "the installed tool makes a book onto the installed player"
