import flash.display.Graphics;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.text.TextField;

// What a button draws instead of its caption when the toolbar is short of room.
enum Icon {
	NoIcon;
	FullScreen;
	ContentsList;
	Thumbnails;
	Magnifier;
	DownloadArrow;
	Speaker;
	PageCorner;
}

// A flat push button with a text caption, or a drawn icon when `compact`; `on` draws it
// highlighted (a panel that is open, a setting that is on).
class Button extends Sprite {
	public static inline var HEIGHT = 30;
	public static inline var ICON_WIDTH = 34;

	public var on(default, set):Bool = false;
	public var compact(default, set):Bool = false;

	var caption:TextField;
	var picture = new Shape();
	var icon:Icon;
	var textWidth:Float;

	public function new(text:String, action:Void->Void, minWidth = 34.0, icon:Icon = NoIcon) {
		super();
		this.icon = icon;
		caption = Style.label(14, Style.TEXT, true);
		caption.text = text;
		textWidth = Math.max(minWidth, caption.width + 16);
		addChild(caption);
		addChild(picture);
		drawIcon(picture.graphics, icon);
		buttonMode = true;
		mouseChildren = false;
		draw();
		addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
			event.stopPropagation();
			action();
		});
	}

	public function buttonWidth():Float {
		return compact && icon != NoIcon ? ICON_WIDTH : textWidth;
	}

	function set_on(value:Bool):Bool {
		on = value;
		draw();
		return value;
	}

	function set_compact(value:Bool):Bool {
		compact = value;
		draw();
		return value;
	}

	function draw() {
		var width = buttonWidth();
		var iconShown = compact && icon != NoIcon;
		caption.visible = !iconShown;
		picture.visible = iconShown;
		caption.x = (width - caption.width) / 2;
		caption.y = (HEIGHT - caption.height) / 2;
		picture.x = (width - 18) / 2;
		picture.y = (HEIGHT - 18) / 2;
		graphics.clear();
		graphics.beginFill(on ? Style.BUTTON_ON : Style.BUTTON);
		graphics.drawRoundRect(0, 0, width, HEIGHT, 8, 8);
		graphics.endFill();
	}

	// Icons in an 18 x 18 box.
	static function drawIcon(g:Graphics, icon:Icon) {
		g.lineStyle(2, Style.TEXT);
		switch (icon) {
			case NoIcon:
			case FullScreen:
				for (corner in [[1, 6, 1, 1, 6, 1], [12, 1, 17, 1, 17, 6], [17, 12, 17, 17, 12, 17], [6, 17, 1, 17, 1, 12]]) {
					g.moveTo(corner[0], corner[1]);
					g.lineTo(corner[2], corner[3]);
					g.lineTo(corner[4], corner[5]);
				}
			case ContentsList:
				for (y in [3, 9, 15]) {
					g.moveTo(1, y);
					g.lineTo(3, y);
					g.moveTo(6, y);
					g.lineTo(17, y);
				}
			case Thumbnails:
				for (x in [1, 10]) for (y in [1, 10]) g.drawRect(x, y, 7, 7);
			case Magnifier:
				g.drawCircle(7, 7, 5.5);
				g.moveTo(11, 11);
				g.lineTo(17, 17);
			case DownloadArrow:
				g.moveTo(9, 1);
				g.lineTo(9, 12);
				g.moveTo(4, 7);
				g.lineTo(9, 12);
				g.lineTo(14, 7);
				g.moveTo(2, 17);
				g.lineTo(16, 17);
			case Speaker:
				g.moveTo(1, 6);
				g.lineTo(5, 6);
				g.lineTo(10, 1);
				g.lineTo(10, 17);
				g.lineTo(5, 12);
				g.lineTo(1, 12);
				g.lineTo(1, 6);
				g.moveTo(13, 6);
				g.curveTo(16, 9, 13, 12);
			case PageCorner:
				g.moveTo(3, 1);
				g.lineTo(15, 1);
				g.lineTo(15, 11);
				g.lineTo(9, 17);
				g.lineTo(3, 17);
				g.lineTo(3, 1);
				g.moveTo(15, 11);
				g.lineTo(9, 11);
				g.lineTo(9, 17);
		}
	}
}
