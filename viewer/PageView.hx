import Contents.Area;
import Contents.PageEntry;
import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.MouseEvent;

// A box on the page, in page units.
typedef Box = {left:Float, top:Float, width:Float, height:Float};

// A clickable area of a page.
class LinkSpot extends Sprite {
	public function new(area:Area, onArea:Area->Void) {
		super();
		graphics.beginFill(0x3366CC, 0.12);
		graphics.lineStyle(1, 0x3366CC, 0.5);
		graphics.drawRect(area.left, area.top, area.width, area.height);
		graphics.endFill();
		buttonMode = true;
		addEventListener(MouseEvent.CLICK, function(_) onArea(area));
	}
}

// One page in page units (the book's page size): a grey sheet with its number until the picture
// arrives (so a page still loading never passes for a blank one), the picture where the table of
// contents places it, the words a search found, and the clickable link areas.
class PageView extends Sprite {
	public var index(default, null):Int;

	var entry:PageEntry;
	var pageWidth:Float;
	var pageHeight:Float;
	var holder = new Sprite();
	var marks = new Shape();
	var shown:Null<Loader>;

	public function new(index:Int, entry:PageEntry, pageWidth:Float, pageHeight:Float, onArea:Area->Void) {
		super();
		this.index = index;
		this.entry = entry;
		this.pageWidth = pageWidth;
		this.pageHeight = pageHeight;
		graphics.beginFill(Style.LOADING_PAGE);
		graphics.drawRect(0, 0, pageWidth, pageHeight);
		graphics.endFill();
		var number = Style.label(Std.int(Math.max(12, Math.min(160, pageHeight / 12))), Style.LOADING_TEXT, true);
		number.text = Std.string(index + 1);
		number.x = (pageWidth - number.width) / 2;
		number.y = (pageHeight - number.height) / 2;
		addChild(number);
		addChild(holder);
		addChild(marks);
		for (area in entry.areas) addChild(new LinkSpot(area, onArea));
	}

	// Shows a loaded picture (the page or its larger copy) in the picture's place.
	public function showPicture(loader:Loader) {
		if (shown == loader && loader.parent == holder) return;
		while (holder.numChildren > 0) holder.removeChildAt(0);
		shown = loader;
		var info = loader.contentLoaderInfo;
		if (info.width <= 0 || info.height <= 0) return;
		var placed = entry.width > 0 && entry.height > 0;
		var width = placed ? entry.width : pageWidth;
		var height = placed ? entry.height : pageHeight;
		loader.scaleX = width / info.width;
		loader.scaleY = height / info.height;
		loader.x = placed ? entry.left : 0;
		loader.y = placed ? entry.top : 0;
		holder.graphics.clear();
		holder.graphics.beginFill(Style.PAGE);
		holder.graphics.drawRect(0, 0, pageWidth, pageHeight);
		holder.graphics.endFill();
		holder.addChild(loader);
	}

	public function showing(loader:Loader):Bool {
		return shown == loader && loader.parent == holder;
	}

	// Marks the boxes of words a search found, a little larger than the words.
	public function highlight(boxes:Array<Box>) {
		marks.graphics.clear();
		for (box in boxes) {
			var margin = Math.max(1, box.height * 0.15);
			marks.graphics.beginFill(Style.HIGHLIGHT, 0.45);
			marks.graphics.drawRect(box.left - margin, box.top - margin, box.width + 2 * margin, box.height + 2 * margin);
			marks.graphics.endFill();
		}
	}
}
