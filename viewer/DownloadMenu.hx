import flash.display.Sprite;
import flash.events.MouseEvent;

// The files the reader may save, offered above the Download button when there is more than one:
// the book's download and those of the pages shown. A click on one asks the player to save it.
class DownloadMenu extends Sprite {
	static inline var WIDTH = 220;
	static inline var ROW = 28;

	public function new(choices:Array<{title:String, path:String}>, onPick:String->Void) {
		super();
		graphics.beginFill(Style.BAR, 0.98);
		graphics.lineStyle(1, Style.BUTTON_ON);
		graphics.drawRect(0, 0, WIDTH, Math.max(1, choices.length) * ROW + 8);
		graphics.endFill();
		if (choices.length == 0) {
			var none = Style.label(13, Style.DIM_TEXT);
			none.text = "Nothing to save on these pages";
			none.x = 10;
			none.y = 8;
			addChild(none);
		}
		for (i in 0...choices.length) {
			var choice = choices[i];
			var row = new Sprite();
			row.graphics.beginFill(0xFFFFFF, 0.05);
			row.graphics.drawRect(4, 0, WIDTH - 8, ROW - 2);
			row.graphics.endFill();
			var title = Style.label(13, Style.TEXT);
			title.text = choice.title;
			title.x = 10;
			title.y = 4;
			row.addChild(title);
			row.y = 4 + i * ROW;
			row.buttonMode = true;
			row.mouseChildren = false;
			row.addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
				event.stopPropagation();
				onPick(choice.path);
			});
			addChild(row);
		}
	}
}
