import SearchText;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.ProgressEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLLoader;
import flash.net.URLRequest;

// The book's texts for its search, read the first time the reader searches: the book's search
// index when it has one (one file), else every page's search text, a few at a time. The words
// of a page with their boxes are read when a hit on it is shown; the last few are kept.
class BookSearch {
	public static inline var MAX_INDEX_BYTES = 64 * 1024 * 1024;
	public static inline var MAX_PAGE_BYTES = 4 * 1024 * 1024;
	static inline var PARALLEL = 4;

	var contents:Contents;
	var text = new SearchText();
	var started = false;
	var ready = false;
	var waiting:Array<Void->Void> = [];
	var queue:Array<Int> = [];
	var active = 0;
	var words:Cache<Array<Word>>;

	public function new(contents:Contents) {
		this.contents = contents;
		words = new Cache<Array<Word>>(8, function(_) {});
	}

	public function isReady():Bool {
		return ready;
	}

	// Runs `then` once the texts are read, reading them first if nobody has asked before.
	public function whenReady(then:Void->Void) {
		if (ready) {
			then();
			return;
		}
		waiting.push(then);
		if (started) return;
		started = true;
		if (contents.searchIndex != null) readIndex() else readPageTexts();
	}

	public function find(query:String, limit:Int):{hits:Array<Hit>, total:Int} {
		return text.find(query, limit);
	}

	public function wordOf(hit:Hit):Int {
		return text.wordOf(hit);
	}

	// The words of a page's search text, with their boxes when it has them.
	public function wordsOf(page:Int, then:Array<Word>->Void) {
		var cached = words.get(page);
		if (cached != null) {
			then(cached);
			return;
		}
		var name = page >= 0 && page < contents.pages.length ? contents.pages[page].searchText : null;
		if (name == null) {
			then([]);
			return;
		}
		load(name, MAX_PAGE_BYTES, function(data) {
			var read = data == null ? [] : SearchText.readPage(data);
			words.put(page, read, [page]);
			then(read);
		});
	}

	function readIndex() {
		load(contents.searchIndex, MAX_INDEX_BYTES, function(data) {
			if (data == null) {
				// An index that cannot be read: the pages' own texts may still be there.
				readPageTexts();
				return;
			}
			for (page in SearchText.readIndex(data, contents.pages.length)) if (!text.add(page.page, page.text)) break;
			finish();
		});
	}

	function readPageTexts() {
		queue = [for (i in 0...contents.pages.length) if (contents.pages[i].searchText != null) i];
		pump();
	}

	function pump() {
		if (queue.length == 0 && active == 0) {
			finish();
			return;
		}
		while (active < PARALLEL && queue.length > 0) {
			var page = queue.shift();
			active++;
			load(contents.pages[page].searchText, MAX_PAGE_BYTES, function(data) {
				active--;
				if (data != null && !text.add(page, SearchText.pageIndexText(SearchText.readPage(data)))) queue = [];
				pump();
			});
		}
	}

	function finish() {
		if (ready) return;
		ready = true;
		var callbacks = waiting;
		waiting = [];
		for (then in callbacks) then();
	}

	// Loads a text file of the book; null when it cannot be read or is larger than `limit`.
	static function load(name:String, limit:Int, then:Null<String>->Void) {
		var loader = new URLLoader();
		var done = false;
		function end(data:Null<String>) {
			if (done) return;
			done = true;
			then(data);
		}
		loader.addEventListener(Event.COMPLETE, function(_) end(Std.string(loader.data)));
		loader.addEventListener(IOErrorEvent.IO_ERROR, function(_) end(null));
		loader.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) end(null));
		loader.addEventListener(ProgressEvent.PROGRESS, function(event:ProgressEvent) {
			if (event.bytesLoaded <= limit && event.bytesTotal <= limit) return;
			try loader.close() catch (_:Dynamic) {}
			end(null);
		});
		loader.load(new URLRequest(name));
	}
}
