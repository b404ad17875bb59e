#!/usr/bin/env bash
# Books exported with `bookstub export`, served by `bookstub serve` and played in headless
# Chromium and Firefox (play-exported-books.js):
#  - the demo source book packed onto a player, with the compressed copies;
#  - a book built the way old books are: a stub of another platform, the documents naming
#    their files with "\" and in letter cases the table of contents does not repeat;
#  - a book made by `bookstub make` from the standard test PDF: its links and its search;
#  - the demo book's package alone, without a stub (exported, not played: its site must be the
#    demo's).
# Also: a half-made export leaves nothing, serve refuses what is outside the site and stops on
# Ctrl-C.
#   export-e2e.sh <bookstub> <demo source book> <viewer movie> <bookstub-write-test-pdf> <work folder>
set -euo pipefail
bookstub=$1 demo_source=$2 viewer=$3 write_pdf=$4 work=$5
here=$(cd "$(dirname "$0")" && pwd)

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

for program in chromium firefox-esr curl convert; do
  command -v "$program" >/dev/null || { echo "SKIP: $program is missing (scripts/install-deps)"; exit 77; }
done
[[ -d $here/../../../node_modules/puppeteer-core ]] ||
  { echo "SKIP: puppeteer-core is missing (scripts/install-deps)"; exit 77; }

rm -rf "$work"
mkdir -p "$work/sites"

# The demo book on a stand-in stub (any file: the player is not run), and its bare package.
printf 'stub' >"$work/stub"
: >"$work/empty-stub"
"$bookstub" pack --player "$work/stub" --source "$demo_source" -o "$work/demo.book" >/dev/null
"$bookstub" pack --player "$work/empty-stub" --source "$demo_source" -o "$work/demo.package" >/dev/null

# An old-style book: a Windows-like stub, "\" and mixed case in the documents, a table of
# contents naming the files in other letter cases, with "/" and "\".
old="$work/old-source"
mkdir -p "$old/res/pages" "$old/res/other"
for i in 1 2 3; do
  convert -size 500x700 xc:'#f4efe4' -fill "hsl($((i * 90)),55%,40%)" \
    -draw "rectangle 40,$((60 + i * 120)) 460,$((100 + i * 120))" "$old/res/pages/Page_000$i.PNG"
done
cp "$viewer" "$old/Book.SWF"
cat >"$old/project.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<project>
  <exetitle>An old book &amp; its &lt;names&gt;</exetitle>
  <preloader><filename>Book.SWF</filename></preloader>
  <toc><filename>res\other\TOC.XML</filename></toc>
  <navbtn/>
</project>
XML
{
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<book title="An old book" pagewidth="500" pageheight="700"><Chapters><chapter><Pages>'
  for i in 1 2 3; do
    echo "<page><elem><img src=\"res\\pages\\Page_000$i.PNG\" left=\"0\" top=\"0\" width=\"500\" height=\"700\"/></elem></page>"
  done
  echo '</Pages></chapter></Chapters></book>'
} >"$old/book.xml"
cat >"$old/res/other/TOC.XML" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<toc version="1" title="An old book" pagewidth="500" pageheight="700">
  <page src="RES/PAGES/page_0001.png"/>
  <page src="res\pages\PAGE_0002.png"/>
  <page src="Res/Pages/page_0003.PNG"/>
  <chapter title="An old book" page="1"/>
</toc>
XML
{ printf 'MZ\x90\x00'; head -c 4096 /dev/zero; printf 'PE\0\0'; } >"$work/old-stub.exe"
"$bookstub" pack --player "$work/old-stub.exe" --source "$old" -o "$work/old-book.exe" >/dev/null

# A book made from a PDF, on the same stand-in stub.
"$write_pdf" "$work/standard.pdf" standard
"$bookstub" make --quiet --title "A PDF book" --player "$work/stub" -o "$work/pdf.book" "$work/standard.pdf"

