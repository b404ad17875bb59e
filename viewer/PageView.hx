import Contents.PageEntry;
import flash.display.Loader;
import flash.display.Sprite;
import flash.events.MouseEvent;

// One page in page units (the book's page size): a grey sheet with its number until the picture
// arrives (so a page still loading never passes for a blank one), the picture where the table of
// contents places it, and the clickable link areas.
class PageView extends Sprite {
	public var index(default, null):Int;

	var entry:PageEntry;
	var pageWidth:Float;
	var pageHeight:Float;
	var holder = new Sprite();
	var shown:Null<Loader>;

	public function new(index:Int, entry:PageEntry, pageWidth:Float, pageHeight:Float, openLink:String->Void) {
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
		for (area in entry.areas) addChild(linkArea(area, openLink));
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

	function linkArea(area:Contents.Area, openLink:String->Void):Sprite {
		var spot = new Sprite();
		spot.graphics.beginFill(0x3366CC, 0.12);
		spot.graphics.lineStyle(1, 0x3366CC, 0.5);
		spot.graphics.drawRect(area.left, area.top, area.width, area.height);
		spot.graphics.endFill();
		spot.buttonMode = true;
		spot.addEventListener(MouseEvent.CLICK, function(_) openLink(area.url));
		return spot;
	}
}
