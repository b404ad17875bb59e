import flash.display.Sprite;
import flash.events.MouseEvent;

// The chapters and bookmarks at the left, as a tree: a click on a row jumps to its page, a click
// on its triangle opens or closes it, the wheel scrolls. The entry of the page being read is
// marked, and its row opened to and scrolled into view when the reader gets there.
class ContentsPanel extends Sprite {
	public static inline var WIDTH = 260;
	static inline var ROW = 26;
	static inline var INDENT = 14;
	static inline var TOP = 40;

	public var onPick:Int->Void;

	var outline:Outline;
	var rows:Array<Int> = [];
	var panelHeight:Float = 1;
	var first = 0;
	var marked = -1;
	var list = new Sprite();

	public function new(contents:Contents) {
		super();
		outline = new Outline(contents.chapters, contents.bookmarks);
		rows = outline.visible();
		addChild(list);
		addEventListener(MouseEvent.MOUSE_WHEEL, function(event:MouseEvent) {
			event.stopPropagation();
			scroll(event.delta > 0 ? -3 : 3);
		});
	}

	public function setHeight(height:Float) {
		panelHeight = Math.max(1, height);
		scroll(0);
	}

	// Marks the entry of the page being read.
	public function setPage(page:Int) {
		var entry = outline.current(page);
		if (entry == marked) return;
		marked = entry;
		if (entry >= 0) {
			outline.reveal(entry);
			rows = outline.visible();
			var at = rows.indexOf(entry);
			if (at < first || at >= first + visibleRows()) first = at - Std.int(visibleRows() / 2);
		}
		scroll(0);
	}

	function visibleRows():Int {
		return Std.int(Math.max(1, (panelHeight - TOP - 4) / ROW));
	}

	function scroll(step:Int) {
		first = Std.int(Math.max(0, Math.min(rows.length - visibleRows(), first + step)));
		draw();
	}

	function draw() {
		graphics.clear();
		graphics.beginFill(Style.BAR, 0.96);
		graphics.drawRect(0, 0, WIDTH, panelHeight);
		graphics.endFill();
		while (list.numChildren > 0) list.removeChildAt(0);
		var heading = Style.label(15, Style.TEXT, true);
		heading.text = rows.length == 0 ? "No bookmarks" : "Contents";
		heading.x = 12;
		heading.y = 10;
		list.addChild(heading);
		var count = Std.int(Math.min(visibleRows(), rows.length - first));
		for (i in 0...count) {
			var row = buildRow(rows[first + i]);
			row.y = TOP + i * ROW;
			list.addChild(row);
		}
	}

	function buildRow(index:Int):Sprite {
		var entry = outline.entries[index];
		var on = index == marked;
		var sprite = new Sprite();
		sprite.graphics.beginFill(on ? Style.HIGHLIGHT : 0xFFFFFF, on ? 0.3 : 0.04);
		sprite.graphics.drawRect(4, 0, WIDTH - 8, ROW - 2);
		sprite.graphics.endFill();
		if (on) {
			sprite.graphics.beginFill(Style.HIGHLIGHT);
			sprite.graphics.drawRect(4, 0, 4, ROW - 2);
			sprite.graphics.endFill();
		}
		var indent = 10 + entry.depth * INDENT;
		var title = Style.label(13, entry.chapter || on ? Style.TEXT : Style.DIM_TEXT, entry.chapter || on);
		var room = Std.int(Math.max(6, (WIDTH - indent - 62) / 7));
		title.text = entry.title.length > room ? entry.title.substr(0, room - 1) + "…" : entry.title;
		title.x = indent + 14;
		title.y = 3;
		var page = Style.label(12, Style.DIM_TEXT);
		page.text = Std.string(entry.page + 1);
		page.x = WIDTH - 14 - page.width;
		page.y = 4;
		sprite.addChild(title);
		sprite.addChild(page);
		sprite.buttonMode = true;
		sprite.mouseChildren = false;
		if (entry.hasChildren) drawTriangle(sprite, indent, entry.open);
		sprite.addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
			event.stopPropagation();
			if (entry.hasChildren && event.localX < indent + 14) {
				outline.toggle(index);
				rows = outline.visible();
				scroll(0);
			} else if (onPick != null) {
				onPick(entry.page);
			}
		});
		return sprite;
	}

	// Pointing right when closed, down when open.
	static function drawTriangle(sprite:Sprite, x:Float, open:Bool) {
		var g = sprite.graphics;
		g.beginFill(Style.DIM_TEXT);
		if (open) {
			g.moveTo(x, 9);
			g.lineTo(x + 10, 9);
			g.lineTo(x + 5, 16);
		} else {
			g.moveTo(x + 2, 7);
			g.lineTo(x + 9, 12);
			g.lineTo(x + 2, 17);
		}
		g.endFill();
	}
}
