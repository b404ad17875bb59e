// The viewer's decisions that need no emulator: which pages form a spread, what stays decoded,
// zoom limits, keys, how an untrusted table of contents is read, search matching, the contents
// tree and the geometry of a turning page. Run with `haxe --interp`.
import Contents;
import Curl;
import Keys.Action;
import SearchText;
import Spreads.Side;

class ViewerLogicTest {
	static var failures = 0;
	static var checks = 0;

	static function main() {
		spreadsPutTheCoverAloneOnTheRight();
		spreadsOneUpShowEveryPageAlone();
		neighbourhoodIsNearestFirstAndBounded();
		typedPageNumbersAreClamped();
		cacheKeepsItsBoundButNeverDropsPinnedPages();
		readingAWholeLongBookKeepsAFewPagesDecoded();
		zoomStepsAndPanLimits();
		keysTurnJumpAndZoom();
		contentsReadsPagesMarksAndLinks();
		contentsRefusesNamesOutsideTheBook();
		contentsSurvivesBadNumbersAndOldFiles();
		rightToLeftBooksMirrorSpreadsAndArrows();
		narrowWindowsShowOnePageAndFitTheToolbar();
		contentsReadsSearchDownloadsLabelsAndJumps();
		searchIgnoresCaseAndAccentsAndFindsTheWord();
		searchListsHitsInBookOrderWithContext();
		searchReadsIndexAndPageTextsAsUntrusted();
		outlineNestsBookmarksUnderChapters();
		outlineMarksTheEntryOfThePageBeingRead();
		curlFoldsThePaperWithoutStretchingIt();
		curlCarriesTheBackPageWithTheCorner();
		Sys.println('$checks checks, $failures failed');
		Sys.exit(failures == 0 ? 0 : 1);
	}

	static function equal<T>(expected:T, actual:T, what:String, ?pos:haxe.PosInfos) {
		checks++;
		if (Std.string(expected) == Std.string(actual)) return;
		failures++;
		Sys.println('${pos.fileName}:${pos.lineNumber}: $what: expected $expected, got $actual');
	}

	static function spreadsPutTheCoverAloneOnTheRight() {
		// pages shown (left, right) per spread, for books of 1 to 5 pages
		var cases = [
			1 => "[-1,0]",
			2 => "[-1,0] [1,-1]",
			3 => "[-1,0] [1,2]",
			4 => "[-1,0] [1,2] [3,-1]",
			5 => "[-1,0] [1,2] [3,4]"
		];
		for (count => expected in cases) {
			var spreads = new Spreads(count, true);
			var shown = [for (s in 0...spreads.count()) '[${spreads.left(s)},${spreads.right(s)}]'];
			equal(expected, shown.join(" "), '$count pages two-up');
			for (page in 0...count) equal(true, spreads.pages(spreads.spreadOf(page)).indexOf(page) >= 0, 'page $page of $count in its spread');
		}
		equal(0, new Spreads(0, true).count(), "an empty book has no spreads");
		equal(-1, new Spreads(0, true).firstPage(0), "an empty book shows no page");
	}

	static function spreadsOneUpShowEveryPageAlone() {
		var spreads = new Spreads(4, false);
		equal(4, spreads.count(), "spreads one-up");
		equal("[2]", Std.string(spreads.pages(2)), "third spread one-up");
		equal(3, spreads.spreadOf(3), "spread of the last page");
		equal(3, spreads.clampSpread(10), "past the end");
		equal(0, spreads.clampSpread(-2), "before the start");
	}

	static function neighbourhoodIsNearestFirstAndBounded() {
		var spreads = new Spreads(500, true);
		equal("[199,200,201,202,197,198]", Std.string(spreads.neighbourhood(100, 1)), "around spread 100");
		equal("[0,1,2]", Std.string(spreads.neighbourhood(0, 1)), "around the cover");
		equal("[499,497,498]", Std.string(spreads.neighbourhood(250, 1)), "around the last page");
		equal("[9,10,8]", Std.string(new Spreads(20, false).neighbourhood(9, 1)), "one-up");
	}

	static function typedPageNumbersAreClamped() {
		var contents = Contents.parse('<toc>' + [for (i in 0...12) '<page/>'].join("") + '</toc>');
		for (text => page in ["7" => 6, " 3 " => 2, "0" => 0, "-4" => 0, "999" => 11, "" => -1, "abc" => -1])
			equal(page, contents.pageForText(text), 'page number "$text"');
		equal(-1, new Contents().pageForText("1"), "a number in an empty book");
	}

