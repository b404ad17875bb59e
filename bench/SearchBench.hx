import SearchText;
import flash.external.ExternalInterface;

// The viewer's search over a book of 1,000 pages of text, timed inside the emulator. The text is
// generated (about 300 words a page, some with accents), written as a book search index, read
// as the viewer reads it, and searched for words the viewer's reader would type. The baseline is
// the emulator's own scan of the same folded text for the same words: what any search must do.
// Each figure goes to the host as an external call "bench" with "name ms" (the median of the
// runs); "done" ends the list.
class SearchBench {
	static inline var PAGES = 1000;
	static inline var WORDS_PER_PAGE = 300;
	static inline var RUNS = 7;

	static var VOCABULARY = [
		"the", "of", "and", "paper", "page", "book", "reader", "écrit", "Lumière", "night", "river", "stone", "garden", "window",
		"letter", "été", "Straße", "forest", "harbour", "silver", "morning", "winter", "summer", "bridge", "candle", "mirror",
		"island", "journey", "lantern", "meadow", "orchard", "pilgrim", "quarry", "ribbon", "saddle", "thistle", "umbrella",
		"valley", "whistle", "yarrow", "zephyr", "anchor", "bramble", "cinder", "dahlia", "ember", "fennel", "gable", "hollow"
	];

	static function main() {
		haxe.Log.trace = function(v, ?infos) flash.Lib.trace(Std.string(v));
		var seed = 12345;
		function next():Int {
			seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
			return seed >> 8;
		}
		var index = new StringBuf();
		index.add('<?xml version="1.0" encoding="UTF-8"?><searchindex version="1">');
		for (page in 0...PAGES) {
			var words = [for (_ in 0...WORDS_PER_PAGE) VOCABULARY[next() % VOCABULARY.length]];
			// One rare word, on one page only.
			if (page == 777) words[150] = "Xylophone";
			index.add('<page number="${page + 1}">${words.join(" ")}</page>');
		}
		index.add("</searchindex>");
		var xml = index.toString();

		var text:SearchText = null;
		report("read the index and fold it (once)", time(function() {
			text = new SearchText();
			for (page in SearchText.readIndex(xml, PAGES)) text.add(page.page, page.text);
			text.find("warm up", 1);
		}, 1));
		var folded = SearchText.fold(SearchText.collapse(xml));
		for (query in ["xylophone", "lumiere", "paper", "morning river", "zzz"]) {
			var ours = time(function() text.find(query, SearchPanel.MAX_HITS), RUNS);
			var scan = time(function() {
				var count = 0;
				var at = folded.indexOf(query);
				while (at >= 0) {
					count++;
					at = folded.indexOf(query, at + query.length);
				}
			}, RUNS);
			report('search "$query"', ours);
			report('scan "$query"', scan);
		}
		call("done");
	}

	// The median of `runs` timings of `task`, in milliseconds per call: each timing repeats the
	// task often enough to last 20 ms, as the emulator's clock counts whole milliseconds.
	static function time(task:Void->Void, runs:Int):Float {
		var repeats = 1;
		while (runs > 1 && batch(task, repeats) < 20 && repeats < 1 << 16) repeats *= 2;
		var times = [for (_ in 0...runs) batch(task, repeats) / repeats];
		times.sort(function(a, b) return a < b ? -1 : (a > b ? 1 : 0));
		return times[Std.int(times.length / 2)];
	}

	static function batch(task:Void->Void, repeats:Int):Float {
		var start = flash.Lib.getTimer();
		for (_ in 0...repeats) task();
		return flash.Lib.getTimer() - start;
	}

	static function report(name:String, ms:Float) {
		call(name + "|" + ms);
	}

	static function call(message:String) {
		if (ExternalInterface.available) ExternalInterface.call("bench", message);
	}
}
