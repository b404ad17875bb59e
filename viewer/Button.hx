import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.text.TextField;

// A flat push button with a text caption; `on` draws it highlighted (a panel that is open).
class Button extends Sprite {
	public static inline var HEIGHT = 30;

	public var on(default, set):Bool = false;

	var caption:TextField;
	var buttonWidth:Float;

	public function new(text:String, action:Void->Void, minWidth = 34.0) {
		super();
		caption = Style.label(14, Style.TEXT, true);
		caption.text = text;
		buttonWidth = Math.max(minWidth, caption.width + 16);
		caption.x = (buttonWidth - caption.width) / 2;
		caption.y = (HEIGHT - caption.height) / 2;
		addChild(caption);
		buttonMode = true;
		mouseChildren = false;
		draw();
		addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
			event.stopPropagation();
			action();
		});
	}

	function set_on(value:Bool):Bool {
		on = value;
		draw();
		return value;
	}

	function draw() {
		graphics.clear();
		graphics.beginFill(on ? Style.BUTTON_ON : Style.BUTTON);
		graphics.drawRoundRect(0, 0, buttonWidth, HEIGHT, 8, 8);
		graphics.endFill();
	}
}