	static function cacheKeepsItsBoundButNeverDropsPinnedPages() {
		var disposed = [];
		var cache = new Cache<String>(3, function(v) disposed.push(v));
		for (key in 0...5) cache.put(key, 'p$key', []);
		equal(3, cache.size(), "size at the bound");
		equal("[p0,p1]", Std.string(disposed), "least recently used go first");
		cache.get(2);
		cache.put(5, "p5", []);
		equal("[p0,p1,p3]", Std.string(disposed), "a read keeps a page");
		cache.put(6, "p6", [2, 4, 5, 6]);
		equal(4, cache.size(), "pinned pages may exceed the bound");
		cache.trim([6]);
		equal(3, cache.size(), "unpinned again, the bound holds");
		cache.put(6, "p6b", [6]);
		equal(true, disposed.indexOf("p6") >= 0, "a replaced value is disposed");
		cache.clear();
		equal(0, cache.size(), "cleared");
		equal(disposed.length, 8, "every value disposed once");
	}

	// Paging through a 500-page book and jumping around keeps at most the cache's bound decoded,
	// and whatever is on screen is always in the cache.
	static function readingAWholeLongBookKeepsAFewPagesDecoded() {
		var spreads = new Spreads(500, true);
		var live = 0;
		var cache = new Cache<Int>(8, function(_) live--);
		var most = 0;
		var missing = 0;
		var visit = function(spread:Int) {
			var near = spreads.neighbourhood(spread, 1);
			cache.trim(near);
			for (page in near) if (!cache.has(page)) {
				live++;
				cache.put(page, page, near);
			}
			for (page in spreads.pages(spread)) if (!cache.has(page)) missing++;
			most = Std.int(Math.max(most, live));
		};
		for (spread in 0...spreads.count()) visit(spread);
		for (spread in [0, 250, 3, 249, 125]) visit(spread);
		equal(true, most <= 8, 'at most 8 pages decoded (saw $most)');
		equal(0, missing, "pages on screen missing from the cache");
	}

	static function zoomStepsAndPanLimits() {
		var zoom = new Zoom();
		equal(false, zoom.zoomOut(), "no zooming out below the fitted page");
		var steps = 0;
		while (zoom.zoomIn()) steps++;
		equal(Zoom.STEPS.length - 1, steps, "zoom-in steps");
		equal(4.0, zoom.scale(), "largest scale");
		equal(true, zoom.reset(), "reset changes the scale");
		equal(1.0, zoom.scale(), "reset scale");
		equal(100.0, Zoom.clampPan(500, 1000, 800), "pan right stops at the edge");
		equal(-100.0, Zoom.clampPan(-500, 1000, 800), "pan left stops at the edge");
		equal(0.0, Zoom.clampPan(50, 600, 800), "content smaller than the view stays centred");
	}

	static function keysTurnJumpAndZoom() {
		var cases:Array<{code:Int, char:Int, action:Action}> = [
			{code: 39, char: 0, action: Next}, {code: 34, char: 0, action: Next}, {code: 40, char: 0, action: Next},
			{code: 37, char: 0, action: Previous}, {code: 33, char: 0, action: Previous}, {code: 36, char: 0, action: First},
			{code: 35, char: 0, action: Last}, {code: 107, char: 43, action: ZoomIn}, {code: 187, char: 61, action: ZoomIn},
			{code: 0, char: 43, action: ZoomIn}, {code: 109, char: 45, action: ZoomOut}, {code: 189, char: 45, action: ZoomOut},
			{code: 65, char: 97, action: Ignore}, {code: 13, char: 13, action: Ignore}
		];
		for (c in cases) equal(c.action, Keys.actionFor(c.code, c.char), 'key ${c.code}/${c.char}');
	}

