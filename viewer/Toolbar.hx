import flash.display.Sprite;
import flash.events.FocusEvent;
import flash.events.KeyboardEvent;
import flash.text.TextField;
import flash.text.TextFieldType;
import flash.text.TextFormat;

// The bar along the bottom: turning buttons around the page number box, zoom, the thumbnail
// strip, the contents panel, the sound and the full-screen switch.
class Toolbar extends Sprite {
	public static inline var HEIGHT = 44;

	public var pageBox(default, null):TextField;
	public var thumbsButton(default, null):Button;
	public var contentsButton(default, null):Button;
	public var soundButton(default, null):Button;
	public var onJump:String->Void;

	var pageCount:TextField;
	var middle = new Sprite();
	var right = new Sprite();
	var barWidth:Float = 1;
	var middleWidth:Float = 0;
	var rightWidth:Float = 0;

	public function new(actions:{
		first:Void->Void, previous:Void->Void, next:Void->Void, last:Void->Void,
		zoomIn:Void->Void, zoomOut:Void->Void, thumbs:Void->Void, contents:Void->Void,
		sound:Void->Void, fullScreen:Void->Void
	}) {
		super();
		pageBox = new TextField();
		pageBox.type = TextFieldType.INPUT;
		pageBox.defaultTextFormat = new TextFormat("_sans", 15, 0x1E2A36, true, null, null, null, null, flash.text.TextFormatAlign.CENTER);
		pageBox.background = true;
		pageBox.backgroundColor = 0xFFFFFF;
		pageBox.border = true;
		pageBox.borderColor = Style.BUTTON_ON;
		pageBox.restrict = "0-9";
		pageBox.maxChars = 6;
		pageBox.width = 58;
		pageBox.height = 24;
		pageBox.addEventListener(KeyboardEvent.KEY_DOWN, function(event:KeyboardEvent) {
			if (event.keyCode == 13 && onJump != null) onJump(pageBox.text);
		});
		pageBox.addEventListener(FocusEvent.FOCUS_IN, function(_) pageBox.setSelection(0, pageBox.text.length));
		pageCount = Style.label(15, Style.TEXT, true);
		middleWidth = row(middle, [
			new Button("|<", actions.first), new Button("<", actions.previous), pageBox, pageCount,
			new Button(">", actions.next), new Button(">|", actions.last)
		]);
		// Fixed widths, right-aligned, with the button that may be missing at the far end: the
		// other buttons keep their places whatever the font and whether the book has a sound.
		soundButton = new Button("Sound", actions.sound, 80);
		soundButton.visible = false;
		thumbsButton = new Button("Pages", actions.thumbs, 80);
		contentsButton = new Button("Contents", actions.contents, 96);
		rightWidth = row(right, [
			soundButton, new Button("-", actions.zoomOut, 34), new Button("+", actions.zoomIn, 34), thumbsButton,
			contentsButton, new Button("Full screen", actions.fullScreen, 120)
		]);
		addChild(middle);
		addChild(right);
	}

	public function setWidth(width:Float) {
		barWidth = width;
		graphics.clear();
		graphics.beginFill(Style.BAR);
		graphics.drawRect(0, 0, width, HEIGHT);
		graphics.endFill();
		right.x = width - rightWidth - 10;
		middle.x = Math.max(10, Math.min((width - middleWidth) / 2, right.x - middleWidth - 20));
	}

	public function setPage(firstShown:Int, count:Int) {
		pageBox.text = count == 0 ? "" : Std.string(firstShown + 1);
		pageCount.text = "/ " + count;
		middleWidth = row(middle, [for (i in 0...middle.numChildren) middle.getChildAt(i)]);
		setWidth(barWidth);
	}

	// The sound button lights up while the music plays.
	public function showSoundButton(playing:Bool) {
		soundButton.visible = true;
		soundButton.on = playing;
		rightWidth = row(right, [for (i in 0...right.numChildren) right.getChildAt(i)]);
		setWidth(barWidth);
	}

	// Lays the visible items out from the left; returns the width they take.
	static function row(holder:Sprite, items:Array<flash.display.DisplayObject>):Float {
		var x = 0.0;
		for (item in items) {
			if (item.parent != holder) holder.addChild(item);
			if (!item.visible) continue;
			item.x = x;
			item.y = (HEIGHT - item.height) / 2;
			x += item.width + 6;
		}
		return x - 6;
	}
}
