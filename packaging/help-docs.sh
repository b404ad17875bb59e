#!/usr/bin/env bash
# Writes what the package says about the two programs from their own --help, at build time, so
# that the manual pages and the shell completion follow the programs' options:
#   help-docs.sh man PROGRAM OUT.1.gz [BOOKSTUB]  the manual page of PROGRAM (help2man); with
#                                                 BOOKSTUB, a COMMANDS section holding the help
#                                                 of each of its commands
#   help-docs.sh completion BOOKSTUB OUT          bash completion of BOOKSTUB's commands and options
# The commands and options are read from the tool's help as its option parser prints it:
# "Subcommands:", "Options:" and "Positionals:" sections of lines "  NAMES [TYPE ...]  TEXT".
set -euo pipefail

# The commands of the tool, one per line.
commands_of() {
  "$1" --help | awk '/^Subcommands:/ {in_list = 1; next} /^[^ ]/ {in_list = 0}
    in_list && /^  [a-z]/ {print $1}'
}

# The options of one command (or of the tool, without a command) as "NAMES VALUE TEXT" lines:
# NAMES comma-separated, VALUE "value" when the option takes one, else "flag".
options_of() {
  local tool=$1
  shift
  "$tool" "$@" --help | awk '
    /^Options:/ {in_list = 1; next}
    /^[^ ]/ {in_list = 0}
    in_list && /^  -/ {
      line = substr($0, 3)
      split(line, parts, /  +/)
      n = split(parts[1], words, " ")
      value = (n > 1 && words[2] != "REQUIRED") ? "value" : "flag"
      text = line
      sub(/^[^ ]+( [^ ]+)*  +/, "", text)
      print words[1], value, text
    }'
}

man_page() {
  local program=$1 out=$2 tool=${3:-} include
  include=$(mktemp)
  trap 'rm -f "$include" "$include.1"' RETURN
  if [[ -n $tool ]]; then
    {
      echo "[COMMANDS]"
      local command
      for command in $(commands_of "$tool"); do
        "$tool" "$command" --help | awk '
          # roff text: backslashes as \e, hyphens as \-, a leading dot or quote kept as text.
          function esc(text) {
            gsub(/\\/, "\\e", text); gsub(/-/, "\\-", text); sub(/^[.\047]/, "\\\\&&", text)
            return text
          }
          NR == 1 {summary = $0; next}
          /^Usage:/ {sub(/^Usage: /, ""); print ".SS \"" esc($0) "\""; print esc(summary); next}
          /^(Positionals|Options):/ {section = $0; print ".PP"; print "\\fI" section "\\fR"; next}
          /^  / && section != "" {
            line = substr($0, 3); split(line, parts, /  +/)
            text = line; sub(/^[^ ]+( [^ ]+)*  +/, "", text)
            print ".TP"; print "\\fB" esc(parts[1]) "\\fR"; print esc(text)
          }'
      done
    } >"$include"
  fi
  help2man --no-info --no-discard-stderr ${tool:+--include="$include"} \
    --name="$(description_of "$program")" --output="$include.1" "$program"
  gzip -9n <"$include.1" >"$out"
}

description_of() {
  case $(basename "$1") in
    bookstub-player) echo "play a book: an executable with a book package appended" ;;
    bookstub) echo "make, convert, split and inspect books of the Bookstub player" ;;
    *) basename "$1" ;;
  esac
}

completion() {
  local tool=$1 out=$2 name command commands
  name=$(basename "$tool")
  commands=$(commands_of "$tool" | tr '\n' ' ')
  {
    echo "# bash completion of $name, written from its --help when it was built."
    echo "_${name//-/_}() {"
    echo '  local cur prev words cword command="" i'
    echo '  _init_completion || return'
    echo "  for ((i = 1; i < cword; i++)); do"
    echo "    case \${words[i]} in"
    echo "      ${commands// /|}) command=\${words[i]} && break ;;" | sed 's/|)/)/'
    echo "    esac"
    echo "  done"
    echo '  local options="" values=""'
    echo '  case $command in'
    printf '    "") options="%s" ;;\n' "$(options_of "$tool" | awk '{gsub(",", " ", $1); printf "%s ", $1}')"
    for command in $commands; do
      printf '    %s) options="%s" values="%s" ;;\n' "$command" \
        "$(options_of "$tool" "$command" | awk '{gsub(",", " ", $1); printf "%s ", $1}')" \
        "$(options_of "$tool" "$command" | awk '$2 == "value" {gsub(",", " ", $1); printf "%s ", $1}')"
    done
    echo '  esac'
    echo '  # An option that takes a value: a file or folder name.'
    echo '  if [[ " $values " == *" $prev "* ]]; then _filedir && return; fi'
    echo '  if [[ -z $command && $cur != -* ]]; then'
    printf '    mapfile -t COMPREPLY < <(compgen -W "%s" -- "$cur")\n' "${commands% }"
    echo '  elif [[ $cur == -* ]]; then'
    echo '    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")'
    echo '  else'
    echo '    _filedir'
    echo '  fi'
    echo '}'
    echo "complete -F _${name//-/_} $name"
  } >"$out"
}

case ${1:-} in
  man) man_page "$2" "$3" "${4:-}" ;;
  completion) completion "$2" "$3" ;;
  *) sed -n '2,8p' "$0" >&2 && exit 2 ;;
esac
