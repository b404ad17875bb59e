// The book's table of contents as the viewer uses it, read from the XML file the player unpacks
// to res/other/. The file comes with the book and is not trusted: numbers are clamped, file
// names must stay inside the book, and the counts of pages, marks and areas are bounded.

// A clickable area of a page: a web or mail link (`url`), or a jump to a page of the book
// (`page`, from 0; -1 for a link).
class Area {
	public var left:Float;
	public var top:Float;
	public var width:Float;
	public var height:Float;
	public var url:String;
	public var page:Int;

	public function new(left:Float, top:Float, width:Float, height:Float, url:String, page = -1) {
		this.left = left;
		this.top = top;
		this.width = width;
		this.height = height;
		this.url = url;
		this.page = page;
	}
}

class PageEntry {
	public var src:Null<String>;
	public var mobile:Null<String>;
	public var thumb:Null<String>;
	// What the page number box shows for this page (null: its number).
	public var label:Null<String>;
	// The page's search text and download, when it has them.
	public var searchText:Null<String>;
	public var download:Null<String>;
	// Where the picture lies on the page, in page units; a zero size fills the page.
	public var left:Float = 0;
	public var top:Float = 0;
	public var width:Float = 0;
	public var height:Float = 0;
	public var areas:Array<Area> = [];

	public function new() {}
}

// A chapter or bookmark: a title, the index (from 0) of the page it points at and its nesting
// level (1 at the top).
class Mark {
	public var title:String;
	public var page:Int;
	public var level:Int;

	public function new(title:String, page:Int, level = 1) {
		this.title = title;
		this.page = page;
		this.level = level;
	}
}

class Contents {
	public static inline var MAX_PAGES = 100000;
	public static inline var MAX_MARKS = 2000;
	public static inline var MAX_AREAS = 100;
	public static inline var DEFAULT_WIDTH = 500.0;
	public static inline var DEFAULT_HEIGHT = 700.0;
	public static inline var MAX_LEVEL = 12;
	public static inline var MAX_LABEL = 24;
	// The only folder whose files the player saves for the reader.
	public static inline var DOWNLOADS = "res/downloads/";

	public var title:String = "";
	public var pageWidth:Float = DEFAULT_WIDTH;
	public var pageHeight:Float = DEFAULT_HEIGHT;
	public var pages:Array<PageEntry> = [];
	public var chapters:Array<Mark> = [];
	public var bookmarks:Array<Mark> = [];
	// Right-to-left books turn from right to left, the cover on the left.
	public var ltr = true;
	public var searchIndex:Null<String>;
	// False when the book asks for no search box although it has texts.
	public var searchAllowed = true;
	public var download:Null<String>;

	public function new() {}

	// The book can be searched: it allows it and has a search index or page search texts.
	public function searchable():Bool {
		if (!searchAllowed) return false;
		if (searchIndex != null) return true;
		for (page in pages) if (page.searchText != null) return true;
		return false;
	}

	public function hasDownloads():Bool {
		if (download != null) return true;
		for (page in pages) if (page.download != null) return true;
		return false;
	}

	// What the Download button offers: the book's file, then the files of the pages shown.
	public function downloadChoices(shown:Array<Int>):Array<{title:String, path:String}> {
		var list = [];
		if (download != null) list.push({title: "The book (" + fileName(download) + ")", path: download});
		var sorted = shown.copy();
		sorted.sort(function(a, b) return a - b);
		for (page in sorted) {
			var file = page >= 0 && page < pages.length ? pages[page].download : null;
			if (file != null) list.push({title: "Page " + pageName(page) + " (" + fileName(file) + ")", path: file});
		}
		return list;
	}

	static function fileName(path:String):String {
		return path.substr(path.lastIndexOf("/") + 1);
	}

	// What the page number box shows for a page.
	public function pageName(page:Int):String {
		if (page < 0 || page >= pages.length) return "";
		var label = pages[page].label;
		return label != null ? label : Std.string(page + 1);
	}

	// The page (from 0) a typed text names: a page label (in any letter case) first, else a page
	// number clamped into the book; -1 when it names neither.
	public function pageForText(text:String):Int {
		var wanted = StringTools.trim(text).toLowerCase();
		if (wanted == "" || pages.length == 0) return -1;
		for (i in 0...pages.length) {
			var label = pages[i].label;
			if (label != null && label.toLowerCase() == wanted) return i;
		}
		var number = Std.parseInt(wanted);
		if (number == null) return -1;
		return number < 1 ? 0 : (number > pages.length ? pages.length - 1 : number - 1);
	}