"$bookstub" export "$work/demo.book" "$work/sites/demo" | tee "$work/export.out"
grep -q 'compressed copies' "$work/export.out" || fail "no compressed copies reported"
"$bookstub" export --quiet --no-compressed-copies "$work/old-book.exe" "$work/sites/old"
"$bookstub" export --quiet "$work/pdf.book" "$work/sites/pdf"
"$bookstub" export --quiet "$work/demo.package" "$work/bare"

# The site's layout, its page and its copies.
demo="$work/sites/demo"
for file in index.html book-files.json files/book.swf files/res/other/toc.xml ruffle/ruffle.js \
  ruffle/LICENSE_MIT ruffle/LICENSE_APACHE; do
  [[ -f $demo/$file ]] || fail "the site lacks $file"
done
(($(ls "$demo"/ruffle/*.wasm | wc -l) == 2)) || fail "the site lacks one of the emulator's two WebAssembly builds"
for wasm in "$demo"/ruffle/*.wasm; do
  cmp -s <(gunzip -c "$wasm.gz") "$wasm" || fail "$wasm.gz is not $wasm"
  [[ -s $wasm.br ]] || fail "no brotli copy of $wasm"
done
grep -q '<title>Bookstub demo book</title>' "$demo/index.html" || fail "the page lacks the book's title"
grep -q '<title>An old book &amp; its &lt;names&gt;</title>' "$work/sites/old/index.html" ||
  fail "the old book's title is not escaped in its page"
[[ -z $(find "$work/sites/old" -name '*.gz' -o -name '*.br') ]] || fail "--no-compressed-copies wrote copies"
grep -q '"res/pages/Page_0001.PNG"' "$work/sites/old/book-files.json" || fail "the old book's names are not listed as written"
cmp -s "$work/bare/book-files.json" "$demo/book-files.json" || fail "the bare package's site differs from the book's"
# The split's own files never reach the site.
[[ -z $(find "$work/sites" -iname 'log*.txt') ]] || fail "a log reached the site"

# A failed export leaves nothing; a folder that is not empty is refused.
if "$bookstub" export --quiet "$work/stub" "$work/sites/broken" 2>"$work/broken.err"; then
  fail "a file without a book was exported"
fi
[[ ! -e $work/sites/broken && -z $(find "$work/sites" -maxdepth 1 -name '.*') ]] ||
  fail "a failed export left files behind: $(ls -A "$work/sites")"
if "$bookstub" export --quiet "$work/demo.book" "$demo" 2>/dev/null; then
  fail "an export into a folder that is not empty went through"
fi

# One server for all the sites; its address from its first line.
"$bookstub" serve "$work/sites" >"$work/serve.out" 2>"$work/serve.err" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for ((i = 0; i < 100; i++)); do
  address=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$work/serve.out" || true)
  [[ -n $address ]] && break
  sleep 0.1
done
[[ -n $address ]] || fail "serve printed no address: $(cat "$work/serve.out" "$work/serve.err")"
status() { curl -s -o /dev/null -w '%{http_code}' --path-as-is "$@"; }
[[ $(status "${address}demo/files/../../serve.out") == 404 ]] || fail "serve gave a file outside the site"
[[ $(status -H 'Accept-Encoding: br' -D "$work/headers" "${address}demo/ruffle/ruffle.js") == 200 ]] || fail "no emulator script"
grep -qi '^content-encoding: br' "$work/headers" || fail "serve did not send the brotli copy"
wasm=$(basename "$(ls "$demo"/ruffle/*.wasm | head -n1)")
curl -s -D - -o /dev/null "${address}demo/ruffle/$wasm" | grep -qi '^content-type: application/wasm' ||
  fail "the WebAssembly is not served as application/wasm"

for browser in chromium firefox; do
  node "$here/play-exported-books.js" "$browser" "$work" "${address}demo/index.html" \
    "${address}old/index.html" "${address}pdf/index.html"
done

kill -INT "$server"
for ((i = 0; i < 100; i++)); do
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
wait "$server" || fail "serve did not end cleanly on Ctrl-C (status $?)"
trap - EXIT
grep -q '^Stopped' "$work/serve.out" || fail "serve did not say it stopped"
echo "every export played"
