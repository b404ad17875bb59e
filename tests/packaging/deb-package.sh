#!/usr/bin/env bash
# Makes the Debian package of the build with CPack, as scripts/package does, and checks what it
# holds: the two programs, the desktop entry and the icon under /usr, the player still bare, and
# dependencies that name the Qt WebEngine runtime the player needs.
# When apt-get is at hand, it also resolves the package's dependencies without installing.
# usage: deb-package.sh <cpack> <build folder> <work folder> <version>
set -euo pipefail
cpack=$1 build=$2 work=$3 version=$4

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
"$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" ||
  fail "cpack failed: $(cat "$work/cpack.log")"
deb=$work/bookstub_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb: $(ls "$work")"

files=$(dpkg-deb -c "$deb" | awk '{print $1, $NF}')
for expected in "-rwxr-xr-x ./usr/bin/bookstub" "-rwxr-xr-x ./usr/bin/bookstub-player" \
  "-rw-r--r-- ./usr/share/applications/bookstub-player.desktop" \
  "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/bookstub-player.svg"; do
  grep -qxF -- "$expected" <<<"$files" || fail "the package lacks \"$expected\": $files"
done
outside=$(awk '{print $2}' <<<"$files" | grep -v '^\./usr/' || true)
[[ -z $outside ]] || fail "files outside /usr: $outside"

depends=$(dpkg-deb -f "$deb" Depends)
for runtime in libqt6webenginecore6 libqt6webenginewidgets6 qt6-qpa-plugins; do
  grep -qE "(^|, )$runtime( |,|$)" <<<"$depends" || fail "Depends does not name $runtime: $depends"
done
[[ $(dpkg-deb -f "$deb" Package) == bookstub ]] || fail "the package is not named bookstub"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"

# The packaged player must still be the bare player: it reports that it carries no book.
mkdir -p "$work/tree" "$work/tmp"
dpkg-deb -x "$deb" "$work/tree"
status=0
TMPDIR="$work/tmp" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$work/tree/usr/bin/bookstub-player" >"$work/bare.log" 2>&1 </dev/null || status=$?
((status == 1)) && grep -q "carries no book" "$work/bare.log" ||
  fail "the packaged player is not bare (exit $status): $(cat "$work/bare.log")"

if command -v apt-get >/dev/null; then
  apt-get --simulate install "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get cannot install the package: $(tail -n 20 "$work/apt.log")"
fi
echo "$deb: $(wc -l <<<"$files") entries; Depends: $depends"