	// Throws on text that is not XML.
	public static function parse(text:String):Contents {
		var root = Xml.parse(text).firstElement();
		var contents = new Contents();
		if (root == null) return contents;
		contents.title = attribute(root, "title", "");
		contents.pageWidth = positive(root, "pagewidth", DEFAULT_WIDTH);
		contents.pageHeight = positive(root, "pageheight", DEFAULT_HEIGHT);
		contents.ltr = !isFalse(root.get("ltr"));
		contents.searchAllowed = !isFalse(root.get("search"));
		contents.searchIndex = bookPath(root, "searchindex");
		contents.download = downloadPath(root);
		for (page in root.elementsNamed("page")) {
			if (contents.pages.length >= MAX_PAGES) break;
			contents.pages.push(readPage(page));
		}
		// Jumps outside the book go to the nearest page, as marks do.
		var last = contents.pages.length - 1;
		for (page in contents.pages)
			for (area in page.areas) if (area.page > last) area.page = last;
		readMarks(root, "chapter", contents.chapters, contents.pages.length);
		readMarks(root, "bookmark", contents.bookmarks, contents.pages.length);
		return contents;
	}

	// A name the book can serve: relative, without a scheme, without climbing out of the book.
	public static function isBookPath(name:Null<String>):Bool {
		if (name == null || name == "" || name.indexOf(":") >= 0) return false;
		var path = StringTools.replace(name, "\\", "/");
		if (StringTools.startsWith(path, "/")) return false;
		for (segment in path.split("/")) if (segment == "..") return false;
		return true;
	}

	// Links a click may hand to the player; anything else (script URLs above all) is dropped here.
	public static function isWebLink(url:Null<String>):Bool {
		if (url == null) return false;
		var lower = StringTools.trim(url).toLowerCase();
		return StringTools.startsWith(lower, "http://") || StringTools.startsWith(lower, "https://")
			|| StringTools.startsWith(lower, "mailto:");
	}

	// A file the player may save for the reader: directly in the book's downloads folder.
	public static function isDownloadPath(name:Null<String>):Bool {
		if (!isBookPath(name)) return false;
		var path = StringTools.replace(name, "\\", "/");
		if (!StringTools.startsWith(path, DOWNLOADS)) return false;
		var file = path.substr(DOWNLOADS.length);
		return file != "" && file != "." && file.indexOf("/") < 0;
	}

	static function readPage(node:Xml):PageEntry {
		var page = new PageEntry();
		page.src = bookPath(node, "src");
		page.mobile = bookPath(node, "mobile");
		page.thumb = bookPath(node, "thumb");
		page.searchText = bookPath(node, "searchtxt");
		page.download = downloadPath(node);
		var label = node.get("label");
		if (label != null) {
			label = StringTools.trim(label);
			if (label != "") page.label = label.length > MAX_LABEL ? label.substr(0, MAX_LABEL) : label;
		}
		page.width = positive(node, "width", 0);
		page.height = positive(node, "height", 0);
		if (page.width > 0 && page.height > 0) {
			page.left = number(node, "left", 0);
			page.top = number(node, "top", 0);
		}
		for (area in node.elementsNamed("area")) {
			if (page.areas.length >= MAX_AREAS) break;
			var url = StringTools.trim(attribute(area, "url", ""));
			var width = positive(area, "width", 0);
			var height = positive(area, "height", 0);
			var target = Std.int(Math.max(0, number(area, "page", 0))) - 1;
			if ((target < 0 && !isWebLink(url)) || width <= 0 || height <= 0) continue;
			page.areas.push(new Area(number(area, "left", 0), number(area, "top", 0), width, height, target < 0 ? url : "", target));
		}
		return page;
	}

	// Page numbers in the file count from 1; out-of-range numbers point at the nearest page.
	static function readMarks(root:Xml, name:String, into:Array<Mark>, pageCount:Int) {
		if (pageCount == 0) return;
		for (node in root.elementsNamed(name)) {
			if (into.length >= MAX_MARKS) break;
			var page = Std.int(Math.max(1, Math.min(pageCount, number(node, "page", 1)))) - 1;
			var level = Std.int(Math.max(1, Math.min(MAX_LEVEL, number(node, "level", 1))));
			into.push(new Mark(attribute(node, "title", ""), page, level));
		}
	}

	static function attribute(node:Xml, name:String, fallback:String):String {
		var value = node.get(name);
		return value == null ? fallback : value;
	}

	static function bookPath(node:Xml, name:String):Null<String> {
		var value = node.get(name);
		return isBookPath(value) ? StringTools.replace(value, "\\", "/") : null;
	}

	static function downloadPath(node:Xml):Null<String> {
		var value = node.get("download");
		return isDownloadPath(value) ? StringTools.replace(value, "\\", "/") : null;
	}

	static function isFalse(value:Null<String>):Bool {
		if (value == null) return false;
		var lower = StringTools.trim(value).toLowerCase();
		return lower == "false" || lower == "0" || lower == "no";
	}

	static function number(node:Xml, name:String, fallback:Float):Float {
		var value = node.get(name);
		if (value == null) return fallback;
		var parsed = Std.parseFloat(value);
		return Math.isFinite(parsed) ? Math.max(-1e6, Math.min(1e6, parsed)) : fallback;
	}

	static function positive(node:Xml, name:String, fallback:Float):Float {
		var value = number(node, name, fallback);
		return value > 0 ? value : fallback;
	}
}
