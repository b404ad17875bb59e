// Which pages are shown together. Two-up, the cover stands alone on the right and every later
// spread holds an odd page on the left and the following even one on the right; one-up, every
// spread is one page. Page and spread indexes count from 0; -1 marks an empty side.
class Spreads {
	public var pageCount(default, null):Int;
	public var twoUp(default, null):Bool;

	public function new(pageCount:Int, twoUp:Bool) {
		this.pageCount = pageCount < 0 ? 0 : pageCount;
		this.twoUp = twoUp;
	}

	public function count():Int {
		if (pageCount == 0) return 0;
		return twoUp ? Std.int(pageCount / 2) + 1 : pageCount;
	}

	public function spreadOf(page:Int):Int {
		var clamped = clampPage(page);
		return twoUp ? Std.int((clamped + 1) / 2) : clamped;
	}

	public function left(spread:Int):Int {
		if (!twoUp || spread <= 0) return -1;
		return existing(2 * spread - 1);
	}

	public function right(spread:Int):Int {
		return existing(twoUp ? 2 * spread : spread);
	}

	// The pages of a spread, left to right.
	public function pages(spread:Int):Array<Int> {
		return [left(spread), right(spread)].filter(function(p) return p >= 0);
	}

	// The first page of a spread, for the page number box.
	public function firstPage(spread:Int):Int {
		var shown = pages(spread);
		return shown.length == 0 ? -1 : shown[0];
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

	// The page index (from 0) a typed page number asks for, clamped into the book, or -1 when the
	// text is not a number.
	public function pageForNumber(text:String):Int {
		var number = Std.parseInt(StringTools.trim(text));
		if (number == null || pageCount == 0) return -1;
		return clampPage(number - 1);
	}

	function clampPage(page:Int):Int {
		return page < 0 ? 0 : (page >= pageCount ? pageCount - 1 : page);
	}

	function existing(page:Int):Int {
		return page >= 0 && page < pageCount ? page : -1;
	}
}
