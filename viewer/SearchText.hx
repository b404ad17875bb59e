// The words of the book for its search: the book's search index or the pages' search texts,
// folded once so that a search ignores letter case and accents, and searched as one string so
// that a search over a long book is a few scans of the emulator's own string code. Both files
// come with the book and are not trusted: their sizes are bounded and a file that is not the
// expected XML is read as plain text.

// A word of a page's search text; its box is in page units, with a zero size when the text
// carries no boxes.
class Word {
	public var text:String;
	public var left:Float;
	public var top:Float;
	public var width:Float;
	public var height:Float;

	public function new(text:String, left = 0.0, top = 0.0, width = 0.0, height = 0.0) {
		this.text = text;
		this.left = left;
		this.top = top;
		this.width = width;
		this.height = height;
	}

	public function hasBox():Bool {
		return width > 0 && height > 0;
	}
}

// One match: the page (from 0), where it starts in that page's text, how many words it touches,
// and a few words around it for the list of hits, the match itself at `matchStart` in `context`.
class Hit {
	public var page:Int;
	public var offset:Int;
	public var words:Int;
	public var context:String;
	public var matchStart:Int;
	public var matchLength:Int;

	public function new(page:Int, offset:Int, words:Int, context:String, matchStart:Int, matchLength:Int) {
		this.page = page;
		this.offset = offset;
		this.words = words;
		this.context = context;
		this.matchStart = matchStart;
		this.matchLength = matchLength;
	}
}

class SearchText {
	// Bounds on what a book's texts may make the viewer hold.
	public static inline var MAX_CHARS = 16 * 1024 * 1024;
	public static inline var MAX_WORDS = 20000;
	static inline var CONTEXT_BEFORE = 32;
	static inline var CONTEXT_AFTER = 56;

	// Letters and marks folded to a plain one; each folds one character to one, so that places in
	// the folded text are places in the text as shown.
	static var FOLDS:Array<{from:String, to:String}> = [
		{from: "àáâãäåāăąǎÀÁÂÃÄÅĀĂĄǍ", to: "a"}, {from: "çćĉċčÇĆĈĊČ", to: "c"}, {from: "ďđĎĐ", to: "d"},
		{from: "èéêëēĕėęěÈÉÊËĒĔĖĘĚ", to: "e"}, {from: "ĝğġģĜĞĠĢ", to: "g"}, {from: "ĥħĤĦ", to: "h"},
		{from: "ìíîïĩīĭįıǐÌÍÎÏĨĪĬĮİǏ", to: "i"}, {from: "ĵĴ", to: "j"}, {from: "ķĶ", to: "k"},
		{from: "ĺļľŀłĹĻĽĿŁ", to: "l"}, {from: "ñńņňÑŃŅŇ", to: "n"}, {from: "òóôõöøōŏőǒÒÓÔÕÖØŌŎŐǑ", to: "o"},
		{from: "ŕŗřŔŖŘ", to: "r"}, {from: "śŝşšșŚŜŞŠȘ", to: "s"}, {from: "ţťŧțŢŤŦȚ", to: "t"},
		{from: "ùúûüũūŭůűųǔÙÚÛÜŨŪŬŮŰŲǓ", to: "u"}, {from: "ŵŴ", to: "w"}, {from: "ýÿŷÝŸŶ", to: "y"},
		{from: "źżžŹŻŽ", to: "z"}, {from: "‘’‚‛′", to: "'"}, {from: "“”„‟″", to: "\""}, {from: "‐‑‒–—―", to: "-"}
	];

	var pages:Array<Int> = [];
	var texts:Array<String> = [];
	var chars = 0;
	var shown = "";
	var folded = "";
	var starts:Array<Int> = [];
	var built = true;

	public function new() {}

	public function pageCount():Int {
		return pages.length;
	}

	// Adds the text of one page (from 0); returns false once the bound is reached.
	public function add(page:Int, text:String):Bool {
		var clean = collapse(text);
		if (clean == "") return true;
		if (chars + clean.length > MAX_CHARS) return false;
		chars += clean.length + 1;
		// Pages arrive in any order; they are kept in book order.
		var at = pages.length;
		while (at > 0 && pages[at - 1] > page) at--;
		pages.insert(at, page);
		texts.insert(at, clean);
		built = false;
		return true;
	}

	// Up to `limit` hits in book order, and the number of hits in all (counted up to
	// `countLimit`). The book's text is folded once, when it is first searched; each search is
	// then a scan of the emulator's own string code.
	public function find(query:String, limit:Int, countLimit = 100000):{hits:Array<Hit>, total:Int} {
		build();
		var wanted = fold(collapse(query));
		var hits = [];
		var total = 0;
		if (wanted == "") return {hits: hits, total: 0};
		var words = wanted.split(" ").length;
		var page = 0;
		var at = folded.indexOf(wanted);
		while (at >= 0 && total < countLimit) {
			total++;
			if (hits.length < limit) {
				while (page + 1 < starts.length && starts[page + 1] <= at) page++;
				hits.push(hitAt(page, at, wanted.length, words));
			}
			at = folded.indexOf(wanted, at + wanted.length);
		}
		return {hits: hits, total: total};
	}

