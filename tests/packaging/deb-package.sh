#!/usr/bin/env bash
# Makes the Debian package of the build with CPack, as scripts/package does, and checks what it
# holds: the two programs, the desktop entry and the icon under /usr, the player still bare,
# dependencies that name the Qt WebEngine runtime the player needs, a description that names the
# tool's commands, the copyright file, manual pages in step with the programs' --help, and a bash
# completion that offers every command and option the tool's --help lists.
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
  "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/bookstub-player.svg" \
  "-rw-r--r-- ./usr/share/man/man1/bookstub.1.gz" \
  "-rw-r--r-- ./usr/share/man/man1/bookstub-player.1.gz" \
  "-rw-r--r-- ./usr/share/bash-completion/completions/bookstub" \
  "-rw-r--r-- ./usr/share/doc/bookstub/copyright" \
  "-rw-r--r-- ./usr/share/doc/bookstub/ruffle/LICENSE_MIT" \
  "-rw-r--r-- ./usr/share/doc/bookstub/ruffle/LICENSE_APACHE"; do
  grep -qxF -- "$expected" <<<"$files" || fail "the package lacks \"$expected\": $files"
done
outside=$(awk '{print $2}' <<<"$files" | grep -v '^\./usr/' || true)
[[ -z $outside ]] || fail "files outside /usr: $outside"

depends=$(dpkg-deb -f "$deb" Depends)
for runtime in libqt6webenginecore6 libqt6webenginewidgets6 qt6-qpa-plugins libpoppler-glib8; do
  grep -qE "(^|, )$runtime( |,|$)" <<<"$depends" || fail "Depends does not name $runtime: $depends"
done
[[ $(dpkg-deb -f "$deb" Package) == bookstub ]] || fail "the package is not named bookstub"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
description=$(dpkg-deb -f "$deb" Description)
for command in make pack unpack restub; do
  grep -qw "$command" <<<"$description" || fail "the description does not name \"$command\": $description"
done

# The packaged player must still be the bare player: it reports that it carries no book.
mkdir -p "$work/tree" "$work/tmp"
dpkg-deb -x "$deb" "$work/tree"
status=0
TMPDIR="$work/tmp" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$work/tree/usr/bin/bookstub-player" >"$work/bare.log" 2>&1 </dev/null || status=$?
((status == 1)) && grep -q "carries no book" "$work/bare.log" ||
  fail "the packaged player is not bare (exit $status): $(cat "$work/bare.log")"

# The PDF library is the authoring tool's alone: bookstub links it, the player does not.
needed() { readelf -d "$work/tree/usr/bin/$1" | awk '/\(NEEDED\)/ {print $NF}'; }
grep -q poppler <<<"$(needed bookstub)" || fail "bookstub does not link poppler: $(needed bookstub)"
! grep -q poppler <<<"$(needed bookstub-player)" ||
  fail "the player links poppler: $(needed bookstub-player)"

# The copyright file in the machine-readable format: ours and the emulator's licences.
copyright=$work/tree/usr/share/doc/bookstub/copyright
head -n1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not machine-readable: $(head -n1 "$copyright")"
for license in "GPL-3.0-or-later" "MIT" "Apache-2.0"; do
  grep -qx "License: $license" "$copyright" || fail "the copyright file has no \"License: $license\" text"
done

# The manual pages hold what the programs' --help says: every command of the tool with each of
# its options, every option of the player.
tool=$work/tree/usr/bin/bookstub
page_text() { zcat "$work/tree/usr/share/man/man1/$1.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIR]//g'; }
options_in_help() { "$@" --help | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u; }
tool_page=$(page_text bookstub)
commands=$("$tool" --help | awk '/^Subcommands:/ {on = 1; next} /^[^ ]/ {on = 0} on && /^  [a-z]/ {print $1}')
[[ -n $commands ]] || fail "bookstub --help lists no commands"
for command in $commands; do
  grep -q "^\.SS \"bookstub $command " <<<"$tool_page" || fail "the manual page lacks the command \"$command\""
  section=$(awk -v c="bookstub $command " 'index($0, ".SS \"" c) == 1 {on = 1; next} /^\.S[SH]/ {on = 0} on' <<<"$tool_page")
  for option in $(options_in_help "$tool" "$command"); do
    grep -qe "$option" <<<"$section" || fail "the manual page lacks \"$option\" of \"bookstub $command\""
  done
done
player_page=$(page_text bookstub-player)
for option in $(options_in_help "$work/tree/usr/bin/bookstub-player"); do
  grep -qe "$option" <<<"$player_page" || fail "the player's manual page lacks \"$option\""
done

# The completion, as bash-completion loads it: every command, a command's options, file names
# after an option that takes a value.
complete_words() {
  bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" && shift &&
    COMP_WORDS=("$@") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) &&
    COMP_LINE="${COMP_WORDS[*]}" && COMP_POINT=${#COMP_LINE} && cd "$0" && _bookstub &&
    printf "%s\n" "${COMPREPLY[@]}"' \
    "$work/tree" "$work/tree/usr/share/bash-completion/completions/bookstub" "$@"
}
if [[ -f /usr/share/bash-completion/bash_completion ]]; then
  offered=$(complete_words bookstub "")
  for command in $commands; do
    grep -qx "$command" <<<"$offered" || fail "completion does not offer \"$command\": $offered"
  done
  for command in $commands; do
    for option in $(options_in_help "$tool" "$command" | grep -e '^--'); do
      complete_words bookstub "$command" "${option:0:3}" | grep -qx -- "$option" ||
        fail "completion does not offer \"$option\" after \"bookstub $command\""
    done
  done
  complete_words bookstub pack --player "us" | grep -qx "usr" ||
    fail "completion offers no file name after --player"
fi

if command -v apt-get >/dev/null; then
  apt-get --simulate install "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get cannot install the package: $(tail -n 20 "$work/apt.log")"
fi
echo "$deb: $(wc -l <<<"$files") entries; Depends: $depends"
