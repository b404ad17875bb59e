import flash.display.Loader;
import flash.display.Sprite;
import flash.events.MouseEvent;

// A row of page thumbnails along the bottom. Only the cells that fit are built, and only their
// thumbnails are loaded, while the strip is shown; the wheel scrolls the row, a click jumps to
// the page.
class ThumbStrip extends Sprite {
	public static inline var HEIGHT = 126;
	static inline var THUMB_HEIGHT = 96;
	static inline var GAP = 10;

	public var onPick:Int->Void;

	var contents:Contents;
	var stripWidth:Float = 1;
	var first = 0;
	var highlighted:Array<Int> = [];
	var cells = new Sprite();
	var thumbs:PageStore;

	public function new(contents:Contents) {
		super();
		this.contents = contents;
		thumbs = new PageStore(64, function(page) rebuild());
		addChild(cells);
		addEventListener(MouseEvent.MOUSE_WHEEL, function(event:MouseEvent) {
			event.stopPropagation();
			scrollTo(first - (event.delta > 0 ? 1 : -1) * Std.int(Math.max(1, visibleCount() / 2)));
		});
	}

	public function setWidth(width:Float) {
		stripWidth = Math.max(1, width);
		rebuild();
	}

	// Keeps the pages shown in the book in view, highlighted.
	public function setCurrent(pages:Array<Int>) {
		highlighted = pages;
		if (pages.length > 0 && (pages[0] < first || pages[pages.length - 1] >= first + visibleCount()))
			first = pages[0] - Std.int(visibleCount() / 2);
		scrollTo(first);
	}

	function cellWidth():Float {
		return Math.max(20, THUMB_HEIGHT * contents.pageWidth / contents.pageHeight);
	}

	function visibleCount():Int {
		return Std.int(Math.max(1, (stripWidth - GAP) / (cellWidth() + GAP)));
	}

	function scrollTo(index:Int) {
		var last = contents.pages.length - visibleCount();
		first = Std.int(Math.max(0, Math.min(last, index)));
		rebuild();
	}

	function rebuild() {
		// A hidden strip loads no thumbnails: they would only hold up the pages being read. It
		// is built when it is shown.
		if (!visible) return;
		graphics.clear();
		graphics.beginFill(Style.BAR, 0.94);
		graphics.drawRect(0, 0, stripWidth, HEIGHT);
		graphics.endFill();
		while (cells.numChildren > 0) cells.removeChildAt(0);
		var count = Std.int(Math.min(visibleCount(), contents.pages.length - first));
		var width = cellWidth();
		var left = (stripWidth - count * (width + GAP) + GAP) / 2;
		var requests = [];
		for (i in 0...count) {
			var page = first + i;
			var cell = buildCell(page, width);
			// A right-to-left book's pages run from right to left.
			cell.x = contents.ltr ? left + i * (width + GAP) : stripWidth - left - i * (width + GAP) - width;
			cell.y = 8;
			cells.addChild(cell);
			var thumb = contents.pages[page].thumb;
			if (thumb != null) requests.push({key: page, url: thumb});
		}
		thumbs.want(requests);
	}

	function buildCell(page:Int, width:Float):Sprite {
		var cell = new Sprite();
		var on = highlighted.indexOf(page) >= 0;
		cell.graphics.beginFill(on ? Style.HIGHLIGHT : 0x56687A);
		cell.graphics.drawRect(-3, -3, width + 6, THUMB_HEIGHT + 6);
		cell.graphics.beginFill(0xE8E8E8);
		cell.graphics.drawRect(0, 0, width, THUMB_HEIGHT);
		cell.graphics.endFill();
		var picture = thumbs.get(page);
		if (picture != null) {
			var info = picture.contentLoaderInfo;
			picture.scaleX = width / Math.max(1, info.width);
			picture.scaleY = THUMB_HEIGHT / Math.max(1, info.height);
			picture.x = picture.y = 0;
			cell.addChild(picture);
		}
		var number = Style.label(11, on ? Style.HIGHLIGHT : Style.DIM_TEXT, on);
		number.text = Std.string(page + 1);
		number.x = (width - number.width) / 2;
		number.y = THUMB_HEIGHT + 2;
		cell.addChild(number);
		cell.buttonMode = true;
		cell.mouseChildren = false;
		cell.addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
			event.stopPropagation();
			if (onPick != null) onPick(page);
		});
		return cell;
	}
}