	function hitAt(index:Int, at:Int, length:Int, words:Int):Hit {
		var start = starts[index];
		var end = start + texts[index].length;
		var from = Std.int(Math.max(start, at - CONTEXT_BEFORE));
		var to = Std.int(Math.min(end, at + length + CONTEXT_AFTER));
		// Whole words only, with a mark where the context was cut.
		if (from > start) {
			var space = shown.indexOf(" ", from);
			if (space >= 0 && space < at) from = space + 1;
		}
		if (to < end) {
			var space = shown.lastIndexOf(" ", to);
			if (space >= at + length) to = space;
		}
		var before = from > start ? "… " : "";
		var after = to < end ? " …" : "";
		var context = before + shown.substring(from, to) + after;
		return new Hit(pages[index], at - start, words, context, before.length + at - from, length);
	}

	// The first word of a hit in its page's search text (from 0): the spaces before it, as words
	// are joined by one. Counted only for the hit the reader picks.
	public function wordOf(hit:Hit):Int {
		build();
		var index = pages.indexOf(hit.page);
		if (index < 0) return 0;
		var start = starts[index];
		var count = 0;
		var space = shown.indexOf(" ", start);
		while (space >= 0 && space < start + hit.offset) {
			count++;
			space = shown.indexOf(" ", space + 1);
		}
		return count;
	}

	function build() {
		if (built) return;
		built = true;
		shown = texts.join("\n");
		folded = fold(shown);
		if (folded.length != shown.length) {
			// A letter whose lower case is longer: such pages are shown folded, so that places
			// in the two texts agree.
			var parts = [];
			for (i in 0...texts.length) {
				var part = fold(texts[i]);
				if (part.length != texts[i].length) texts[i] = part;
				parts.push(part);
			}
			shown = texts.join("\n");
			folded = parts.join("\n");
		}
		starts = [];
		var at = 0;
		for (text in texts) {
			starts.push(at);
			at += text.length + 1;
		}
	}

	// Lower case without accents; one character for one, except where lower case itself is not.
	// One pass over the text, whatever its length: every letter to fold is replaced where it is.
	public static function fold(text:String):String {
		var lower = text.toLowerCase();
		if (!nonAscii.match(lower)) return lower;
		if (plainOf == null) {
			plainOf = new Map();
			var all = new StringBuf();
			for (f in FOLDS) {
				all.add(f.from);
				for (i in 0...f.from.length) plainOf.set(f.from.charAt(i), f.to);
			}
			foldable = "[" + all.toString() + "]";
		}
		#if flash
		// The emulator calls back for each letter from its own replace.
		var pattern = new flash.utils.RegExp(foldable, "g");
		var replaced:String = (cast lower : Dynamic).replace(pattern, Reflect.makeVarArgs(function(args) return plainOf.get(args[0])));
		return replaced;
		#else
		return new EReg(foldable, "g").map(lower, function(r) return plainOf.get(r.matched(0)));
		#end
	}

	static var plainOf:Null<Map<String, String>>;
	static var foldable = "";
	static var nonAscii = ~/[^\x00-\x7f]/;
	// Runs of white space, and white space other than a plain space (the emulator's and the Haxe
	// interpreter's patterns disagree on what \s holds, so the characters are listed).
	static var spacing:Null<EReg>;
	static var combiningPattern:Null<EReg>;

	// Words separated by single spaces; combining accents dropped (the letters stay).
	public static function collapse(text:String):String {
		if (spacing == null) {
			var white = "\t\n\r\x0B\x0C " + [for (c in [0xA0, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000]) String.fromCharCode(c)].join("")
				+ String.fromCharCode(0x2000) + "-" + String.fromCharCode(0x200A);
			spacing = new EReg("[" + white + "]{2,}|[" + StringTools.replace(white, " ", "") + "]", "g");
			combiningPattern = new EReg("[" + String.fromCharCode(0x300) + "-" + String.fromCharCode(0x36F) + "]", "g");
		}
		var cleaned = nonAscii.match(text) ? combiningPattern.replace(text, "") : text;
		return StringTools.trim(spacing.replace(cleaned, " "));
	}

	// The pages of a book search index: (page from 0, text). Pages outside 1..pageCount, repeated
	// pages and text beyond the bound are left out.
	public static function readIndex(text:String, pageCount:Int):Array<{page:Int, text:String}> {
		var pages = [];
		var seen = new Map<Int, Bool>();
		var chars = 0;
		for (element in elements(text, "page")) {
			var number = Std.parseInt(attribute(element.attributes, "number"));
			if (number == null || number < 1 || number > pageCount || seen.exists(number)) continue;
			var body = unescape(element.body);
			chars += body.length;
			if (chars > MAX_CHARS) break;
			seen.set(number, true);
			pages.push({page: number - 1, text: body});
		}
		return pages;
	}

