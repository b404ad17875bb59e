import Button.Icon;
import flash.display.DisplayObject;
import flash.display.Sprite;
import flash.events.FocusEvent;
import flash.events.KeyboardEvent;
import flash.text.TextField;
import flash.text.TextFieldType;
import flash.text.TextFormat;

// The bar along the bottom: turning buttons around the page number box, then the tools: the
// sound, downloads, search, page animation, zoom, the thumbnail strip, the contents panel and
// the full-screen switch. A right-to-left book's turning buttons point the way it turns.
class Toolbar extends Sprite {
	public static inline var GAP = 6;

	public var pageBox(default, null):TextField;
	public var thumbsButton(default, null):Button;
	public var contentsButton(default, null):Button;
	public var soundButton(default, null):Button;
	public var searchButton(default, null):Button;
	public var downloadButton(default, null):Button;
	public var motionButton(default, null):Button;
	public var onJump:String->Void;
	public var barHeight(default, null):Float = ToolbarFit.ROW;

	var pageCount:TextField;
	var middle = new Sprite();
	var right = new Sprite();
	var tools:Array<Button>;
	var barWidth:Float = 1;

	public function new(actions:{
		first:Void->Void, previous:Void->Void, next:Void->Void, last:Void->Void,
		zoomIn:Void->Void, zoomOut:Void->Void, thumbs:Void->Void, contents:Void->Void,
		sound:Void->Void, fullScreen:Void->Void, search:Void->Void, download:Void->Void, motion:Void->Void
	}, ltr:Bool, labels:Bool) {
		super();
		pageBox = new TextField();
		pageBox.type = TextFieldType.INPUT;
		pageBox.defaultTextFormat = new TextFormat("_sans", 15, 0x1E2A36, true, null, null, null, null, flash.text.TextFormatAlign.CENTER);
		pageBox.background = true;
		pageBox.backgroundColor = 0xFFFFFF;
		pageBox.border = true;
		pageBox.borderColor = Style.BUTTON_ON;
		// Page labels may be roman numerals or names.
		pageBox.restrict = labels ? null : "0-9";
		pageBox.maxChars = labels ? Contents.MAX_LABEL : 6;
		pageBox.width = 58;
		pageBox.height = 24;
		pageBox.addEventListener(KeyboardEvent.KEY_DOWN, function(event:KeyboardEvent) {
			if (event.keyCode == 13 && onJump != null) onJump(pageBox.text);
		});
		pageBox.addEventListener(FocusEvent.FOCUS_IN, function(_) pageBox.setSelection(0, pageBox.text.length));
		pageCount = Style.label(15, Style.TEXT, true);
		// The buttons at the left end go to the book's end in a right-to-left book.
		var leftEnd = ltr ? actions.first : actions.last;
		var leftStep = ltr ? actions.previous : actions.next;
		var rightStep = ltr ? actions.next : actions.previous;
		var rightEnd = ltr ? actions.last : actions.first;
		for (item in ([
			new Button("|<", leftEnd), new Button("<", leftStep), pageBox, pageCount, new Button(">", rightStep),
			new Button(">|", rightEnd)
		] : Array<DisplayObject>))
			middle.addChild(item);
		// Fixed widths, right-aligned, with the buttons that may be missing at the far end: the
		// other buttons keep their places whatever the font and whatever the book carries.
		soundButton = new Button("Sound", actions.sound, 80, Speaker);
		soundButton.visible = false;
		downloadButton = new Button("Download", actions.download, 96, DownloadArrow);
		downloadButton.visible = false;
		searchButton = new Button("Search", actions.search, 80, Magnifier);
		searchButton.visible = false;
		motionButton = new Button("Motion", actions.motion, 80, PageCorner);
		motionButton.on = true;
		thumbsButton = new Button("Pages", actions.thumbs, 80, Thumbnails);
		contentsButton = new Button("Contents", actions.contents, 96, ContentsList);
		tools = [
			soundButton, downloadButton, searchButton, motionButton, new Button("-", actions.zoomOut, 34),
			new Button("+", actions.zoomIn, 34), thumbsButton, contentsButton, new Button("Full screen", actions.fullScreen, 120, FullScreen)
		];
		for (tool in tools) right.addChild(tool);
		addChild(middle);
		addChild(right);
	}

	public function setWidth(width:Float) {
		barWidth = width;
		var middleWidth = row(middle);
		for (tool in tools) tool.compact = false;
		var captions = row(right);
		for (tool in tools) tool.compact = true;
		var icons = row(right);
		var fit = ToolbarFit.choose(width, middleWidth, captions, icons);
		for (tool in tools) tool.compact = fit.icons;
		var rightWidth = row(right);
		barHeight = fit.rows * ToolbarFit.ROW;
		graphics.clear();
		graphics.beginFill(Style.BAR);
		graphics.drawRect(0, 0, width, barHeight);
		graphics.endFill();
		// The tools on the bottom row at the right, the page buttons above them or beside them.
		right.x = Math.max(10, width - rightWidth - 10);
		right.y = barHeight - ToolbarFit.ROW;
		middle.y = 0;
		middle.x = fit.rows == 2 ? Math.max(10, (width - middleWidth) / 2) : Math.max(10,
			Math.min((width - middleWidth) / 2, right.x - middleWidth - 20));
	}

	// The page number box shows the first page shown, by its label when it has one.
	public function setPage(name:String, count:Int) {
		pageBox.text = name;
		pageCount.text = "/ " + count;
		setWidth(barWidth);
	}

	// The sound button lights up while the music plays.
	public function showSoundButton(playing:Bool) {
		soundButton.visible = true;
		soundButton.on = playing;
		setWidth(barWidth);
	}

	public function showButtons(search:Bool, download:Bool) {
		searchButton.visible = search;
		downloadButton.visible = download;
		setWidth(barWidth);
	}

	// Lays the visible items out from the left; returns the width they take.
	static function row(holder:Sprite):Float {
		var x = 0.0;
		for (i in 0...holder.numChildren) {
			var item = holder.getChildAt(i);
			if (!item.visible) continue;
			var width = Std.isOfType(item, Button) ? cast(item, Button).buttonWidth() : item.width;
			item.x = x;
			item.y = (ToolbarFit.ROW - (Std.isOfType(item, Button) ? Button.HEIGHT : item.height)) / 2;
			x += width + GAP;
		}
		return x - GAP;
	}
}