	static function contentsReadsPagesMarksAndLinks() {
		var contents = Contents.parse('<?xml version="1.0" encoding="UTF-8"?>
			<toc version="1" title="A &amp; B" pagewidth="400" pageheight="600">
			  <page src="res/pages/a.png" mobile="res/mobile/page0001_i1.png" thumb="res/thumbnails/thumb_0.png"
			        left="10" top="20" width="380" height="560">
			    <area left="5" top="6" width="70" height="80" url="https://example.org/?a=1&amp;b=2"/>
			    <area left="5" top="6" width="70" height="80" url="javascript:alert(1)"/>
			    <area left="5" top="6" width="0" height="80" url="https://example.org/"/>
			  </page>
			  <page src="res\\pages\\b.png"/>
			  <page/>
			  <chapter title="One" page="1"/>
			  <bookmark title="Start" page="0"/>
			  <bookmark title="End" page="99"/>
			  <bookmark page="2"/>
			</toc>');
		equal("A & B", contents.title, "title");
		equal(400.0, contents.pageWidth, "page width");
		equal(3, contents.pages.length, "pages");
		var first = contents.pages[0];
		equal("res/mobile/page0001_i1.png", first.mobile, "mobile copy");
		equal("res/thumbnails/thumb_0.png", first.thumb, "thumbnail");
		equal("10,20,380,560", [first.left, first.top, first.width, first.height].join(","), "picture place");
		equal(1, first.areas.length, "only a web link with a size is clickable");
		equal("https://example.org/?a=1&b=2", first.areas[0].url, "link");
		equal("res/pages/b.png", contents.pages[1].src, "backslashes become slashes");
		equal(null, contents.pages[2].src, "a page without a picture");
		equal("One@0", contents.chapters[0].title + "@" + contents.chapters[0].page, "chapter");
		equal("[0,2,1]", Std.string([for (b in contents.bookmarks) b.page]), "bookmark pages clamped into the book");
	}

	static function contentsRefusesNamesOutsideTheBook() {
		for (name => ok in [
			"res/pages/a.png" => true, "page 1.png" => true, "http://example.org/a.png" => false,
			"file:///etc/passwd" => false, "/etc/passwd" => false, "\\\\server\\share\\a.png" => false,
			"../a.png" => false, "res/../../a.png" => false, "res\\..\\..\\a.png" => false, "" => false,
			"C:\\a.png" => false
		])
			equal(ok, Contents.isBookPath(name), 'book path "$name"');
		for (url => ok in [
			"https://example.org/" => true, " HTTP://example.org/" => true, "mailto:a@example.org" => true,
			"javascript:alert(1)" => false, "JavaScript:alert(1)" => false, "file:///etc/passwd" => false,
			"data:text/html,x" => false, "res/pages/a.png" => false
		])
			equal(ok, Contents.isWebLink(url), 'web link "$url"');
	}

	static function contentsSurvivesBadNumbersAndOldFiles() {
		var contents = Contents.parse('<toc title="Old"><page src="res/pages/page_0000.png"/>'
			+ '<page src="x.png" width="abc" height="-5" left="1e400"/></toc>');
		equal(2, contents.pages.length, "the demo's older file");
		equal(Contents.DEFAULT_WIDTH, contents.pageWidth, "default page width");
		equal(0.0, contents.pages[1].width, "a bad width fills the page");
		equal(0, contents.bookmarks.length, "no bookmarks");
		equal(0, Contents.parse('<toc><bookmark page="3"/></toc>').bookmarks.length, "no bookmarks without pages");
		var area = '<area width="1" height="1" url="https://example.org/"/>';
		var crowded = Contents.parse('<toc><page>' + [for (i in 0...150) area].join("") + '</page></toc>');
		equal(Contents.MAX_AREAS, crowded.pages[0].areas.length, "link areas of one page are bounded");
		var failed = try {
			Contents.parse("<toc><page></toc>");
			false;
		} catch (e:Dynamic) true;
		equal(true, failed, "text that is not XML is refused");
	}

	static function rightToLeftBooksMirrorSpreadsAndArrows() {
		// pages shown (left, right) per spread
		for (count => expected in [1 => "[0,-1]", 4 => "[0,-1] [2,1] [-1,3]", 5 => "[0,-1] [2,1] [4,3]"]) {
			var spreads = new Spreads(count, true, false);
			equal(expected, [for (s in 0...spreads.count()) '[${spreads.left(s)},${spreads.right(s)}]'].join(" "), '$count pages right to left');
		}
		var spreads = new Spreads(5, true, false);
		equal(1, spreads.firstPage(1), "the page box shows the spread's earlier page");
		equal(Left, spreads.turningSide(true), "a right-to-left book turns forward from the left");
		equal(Right, spreads.turningSide(false), "and back from the right");
		equal(Right, new Spreads(5, true).turningSide(true), "a left-to-right book turns forward from the right");
		equal("[0]", Std.string(new Spreads(3, false, false).pages(0)), "one page at a time right to left");
		equal(Next, Keys.actionFor(37, 0, false, false), "left arrow turns forward right to left");
		equal(Previous, Keys.actionFor(39, 0, false, false), "right arrow turns back right to left");
		equal(Next, Keys.actionFor(34, 0, false, false), "page down still turns forward");
		equal(Find, Keys.actionFor(70, 6, true), "Ctrl+F opens the search");
		equal(Ignore, Keys.actionFor(39, 0, true), "Ctrl with another key does nothing");
		equal(ToggleMotion, Keys.actionFor(77, 109), "M switches the page animation");
	}

	static function narrowWindowsShowOnePageAndFitTheToolbar() {
		for (size => two in ["1280x946" => true, "900x522" => true, "639x400" => false, "560x822" => false, "700x700" => false])
			equal(two, Spreads.fitsTwoUp(Std.parseFloat(size.split("x")[0]), Std.parseFloat(size.split("x")[1])), 'two pages in $size');
		// page buttons 274, tools 762 with captions and 354 with icons, as in a book with search and downloads
		for (width => expected in [1280 => "captions, 1 row", 1076 => "captions, 1 row", 1075 => "icons, 1 row", 668 => "icons, 1 row",
			667 => "icons, 2 rows", 320 => "icons, 2 rows"]) {
			var fit = ToolbarFit.choose(width, 274, 762, 354);
			equal(expected, '${fit.icons ? "icons" : "captions"}, ${fit.rows} row${fit.rows > 1 ? "s" : ""}', 'toolbar at $width');
		}
	}

	static function contentsReadsSearchDownloadsLabelsAndJumps() {
		var contents = Contents.parse('<toc ltr="false" searchindex="res/other/index.xml" download="res/downloads/book.pdf">
			  <page label=" iv " searchtxt="res/pages/p1.xml" download="res/downloads/page_0000.pdf">
			    <area left="1" top="2" width="3" height="4" page="3"/>
			    <area left="1" top="2" width="3" height="4" page="99" url="https://example.org/"/>
			    <area left="1" top="2" width="3" height="4" page="x"/>
			  </page>
			  <page download="res/downloads/../book.xml" searchtxt="../x.xml"/>
			  <page download="res/other/toc.xml" label="${[for (i in 0...40) "x"].join("")}"/>
			  <bookmark title="Deep" page="2" level="3"/>
			  <bookmark title="Far" page="2" level="99"/>
			  <bookmark title="Bad" page="2" level="-1"/>
			</toc>');
		equal(false, contents.ltr, "right to left");
		equal("res/other/index.xml", contents.searchIndex, "search index");
		equal(true, contents.searchable(), "a book with texts can be searched");
		equal("res/downloads/book.pdf", contents.download, "book download");
		var first = contents.pages[0];
		equal("iv", contents.pageName(0), "page label");
		equal("2", contents.pageName(1), "a page without a label shows its number");
		equal(0, contents.pageForText("IV"), "a typed label finds its page");
		equal("res/pages/p1.xml", first.searchText, "page search text");
		equal("res/downloads/page_0000.pdf", first.download, "page download");
		equal(null, contents.pages[1].download, "a download climbing out of the downloads folder");
		equal(null, contents.pages[1].searchText, "a search text outside the book");
		equal(null, contents.pages[2].download, "a download outside the downloads folder");
		equal(Contents.MAX_LABEL, contents.pageName(2).length, "labels are bounded");
		equal("2,2", [for (a in first.areas) a.page].join(","), "jumps in the book, outside it to the last page, to no page dropped");
		equal("", first.areas[1].url, "a jump is not a link");
		equal("3,12,1", [for (b in contents.bookmarks) b.level].join(","), "bookmark levels clamped");
		for (name => ok in ["res/downloads/a.pdf" => true, "res\\downloads\\a.pdf" => true, "res/downloads/" => false,
			"res/downloads/sub/a.pdf" => false, "res/downloads/../a" => false, "res/pages/a.pdf" => false, "/res/downloads/a" => false])
			equal(ok, Contents.isDownloadPath(name), 'download "$name"');
		var plain = Contents.parse('<toc search="false" ltr="true"><page searchtxt="a.txt"/></toc>');
		equal(false, plain.searchable(), "search=false hides the search");
		equal(true, plain.ltr, "left to right");
		equal(false, Contents.parse('<toc><page/></toc>').searchable(), "a book without texts has no search");
		equal(false, Contents.parse('<toc><page/></toc>').hasDownloads(), "nor downloads");
	}

	static function searchIgnoresCaseAndAccentsAndFindsTheWord() {
		equal("ecole creme brulee aeiou-'", SearchText.fold("École CRÈME brûlée ÀÉÎÕÜ–’"), "folded");
		equal("a b c", SearchText.collapse("  a \t\n b\u00A0 c "), "spaces collapsed");
		equal("cafe", SearchText.collapse("cafe" + String.fromCharCode(0x301)), "combining accents dropped");
		var text = new SearchText();
		text.add(4, "Die Straße führt zum Café, dann weiter.");
		text.add(1, "The CAFÉ opens at nine.\nCafé society.");
		for (query => expected in [
			"café" => "1:1 1:5 4:4", "CAFE" => "1:1 1:5 4:4", "  cafe   society " => "1:5", "Strasse" => "",
			"Straße führt" => "4:1", "fuhrt" => "4:2", "afé" => "1:1 1:5 4:4", "" => "", "   " => "", "café, dann" => "4:4",
			"c.fe" => "", "caf." => "", "(café" => "", "[a-z]" => "", "nine\\." => "", "café|dann" => ""
		])
			equal(expected, [for (hit in text.find(query, 100).hits) '${hit.page}:${text.wordOf(hit)}'].join(" "), 'search "$query"');
		equal(2, text.find("café, dann", 10).hits[0].words, "a match of two words marks both");
		equal(0, text.find("society. die", 10).total, "no match across pages");
	}

	static function searchListsHitsInBookOrderWithContext() {
		var text = new SearchText();
		var filler = [for (i in 0...40) 'word$i'].join(" ");
		text.add(0, '$filler needle $filler');
		text.add(1, "needle");
		var found = text.find("NEEDLE", 10);
		var hit = found.hits[0];
		equal(40, text.wordOf(hit), "the words before it counted");
		equal(true, StringTools.startsWith(hit.context, "… ") && StringTools.endsWith(hit.context, " …"), 'context cut at both ends: ${hit.context}');
		equal("needle", hit.context.substr(hit.matchStart, hit.matchLength), "the match is marked in the context");
		equal(true, hit.context.indexOf("word39 needle word0") >= 0, "whole words around it");
		equal(true, hit.context.length < 120, "a few words only");
		equal("needle", found.hits[1].context, "a short page is its own context");
		var many = new SearchText();
		for (page in 0...1000) many.add(page, 'page $page of the book, a a a');
		var limited = many.find("a", 50);
		equal(50, limited.hits.length, "hits listed up to the limit");
		equal(4000, limited.total, "every hit counted");
		equal(4000, many.find("A", 4000).total, "a list of every hit");
		equal(1, many.find("page 999 of", 0).total, "hits counted without listing any");
		equal(100, many.find("a", 50, 100).total, "counting stops at its bound");
		equal("999:0", [for (h in many.find("page 999", 5).hits) '${h.page}:${many.wordOf(h)}'].join(""), "the last page of a long book");
	}

	static function searchReadsIndexAndPageTextsAsUntrusted() {
		var index = SearchText.readIndex('<?xml version="1.0" encoding="UTF-8"?>
			<searchindex version="1"><page number="2">Fish &amp; chips &lt;b&gt; &#233;t&#xE9; &#38;lt;</page>
			<page number="0">zero</page><page number="9">past the end</page><page number="x">bad</page>
			<page number="2">again</page><pages number="3">not a page</pages><page number="3"/>
			<page number=\'1\'><![CDATA[a <raw> text]]></page></searchindex>', 3);
		equal("1:Fish & chips <b> été &lt;|2:|0:a <raw> text", [for (p in index) '${p.page}:${p.text}'].join("|"), "index pages");
		var words = SearchText.readPage('<?xml version="1.0" encoding="UTF-8"?>
			<searchtext version="1"><word left="72" top="90.5" width="40.25" height="11">Hello,</word>
			<word left="120" top="90.5" width="30" height="11">big world</word><word left="a">&amp;</word><word/></searchtext>');
		equal("Hello, big world &", SearchText.pageIndexText(words), "page words");
		equal("72,90.5,40.25,11", [words[0].left, words[0].top, words[0].width, words[0].height].join(","), "a word's box");
		equal(true, words[2].hasBox(), "words split from one element keep its box");
		equal(false, words[3].hasBox(), "a word without a box");
		var plain = SearchText.readPage("Plain  text,\nno boxes <here>");
		equal("Plain text, no boxes <here>", SearchText.pageIndexText(plain), "plain text is searched");
		equal(false, plain[0].hasBox(), "plain text has no boxes");
		var huge = [for (i in 0...SearchText.MAX_WORDS + 10) "w"].join(" ");
		equal(SearchText.MAX_WORDS, SearchText.readPage(huge).length, "words of a page are bounded");
		// Word i of a page's index text is word i of its search text.
		var text = new SearchText();
		text.add(0, SearchText.pageIndexText(words));
		var hit = text.find("world", 1).hits[0];
		equal("world", words[text.wordOf(hit)].text, "a hit names the word of the page text");
	}

	static function outlineNestsBookmarksUnderChapters() {
		var outline = new Outline([new Mark("Part one", 0), new Mark("Part two", 10)], [
			new Mark("Preface", 0, 1), new Mark("1.1", 2, 2), new Mark("1.1.1", 3, 3), new Mark("Skip", 4, 4),
			new Mark("1.2", 6, 2), new Mark("Intro two", 10, 1), new Mark("Deep first", 12, 3)
		]);
		var shape = [for (e in outline.entries) '${e.title}/${e.depth}'].join(" ");
		equal("Part one/0 Preface/1 1.1/2 1.1.1/3 Skip/4 1.2/2 Part two/0 Intro two/1 Deep first/2", shape, "tree");
		equal("Part one,Preface,Part two,Intro two", [for (i in outline.visible()) outline.entries[i].title].join(","), "chapters open, bookmarks closed");
		outline.toggle(1);
		equal("Part one,Preface,1.1,1.2,Part two,Intro two", [for (i in outline.visible()) outline.entries[i].title].join(","), "a bookmark opened");
		outline.toggle(0);
		equal("Part one,Part two,Intro two", [for (i in outline.visible()) outline.entries[i].title].join(","), "a chapter closed");
		outline.toggle(5);
		equal(false, outline.entries[5].open, "a row without children does not open");
		var loose = new Outline([new Mark("Late", 5)], [new Mark("Early", 1, 2), new Mark("After", 7, 1)]);
		equal("Early/0 Late/0 After/1", [for (e in loose.entries) '${e.title}/${e.depth}'].join(" "), "bookmarks before every chapter stay on top");
	}

	static function outlineMarksTheEntryOfThePageBeingRead() {
		var outline = new Outline([new Mark("Book", 0)], [new Mark("A", 0, 1), new Mark("A.1", 4, 2), new Mark("B", 8, 1), new Mark("B same page", 8, 1)]);
		for (page => entry in [0 => "A", 3 => "A", 4 => "A.1", 7 => "A.1", 8 => "B same page", 99 => "B same page"])
			equal(entry, outline.entries[outline.current(page)].title, 'entry of page $page');
		equal(-1, new Outline([new Mark("Late", 5)], []).current(2), "no entry before the first");
		var current = outline.current(5);
		equal(false, outline.visible().indexOf(current) >= 0, "the entry is hidden in a closed row");
		outline.reveal(current);
		equal(true, outline.visible().indexOf(current) >= 0, "revealed");
	}

	static function curlFoldsThePaperWithoutStretchingIt() {
		var curl = new Curl(500, 700, false);
		var start = curl.state(curl.corner());
		equal(true, start.flat, "the corner in place lifts nothing");
		equal(500.0 * 700.0, Curl.area(start.stays), "the whole leaf lies flat");
		var samples = [{x: 300.0, y: 650.0}, {x: 0.0, y: 500.0}, {x: -300.0, y: 600.0}, {x: 480.0, y: 10.0}, {x: 2000.0, y: -900.0}];
		for (p in samples) {
			var state = curl.state(p);
			var held = curl.constrain(p);
			var kept = Math.round(Curl.area(state.stays) + Curl.area(state.lifted));
			equal(350000, kept, 'the leaf keeps its area at $p');
			equal(Math.round(Curl.area(state.lifted)), Math.round(Curl.area(state.flap)), 'the flap is the lifted part at $p');
			equal(true, Math.sqrt(held.x * held.x + (held.y - 700) * (held.y - 700)) <= 500.001, 'the corner stays within the width of the spine at $p');
			equal(true, Math.sqrt(held.x * held.x + held.y * held.y) <= Math.sqrt(500 * 500 + 700 * 700) + 0.001, 'and within the diagonal at $p');
		}
		var done = curl.state(curl.end());
		equal(0.0, Curl.area(done.stays), "turned over, nothing stays");
		equal("-500,0,0,700", bounds(done.flap), "the turned leaf lies left of the spine");
		equal(1.0, done.progress, "progress at the end");
		var path = [for (i in 0...11) curl.path(i / 10)];
		equal("500,700 -500,700", '${path[0].x},${path[0].y} ${path[10].x},${path[10].y}', "an animated turn runs from corner to end");
		for (i in 1...11) equal(true, path[i].x < path[i - 1].x, 'the corner moves on at step $i');
		var top = new Curl(500, 700, true);
		equal("0,0,500,700", bounds(top.state({x: 250, y: 100}).stays.concat(top.state({x: 250, y: 100}).lifted)), "a top corner folds the same leaf");
		equal(true, top.state({x: 400, y: 30}).lifted[0].y < 350, "from the top");
	}

	static function curlCarriesTheBackPageWithTheCorner() {
		var curl = new Curl(400, 600, false);
		for (p in [{x: 250.0, y: 560.0}, {x: -100.0, y: 450.0}, {x: 399.0, y: 599.0}]) {
			var state = curl.state(p);
			var held = curl.constrain(p);
			var corner = state.back.apply({x: -400, y: 600});
			equal('${r(held.x)},${r(held.y)}', '${r(corner.x)},${r(corner.y)}', 'the back page\'s outer corner is at the pointer $p');
			// Every corner of the flap is the image of a point of the back page.
			for (q in state.flap) {
				var inverse = invert(state.back).apply(q);
				equal(true, inverse.x >= -400.01 && inverse.x <= 0.01 && inverse.y >= -0.01 && inverse.y <= 600.01, 'flap corner $q shows the back page');
			}
			// A fold is a mirror: lengths are kept.
			var a = state.back.apply({x: 0, y: 0});
			var b = state.back.apply({x: -400, y: 0});
			equal(400, Math.round(Math.sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y))), "the back page is not stretched");
		}
		var m = {x: 3.0, y: 4.0};
		var n = {x: 0.6, y: 0.8};
		var mirror = Curl.reflection(m, n);
		var twice = mirror.apply(mirror.apply({x: 17, y: -5}));
		equal("17,-5", '${r(twice.x)},${r(twice.y)}', "a reflection twice is the identity");
		equal("3,4", '${r(mirror.apply(m).x)},${r(mirror.apply(m).y)}', "the fold stays in place");
		var square = [{x: 0.0, y: 0.0}, {x: 10.0, y: 0.0}, {x: 10.0, y: 10.0}, {x: 0.0, y: 10.0}];
		equal(50.0, Curl.area(Curl.clip(square, {x: 5, y: 0}, {x: 1, y: 0}, 1)), "half a square");
		equal(100.0, Curl.area(Curl.clip(square, {x: 20, y: 0}, {x: 1, y: 0}, -1)), "all of it");
		equal(0, Curl.clip(square, {x: 20, y: 0}, {x: 1, y: 0}, 1).length, "none of it");
	}

	static function r(v:Float):Float {
		return Math.round(v * 1000) / 1000;
	}

	static function bounds(polygon:Array<Point2>):String {
		var xs = [for (p in polygon) r(p.x)];
		var ys = [for (p in polygon) r(p.y)];
		var min = function(a:Array<Float>) return Lambda.fold(a, Math.min, a[0]);
		var max = function(a:Array<Float>) return Lambda.fold(a, Math.max, a[0]);
		return '${min(xs)},${min(ys)},${max(xs)},${max(ys)}';
	}

	static function invert(m:Affine):Affine {
		var det = m.a * m.d - m.b * m.c;
		var a = m.d / det;
		var b = -m.b / det;
		var c = -m.c / det;
		var d = m.a / det;
		return new Affine(a, b, c, d, -(a * m.tx + c * m.ty), -(b * m.tx + d * m.ty));
	}
}