	// The words of one page's search text: the words of a <searchtext> document with their boxes,
	// or the words of plain text without boxes.
	public static function readPage(text:String):Array<Word> {
		var words = [];
		if (isSearchTextDocument(text)) {
			for (element in elements(text, "word")) {
				if (words.length >= MAX_WORDS) break;
				var word = collapse(unescape(element.body));
				if (word == "") continue;
				var a = element.attributes;
				// A word with spaces inside counts as the words it holds, as in the index.
				for (part in word.split(" "))
					words.push(new Word(part, number(a, "left"), number(a, "top"), number(a, "width"), number(a, "height")));
			}
			return words;
		}
		var plain = collapse(text);
		if (plain == "") return words;
		for (part in plain.split(" ")) {
			if (words.length >= MAX_WORDS) break;
			words.push(new Word(part));
		}
		return words;
	}

	// The words of a page's search text joined as the index joins them.
	public static function pageIndexText(words:Array<Word>):String {
		return [for (word in words) word.text].join(" ");
	}

	static function isSearchTextDocument(text:String):Bool {
		var start = StringTools.trim(text.substr(0, 200));
		return (StringTools.startsWith(start, "<?xml") || StringTools.startsWith(start, "<searchtext"))
			&& text.indexOf("<searchtext") >= 0;
	}

	// The elements named `name` of a simple XML document, in order: their attribute text and
	// their content. Found by scanning, which the emulator does in its own string code; nested
	// elements of the same name are not expected in these files.
	static function elements(text:String, name:String):Array<{attributes:String, body:String}> {
		var found = [];
		var open = "<" + name;
		var close = "</" + name + ">";
		var at = text.indexOf(open);
		while (at >= 0) {
			var after = text.charAt(at + open.length);
			var tagEnd = text.indexOf(">", at);
			if (tagEnd < 0) break;
			if (after != " " && after != ">" && after != "/" && after != "\t" && after != "\n" && after != "\r") {
				at = text.indexOf(open, at + 1);
				continue;
			}
			var attributes = text.substring(at + open.length, tagEnd);
			if (StringTools.endsWith(attributes, "/")) {
				found.push({attributes: attributes, body: ""});
				at = text.indexOf(open, tagEnd);
				continue;
			}
			var end = text.indexOf(close, tagEnd);
			if (end < 0) break;
			found.push({attributes: attributes, body: text.substring(tagEnd + 1, end)});
			at = text.indexOf(open, end + close.length);
		}
		return found;
	}

	static function attribute(attributes:String, name:String):Null<String> {
		var pattern = new EReg("(^|\\s)" + name + "\\s*=\\s*(\"([^\"]*)\"|'([^']*)')", "");
		if (!pattern.match(attributes)) return null;
		var value = pattern.matched(3);
		return unescape(value != null ? value : pattern.matched(4));
	}

	static function number(attributes:String, name:String):Float {
		var value = attribute(attributes, name);
		if (value == null) return 0;
		var parsed = Std.parseFloat(value);
		return Math.isFinite(parsed) ? Math.max(-1e6, Math.min(1e6, parsed)) : 0;
	}

	// The character references and the five entities of XML; CDATA sections give their text.
	public static function unescape(text:String):String {
		if (text.indexOf("<![CDATA[") >= 0) {
			var parts = [];
			var rest = text;
			var start = rest.indexOf("<![CDATA[");
			while (start >= 0) {
				var end = rest.indexOf("]]>", start);
				if (end < 0) break;
				parts.push(unescape(rest.substring(0, start)));
				parts.push(rest.substring(start + 9, end));
				rest = rest.substr(end + 3);
				start = rest.indexOf("<![CDATA[");
			}
			parts.push(unescape(rest));
			return parts.join("");
		}
		if (text.indexOf("&") < 0) return text;
		return ~/&(#x[0-9a-fA-F]+|#[0-9]+|lt|gt|amp|quot|apos);/g.map(text, function(r) {
			var name = r.matched(1);
			switch (name) {
				case "lt": return "<";
				case "gt": return ">";
				case "amp": return "&";
				case "quot": return "\"";
				case "apos": return "'";
			}
			var code = StringTools.startsWith(name, "#x") ? Std.parseInt("0" + name.substr(1)) : Std.parseInt(name.substr(1));
			// Characters the emulator's strings cannot hold in one unit become the replacement mark.
			return code == null || code <= 0 || code > 0xFFFF ? "\uFFFD" : String.fromCharCode(code);
		});
	}
}
