import flash.display.Bitmap;
import flash.display.Loader;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLRequest;

// Loads pictures of the book on demand, a few at a time, and keeps a bounded number of them
// decoded. Each call to `want` replaces the list of what should be loaded next: pictures asked
// for earlier and no longer wanted are not started, so jumping through a long book never queues
// more than the pictures around where the reader is now.
class PageStore {
	static inline var PARALLEL = 2;

	var cache:Cache<Loader>;
	var queue:Array<{key:Int, url:String}> = [];
	var wanted:Array<Int> = [];
	var first:Array<Int> = [];
	var loading = new Map<Int, Bool>();
	var failed = new Map<String, Bool>();
	var active = 0;
	var onReady:Int->Void;

	public function new(capacity:Int, onReady:Int->Void) {
		this.onReady = onReady;
		cache = new Cache<Loader>(capacity, release);
	}

	// The pixels go at once rather than whenever the emulator collects the loader.
	static function release(loader:Loader) {
		var bitmap = Std.downcast(loader.content, Bitmap);
		if (bitmap != null && bitmap.bitmapData != null) bitmap.bitmapData.dispose();
		loader.unload();
	}

	public function get(key:Int):Null<Loader> {
		return cache.get(key);
	}

	// `requests` nearest first; every listed key is pinned in the cache. The first `ahead` of them
	// (the pictures on screen) are loaded before any of the others starts: decoding a neighbour
	// at the same time would keep the reader waiting longer for the page in front of them.
	public function want(requests:Array<{key:Int, url:String}>, ahead = 0) {
		wanted = [for (request in requests) request.key];
		first = [for (i in 0...Std.int(Math.min(ahead, requests.length))) requests[i].key];
		queue = requests.filter(function(r) return !cache.has(r.key) && !loading.exists(r.key) && !failed.exists(r.url));
		cache.trim(wanted);
		pump();
	}

	public function clear() {
		queue = [];
		wanted = [];
		first = [];
		cache.clear();
	}

	function pump() {
		while (active < PARALLEL && queue.length > 0) {
			if (first.indexOf(queue[0].key) < 0 && Lambda.exists(first, function(key) return loading.exists(key))) return;
			start(queue.shift());
		}
	}

	function start(request:{key:Int, url:String}) {
		var loader = new Loader();
		var info = loader.contentLoaderInfo;
		active++;
		loading.set(request.key, true);
		function finish(ok:Bool) {
			active--;
			loading.remove(request.key);
			if (ok) {
				var bitmap = Std.downcast(loader.content, Bitmap);
				if (bitmap != null) bitmap.smoothing = true;
				cache.put(request.key, loader, wanted);
				if (wanted.indexOf(request.key) >= 0) onReady(request.key);
			} else {
				failed.set(request.url, true);
			}
			pump();
		}
		info.addEventListener(Event.COMPLETE, function(_) finish(true));
		info.addEventListener(IOErrorEvent.IO_ERROR, function(_) finish(false));
		info.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) finish(false));
		loader.load(new URLRequest(request.url));
	}
}
