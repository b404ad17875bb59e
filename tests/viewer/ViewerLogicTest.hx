// The viewer's decisions that need no emulator: which pages form a spread, what stays decoded,
// zoom limits, keys, and how an untrusted table of contents is read. Run with `haxe --interp`.
import Contents;
import Keys.Action;

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
		var spreads = new Spreads(12, true);
		for (text => page in ["7" => 6, " 3 " => 2, "0" => 0, "-4" => 0, "999" => 11, "" => -1, "abc" => -1])
			equal(page, spreads.pageForNumber(text), 'page number "$text"');
		equal(-1, new Spreads(0, true).pageForNumber("1"), "a number in an empty book");
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
}
