// The book's table of contents as the viewer uses it, read from the XML file the player unpacks
// to res/other/. The file comes with the book and is not trusted: numbers are clamped, file
// names must stay inside the book, and the counts of pages, marks and areas are bounded.

class Area {
	public var left:Float;
	public var top:Float;
	public var width:Float;
	public var height:Float;
	public var url:String;

	public function new(left:Float, top:Float, width:Float, height:Float, url:String) {
		this.left = left;
		this.top = top;
		this.width = width;
		this.height = height;
		this.url = url;
	}
}

class PageEntry {
	public var src:Null<String>;
	public var mobile:Null<String>;
	public var thumb:Null<String>;
	// Where the picture lies on the page, in page units; a zero size fills the page.
	public var left:Float = 0;
	public var top:Float = 0;
	public var width:Float = 0;
	public var height:Float = 0;
	public var areas:Array<Area> = [];

	public function new() {}
}

// A chapter or bookmark: a title and the index (from 0) of the page it points at.
class Mark {
	public var title:String;
	public var page:Int;

	public function new(title:String, page:Int) {
		this.title = title;
		this.page = page;
	}
}

class Contents {
	public static inline var MAX_PAGES = 100000;
	public static inline var MAX_MARKS = 2000;
	public static inline var MAX_AREAS = 100;
	public static inline var DEFAULT_WIDTH = 500.0;
	public static inline var DEFAULT_HEIGHT = 700.0;

	public var title:String = "";
	public var pageWidth:Float = DEFAULT_WIDTH;
	public var pageHeight:Float = DEFAULT_HEIGHT;
	public var pages:Array<PageEntry> = [];
	public var chapters:Array<Mark> = [];
	public var bookmarks:Array<Mark> = [];

	public function new() {}

	// Throws on text that is not XML.
	public static function parse(text:String):Contents {
		var root = Xml.parse(text).firstElement();
		var contents = new Contents();
		if (root == null) return contents;
		contents.title = attribute(root, "title", "");
		contents.pageWidth = positive(root, "pagewidth", DEFAULT_WIDTH);
		contents.pageHeight = positive(root, "pageheight", DEFAULT_HEIGHT);
		for (page in root.elementsNamed("page")) {
			if (contents.pages.length >= MAX_PAGES) break;
			contents.pages.push(readPage(page));
		}
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

	static function readPage(node:Xml):PageEntry {
		var page = new PageEntry();
		page.src = bookPath(node, "src");
		page.mobile = bookPath(node, "mobile");
		page.thumb = bookPath(node, "thumb");
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
			if (!isWebLink(url) || width <= 0 || height <= 0) continue;
			page.areas.push(new Area(number(area, "left", 0), number(area, "top", 0), width, height, url));
		}
		return page;
	}

	// Page numbers in the file count from 1; out-of-range numbers point at the nearest page.
	static function readMarks(root:Xml, name:String, into:Array<Mark>, pageCount:Int) {
		if (pageCount == 0) return;
		for (node in root.elementsNamed(name)) {
			if (into.length >= MAX_MARKS) break;
			var page = Std.int(Math.max(1, Math.min(pageCount, number(node, "page", 1)))) - 1;
			into.push(new Mark(attribute(node, "title", ""), page));
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
