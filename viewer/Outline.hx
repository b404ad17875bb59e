import Contents.Mark;

// The contents as a tree: each chapter at the top, holding the bookmarks from its page on, the
// bookmarks nested by their levels. Rows with children open and close; the entry of the page
// being read is found for the panel to mark.
class OutlineEntry {
	public var title:String;
	public var page:Int;
	public var depth:Int;
	public var parent:Int;
	public var chapter:Bool;
	public var hasChildren = false;
	public var open = false;

	public function new(title:String, page:Int, depth:Int, parent:Int, chapter:Bool) {
		this.title = title;
		this.page = page;
		this.depth = depth;
		this.parent = parent;
		this.chapter = chapter;
	}
}

class Outline {
	public var entries(default, null):Array<OutlineEntry> = [];

	public function new(chapters:Array<Mark>, bookmarks:Array<Mark>) {
		// Each bookmark belongs to the last chapter that starts at or before its page; bookmarks
		// before every chapter come first, at the top.
		var owned = [for (_ in chapters) []];
		var loose = [];
		for (bookmark in bookmarks) {
			var owner = -1;
			for (i in 0...chapters.length) if (chapters[i].page <= bookmark.page) owner = i;
			if (owner < 0) loose.push(bookmark) else owned[owner].push(bookmark);
		}
		addBookmarks(loose, -1, 0);
		for (i in 0...chapters.length) {
			var chapter = chapters[i];
			var index = entries.length;
			var entry = new OutlineEntry(chapter.title == "" ? "Chapter" : chapter.title, chapter.page, 0, -1, true);
			entry.open = true;
			entries.push(entry);
			addBookmarks(owned[i], index, 1);
		}
	}

	// Levels nest one at a time: a level that skips ahead becomes the next deeper one.
	function addBookmarks(marks:Array<Mark>, root:Int, base:Int) {
		var path = [root];
		for (mark in marks) {
			var depth = Std.int(Math.min(mark.level - 1, path.length - 1));
			path.resize(depth + 1);
			var parent = path[depth];
			if (parent >= 0) entries[parent].hasChildren = true;
			path.push(entries.length);
			entries.push(new OutlineEntry(mark.title == "" ? "Bookmark" : mark.title, mark.page, base + depth, parent, false));
		}
	}

	// The rows shown: every entry whose ancestors are all open.
	public function visible():Array<Int> {
		var rows = [];
		for (i in 0...entries.length) if (isShown(i)) rows.push(i);
		return rows;
	}

	function isShown(index:Int):Bool {
		var parent = entries[index].parent;
		while (parent >= 0) {
			if (!entries[parent].open) return false;
			parent = entries[parent].parent;
		}
		return true;
	}

	public function toggle(index:Int) {
		if (index >= 0 && index < entries.length && entries[index].hasChildren) entries[index].open = !entries[index].open;
	}

	// The entry of the page being read: the one starting last at or before it (the later entry
	// of those starting on the same page); -1 before every entry.
	public function current(page:Int):Int {
		var found = -1;
		for (i in 0...entries.length) {
			var start = entries[i].page;
			if (start <= page && (found < 0 || start >= entries[found].page)) found = i;
		}
		return found;
	}

	// Opens the ancestors of an entry so that its row shows.
	public function reveal(index:Int) {
		if (index < 0 || index >= entries.length) return;
		var parent = entries[index].parent;
		while (parent >= 0) {
			entries[parent].open = true;
			parent = entries[parent].parent;
		}
	}
}
