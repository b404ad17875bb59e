// A bounded store of decoded pages (or thumbnails) by index, least recently used first out. The
// pages the reader is looking at are pinned, so the bound never drops what is on screen.
class Cache<T> {
	public var capacity(default, null):Int;

	var keys:Array<Int> = [];
	var values = new Map<Int, T>();
	var dispose:T->Void;

	public function new(capacity:Int, dispose:T->Void) {
		this.capacity = capacity < 1 ? 1 : capacity;
		this.dispose = dispose;
	}

	public function size():Int {
		return keys.length;
	}

	public function has(key:Int):Bool {
		return values.exists(key);
	}

	public function get(key:Int):Null<T> {
		if (!values.exists(key)) return null;
		keys.remove(key);
		keys.push(key);
		return values.get(key);
	}

	// Stores a value (replacing and disposing an older one), then evicts the least recently used
	// entries that are not pinned until the bound holds again or only pinned entries are left.
	public function put(key:Int, value:T, pinned:Array<Int>) {
		if (values.exists(key)) {
			var old = values.get(key);
			if (old != value) dispose(old);
			keys.remove(key);
		}
		keys.push(key);
		values.set(key, value);
		trim(pinned);
	}

	public function trim(pinned:Array<Int>) {
		var i = 0;
		while (keys.length > capacity && i < keys.length) {
			var key = keys[i];
			if (pinned.indexOf(key) >= 0) {
				i++;
				continue;
			}
			remove(key);
		}
	}

	public function remove(key:Int) {
		if (!values.exists(key)) return;
		var value = values.get(key);
		values.remove(key);
		keys.remove(key);
		dispose(value);
	}

	public function clear() {
		for (key in keys.copy()) remove(key);
	}
}
