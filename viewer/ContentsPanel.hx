import flash.display.Sprite;
import flash.events.MouseEvent;

// The list of chapters and bookmarks at the left; a click jumps to the page, the wheel scrolls.
class ContentsPanel extends Sprite {
	public static inline var WIDTH = 260;
	static inline var ROW = 26;

	public var onPick:Int->Void;

	var rows:Array<{title:String, page:Int, heading:Bool}> = [];
	var panelHeight:Float = 1;
	var first = 0;
	var list = new Sprite();

	public function new(contents:Contents) {
		super();
		for (chapter in contents.chapters)
			rows.push({title: chapter.title == "" ? "Chapter" : chapter.title, page: chapter.page, heading: true});
		for (bookmark in contents.bookmarks)
			rows.push({title: bookmark.title == "" ? "Bookmark" : bookmark.title, page: bookmark.page, heading: false});
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

	function visibleRows():Int {
		return Std.int(Math.max(1, (panelHeight - 44) / ROW));
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
			row.y = 40 + i * ROW;
			list.addChild(row);
		}
	}

	function buildRow(row:{title:String, page:Int, heading:Bool}):Sprite {
		var sprite = new Sprite();
		sprite.graphics.beginFill(0xFFFFFF, 0.04);
		sprite.graphics.drawRect(4, 0, WIDTH - 8, ROW - 2);
		sprite.graphics.endFill();
		var title = Style.label(13, row.heading ? Style.TEXT : Style.DIM_TEXT, row.heading);
		title.text = (row.heading ? "" : "   ") + (row.title.length > 28 ? row.title.substr(0, 27) + "…" : row.title);
		title.x = 10;
		title.y = 3;
		var page = Style.label(12, Style.DIM_TEXT);
		page.text = Std.string(row.page + 1);
		page.x = WIDTH - 14 - page.width;
		page.y = 4;
		sprite.addChild(title);
		sprite.addChild(page);
		sprite.buttonMode = true;
		sprite.mouseChildren = false;
		sprite.addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
			event.stopPropagation();
			if (onPick != null) onPick(row.page);
		});
		return sprite;
	}
}
