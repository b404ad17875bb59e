// Which pages are shown together. Two-up, the cover stands alone on the right and every later
// spread holds an odd page on the left and the following even one on the right; one-up, every
// spread is one page. A right-to-left book mirrors the spreads: the cover alone on the left, the
// earlier page of a spread on the right. Page and spread indexes count from 0; -1 marks an empty
// side.
class Spreads {
	public var pageCount(default, null):Int;
	public var twoUp(default, null):Bool;
	public var ltr(default, null):Bool;

	public function new(pageCount:Int, twoUp:Bool, ltr = true) {
		this.pageCount = pageCount < 0 ? 0 : pageCount;
		this.twoUp = twoUp;
		this.ltr = ltr;
	}

	// Two pages side by side only in a page area wider than tall and wide enough for both.
	public static function fitsTwoUp(width:Float, height:Float):Bool {
		return width > height && width >= 640;
	}

	public function count():Int {
		if (pageCount == 0) return 0;
		return twoUp ? Std.int(pageCount / 2) + 1 : pageCount;
	}

	public function spreadOf(page:Int):Int {
		var clamped = clampPage(page);
		return twoUp ? Std.int((clamped + 1) / 2) : clamped;
	}

	// One-up, the page is on the right.
	public function left(spread:Int):Int {
		if (!twoUp) return -1;
		return ltr ? earlier(spread) : later(spread);
	}

	public function right(spread:Int):Int {
		if (!twoUp) return existing(spread);
		return ltr ? later(spread) : earlier(spread);
	}

	// The page on the side a turn towards `forward` lifts (the other side's page stays).
	public function turningSide(forward:Bool):Side {
		return forward == ltr ? Right : Left;
	}

	public function pageOn(spread:Int, side:Side):Int {
		return side == Left ? left(spread) : right(spread);
	}

	// Two-up, the earlier page of a spread (the one read first) and the later one.
	function earlier(spread:Int):Int {
		return spread <= 0 ? -1 : existing(2 * spread - 1);
	}

	function later(spread:Int):Int {
		return existing(2 * spread);
	}

	// The pages of a spread, left to right.
	public function pages(spread:Int):Array<Int> {
		return [left(spread), right(spread)].filter(function(p) return p >= 0);
	}

	// The first page of a spread in reading order, for the page number box.
	public function firstPage(spread:Int):Int {
		var shown = pages(spread);
		if (shown.length == 0) return -1;
		return shown.length == 2 && shown[1] < shown[0] ? shown[1] : shown[0];
	}

	// The pages worth having decoded around a spread, nearest first: the spread itself, then the
	// spreads `radius` either side, the next one before the previous one.
	public function neighbourhood(spread:Int, radius:Int):Array<Int> {
		var order = pages(spread);
		for (step in 1...radius + 1) {
			for (p in pages(spread + step)) order.push(p);
			for (p in pages(spread - step)) order.push(p);
		}
		return order;
	}

	public function clampSpread(spread:Int):Int {
		var last = count() - 1;
		return spread < 0 ? 0 : (spread > last ? (last < 0 ? 0 : last) : spread);
	}

	function clampPage(page:Int):Int {
		return page < 0 ? 0 : (page >= pageCount ? pageCount - 1 : page);
	}

	function existing(page:Int):Int {
		return page >= 0 && page < pageCount ? page : -1;
	}
}

enum Side {
	Left;
	Right;
}
