#!/usr/bin/env bash
# The README's layout table against the source tree: every top-level folder has its row, every
# folder of sources below one is named in its parent's row (or has a row of its own), every row
# names folders that exist, and every document of docs/ is listed under "Where to read on".
# Folders are those git tracks; without git, those on disk less build/ and node_modules/.
# usage: readme-layout.sh <source folder>
set -euo pipefail
source_dir=$1
readme=$source_dir/README.md

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git -C "$source_dir" ls-files)
else
  files=$(cd "$source_dir" && find . -path ./build -prune -o -path ./node_modules -prune -o \
    -type f -print | sed 's|^\./||')
fi
files=$(grep -v '^\.' <<<"$files")

# The table: the rows between "## Layout" and the next heading.
table=$(awk '/^## Layout/ {on = 1; next} /^#/ {on = 0} on && /^\| `/' "$readme")
[[ -n $table ]] || fail "the README has no layout table"
first_column() { awk -F'|' '{print $2}' <<<"$table"; }
row_of() { awk -F'|' -v folder="\`$1/\`" 'index($2, folder) {print}' <<<"$table"; }

# Every top-level folder has a row.
for folder in $(awk -F/ 'NF > 1 {print $1}' <<<"$files" | sort -u); do
  [[ -n $(row_of "$folder") ]] || fail "the layout table has no row for $folder/"
done

# Every folder holding sources one level down, outside tests/, is named in the table.
for folder in $(grep -E '\.(cpp|h|hx|js|sh)$' <<<"$files" | awk -F/ 'NF > 2 && $1 != "tests" {print $1 "/" $2}' | sort -u); do
  [[ -n $(row_of "$folder") ]] && continue
  parent=${folder%%/*} child=${folder#*/}
  grep -qF "\`$child/\`" <<<"$(row_of "$parent")" ||
    fail "the layout table names $folder/ neither in a row of its own nor in the row of $parent/"
done

# Every folder a row names in its first column exists.
for folder in $(first_column | grep -oE '`[^`]+/`' | tr -d '`'); do
  [[ -d $source_dir/$folder ]] || fail "the layout table names $folder, which does not exist"
done

# Every document of docs/ is listed where the README sends the reader on, and each one listed is
# there.
listed=$(awk '/^## Where to read on/ {on = 1; next} /^## / {on = 0} on' "$readme")
for document in $(grep -E '^docs/.*\.md$' <<<"$files"); do
  grep -qF "\`$document\`" <<<"$listed" || fail "\"Where to read on\" does not list $document"
done
for document in $(grep -oE '`[^`]+\.md`' <<<"$listed" | tr -d '`'); do
  [[ -f $source_dir/$document ]] || fail "\"Where to read on\" lists $document, which does not exist"
done
echo "the layout table names every folder of the source tree"
