// The demo book's viewer movie: reads the table of contents the player wrote into the book
// folder, shows one page at a time and turns pages with the arrow keys or the buttons. The
// "Window" button asks the player to switch between full screen and a window, the only call
// the player answers.
import flash.display.Loader;
import flash.display.Sprite;
import flash.display.Stage;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.external.ExternalInterface;
import flash.net.URLLoader;
import flash.net.URLRequest;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;
import flash.ui.Keyboard;

class Viewer extends Sprite {
	static inline var STAGE_WIDTH = 900;
	static inline var STAGE_HEIGHT = 600;
	static inline var PAGE_TOP = 50;
	static inline var PAGE_HEIGHT = 490;
	static inline var TOC = "res/other/toc.xml";

	var pages:Array<String> = [];
	var current = 0;
	var pageHolder = new Sprite();
	var title:TextField;
	var status:TextField;

	static function main() {
		// Trace output goes to the emulator's log, not over the movie.
		haxe.Log.trace = function(v, ?infos) flash.Lib.trace(Std.string(v));
		flash.Lib.current.addChild(new Viewer());
	}

	public function new() {
		super();
		drawBackground();
		title = label(20, 12, 22, 0xFFFFFF);
		title.text = "Bookstub demo";
		status = label(STAGE_WIDTH / 2 - 60, STAGE_HEIGHT - 44, 16, 0xDDDDDD);
		addChild(pageHolder);
		addButton("Previous", 20, STAGE_HEIGHT - 50, function() turn(-1));
		addButton("Next", STAGE_WIDTH - 140, STAGE_HEIGHT - 50, function() turn(1));
		addButton("Window", STAGE_WIDTH - 140, 10, toggleFullScreen);
		addEventListener(Event.ADDED_TO_STAGE, onStage);
		loadContents();
	}

	function onStage(_) {
		stage.addEventListener(KeyboardEvent.KEY_DOWN, onKey);
	}

	function drawBackground() {
		graphics.beginFill(0x2B3A4A);
		graphics.drawRect(0, 0, STAGE_WIDTH, STAGE_HEIGHT);
		graphics.endFill();
	}

	function label(x:Float, y:Float, size:Int, color:Int):TextField {
		var field = new TextField();
		field.defaultTextFormat = new TextFormat("_sans", size, color, true);
		field.autoSize = TextFieldAutoSize.LEFT;
		field.selectable = false;
		field.x = x;
		field.y = y;
		addChild(field);
		return field;
	}

	function addButton(text:String, x:Float, y:Float, action:Void->Void) {
		var button = new Sprite();
		button.graphics.beginFill(0x4F6D8A);
		button.graphics.drawRoundRect(0, 0, 120, 36, 12, 12);
		button.graphics.endFill();
		var caption = new TextField();
		caption.defaultTextFormat = new TextFormat("_sans", 15, 0xFFFFFF, true);
		caption.autoSize = TextFieldAutoSize.CENTER;
		caption.selectable = false;
		caption.mouseEnabled = false;
		caption.text = text;
		caption.x = (120 - caption.width) / 2;
		caption.y = (36 - caption.height) / 2;
		button.addChild(caption);
		button.buttonMode = true;
		button.x = x;
		button.y = y;
		button.addEventListener(MouseEvent.CLICK, function(_) action());
		addChild(button);
	}

	function loadContents() {
		var loader = new URLLoader();
		loader.addEventListener(Event.COMPLETE, function(_) {
			var toc = Xml.parse(loader.data).firstElement();
			if (toc.exists("title")) title.text = toc.get("title");
			for (page in toc.elementsNamed("page")) pages.push(page.get("src"));
			show(0);
		});
		loader.addEventListener(IOErrorEvent.IO_ERROR, function(_) status.text = "No table of contents");
		loader.load(new URLRequest(TOC));
	}

	function turn(step:Int) {
		var next = current + step;
		if (next >= 0 && next < pages.length) show(next);
	}

	function show(index:Int) {
		if (pages.length == 0) return;
		current = index;
		status.text = "Page " + (index + 1) + " / " + pages.length;
		var loader = new Loader();
		loader.contentLoaderInfo.addEventListener(Event.COMPLETE, function(_) place(loader));
		loader.load(new URLRequest(pages[index]));
	}

	// Scales the page into the page area, centred, and fades it in over the previous one.
	function place(loader:Loader) {
		var content = loader.content;
		var scale = PAGE_HEIGHT / content.height;
		loader.scaleX = loader.scaleY = scale;
		loader.x = (STAGE_WIDTH - content.width * scale) / 2;
		loader.y = PAGE_TOP;
		loader.alpha = 0;
		pageHolder.addChild(loader);
		addEventListener(Event.ENTER_FRAME, function fade(_) {
			loader.alpha += 0.2;
			if (loader.alpha >= 1) {
				removeEventListener(Event.ENTER_FRAME, fade);
				while (pageHolder.numChildren > 1) pageHolder.removeChildAt(0);
			}
		});
	}

	function onKey(event:KeyboardEvent) {
		if (event.keyCode == Keyboard.RIGHT || event.keyCode == Keyboard.PAGE_DOWN) turn(1);
		if (event.keyCode == Keyboard.LEFT || event.keyCode == Keyboard.PAGE_UP) turn(-1);
	}

	function toggleFullScreen() {
		if (ExternalInterface.available) ExternalInterface.call("fullscreen_error");
	}
}
