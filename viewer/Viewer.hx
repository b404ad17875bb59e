import Keys.Action;
import flash.display.Sprite;
import flash.display.StageAlign;
import flash.display.StageScaleMode;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.events.SecurityErrorEvent;
import flash.external.ExternalInterface;
import flash.net.URLLoader;
import flash.net.URLRequest;
import flash.text.TextField;

// The book viewer: reads the table of contents, then lays out the pages, the toolbar and the
// panels to the size of the stage (two pages side by side when it is wider than tall) and
// answers keys, the wheel and the buttons.
class Viewer extends Sprite {
	// The name books made by our tools give their table of contents (package/TableOfContents.h).
	static inline var TOC = "res/other/toc.xml";
	static inline var TITLE_HEIGHT = 34;

	var contents:Null<Contents>;
	var book:Null<BookView>;
	var toolbar:Null<Toolbar>;
	var strip:Null<ThumbStrip>;
	var panel:Null<ContentsPanel>;
	var sound:Null<BackgroundSound>;
	var title:TextField;
	var message:TextField;

	public function new() {
		super();
		title = Style.label(17, Style.TEXT, true);
		title.x = 14;
		title.y = 7;
		message = Style.label(16, Style.DIM_TEXT);
		addChild(title);
		addChild(message);
		addEventListener(Event.ADDED_TO_STAGE, onStage);
	}

	function onStage(_) {
		stage.scaleMode = StageScaleMode.NO_SCALE;
		stage.align = StageAlign.TOP_LEFT;
		stage.addEventListener(Event.RESIZE, function(_) layout());
		stage.addEventListener(KeyboardEvent.KEY_DOWN, onKey);
		stage.addEventListener(MouseEvent.MOUSE_WHEEL, onWheel);
		layout();
		loadContents();
	}

	function loadContents() {
		var loader = new URLLoader();
		loader.addEventListener(Event.COMPLETE, function(_) {
			try {
				start(Contents.parse(loader.data));
			} catch (error:Dynamic) {
				showMessage("The table of contents cannot be read.");
			}
		});
		loader.addEventListener(IOErrorEvent.IO_ERROR, function(_) showMessage("This book has no table of contents."));
		loader.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) showMessage("The table of contents cannot be read."));
		loader.load(new URLRequest(TOC));
	}

	function showMessage(text:String) {
		message.text = text;
		layout();
	}

	function start(loaded:Contents) {
		contents = loaded;
		title.text = loaded.title;
		if (loaded.pages.length == 0) {
			showMessage("This book has no pages.");
			return;
		}
		book = new BookView(loaded, openLink);
		book.onChange = onPageChange;
		toolbar = new Toolbar({
			first: function() book.goToSpread(0),
			previous: function() book.turn(-1),
			next: function() book.turn(1),
			last: function() book.goToSpread(book.spreads.count() - 1),
			zoomIn: function() book.zoomIn(),
			zoomOut: function() book.zoomOut(),
			thumbs: toggleThumbs,
			contents: toggleContents,
			sound: toggleSound,
			fullScreen: toggleFullScreen
		});
		toolbar.onJump = jumpToNumber;
		strip = new ThumbStrip(loaded);
		strip.onPick = function(page) book.goToPage(page);
		strip.visible = false;
		panel = new ContentsPanel(loaded);
		panel.onPick = function(page) book.goToPage(page);
		panel.visible = false;
		addChildAt(book, 0);
		addChild(strip);
		addChild(panel);
		addChild(toolbar);
		sound = new BackgroundSound();
		sound.onAvailable = function() toolbar.showSoundButton(!sound.muted);
		layout();
	}

	function layout() {
		if (stage == null) return;
		var width = stage.stageWidth > 0 ? stage.stageWidth : 900.0;
		var height = stage.stageHeight > 0 ? stage.stageHeight : 600.0;
		graphics.clear();
		graphics.beginFill(Style.BACKGROUND);
		graphics.drawRect(0, 0, width, height);
		graphics.endFill();
		message.x = (width - message.width) / 2;
		message.y = (height - message.height) / 2;
		if (book == null) return;
		var bottom = height - Toolbar.HEIGHT;
		toolbar.y = bottom;
		toolbar.setWidth(width);
		if (strip.visible) {
			bottom -= ThumbStrip.HEIGHT;
			strip.y = bottom;
			strip.setWidth(width);
		}
		var left = panel.visible ? ContentsPanel.WIDTH : 0;
		panel.y = TITLE_HEIGHT;
		panel.setHeight(bottom - TITLE_HEIGHT);
		book.x = left;
		book.y = TITLE_HEIGHT;
		book.setSize(width - left, bottom - TITLE_HEIGHT, width > height);
	}

	function onPageChange() {
		var shown = book.shownPages();
		toolbar.setPage(shown.length > 0 ? shown[0] : -1, contents.pages.length);
		strip.setCurrent(shown);
	}

	function onKey(event:KeyboardEvent) {
		if (book == null || stage.focus == toolbar.pageBox) return;
		switch (Keys.actionFor(event.keyCode, event.charCode)) {
			case Next: book.turn(1);
			case Previous: book.turn(-1);
			case First: book.goToSpread(0);
			case Last: book.goToSpread(book.spreads.count() - 1);
			case ZoomIn: book.zoomIn();
			case ZoomOut: book.zoomOut();
			case Ignore:
		}
	}

	function onWheel(event:MouseEvent) {
		if (book == null) return;
		if (event.delta > 0) book.zoomIn() else if (event.delta < 0) book.zoomOut();
	}

	function jumpToNumber(text:String) {
		var page = book.spreads.pageForNumber(text);
		stage.focus = stage;
		if (page >= 0) book.goToPage(page) else onPageChange();
	}

	function toggleThumbs() {
		strip.visible = !strip.visible;
		toolbar.thumbsButton.on = strip.visible;
		layout();
		if (strip.visible) strip.setCurrent(book.shownPages());
	}

	function toggleContents() {
		panel.visible = !panel.visible;
		toolbar.contentsButton.on = panel.visible;
		layout();
	}

	function toggleSound() {
		sound.toggleMute();
		toolbar.showSoundButton(!sound.muted);
	}

	// The player switches between full screen and a window when the movie makes this call.
	function toggleFullScreen() {
		if (ExternalInterface.available) ExternalInterface.call("fullscreen_error");
	}

	// The player decides what a link may open; links that are not web or mail addresses never
	// leave the movie.
	function openLink(url:String) {
		if (Contents.isWebLink(url)) flash.Lib.getURL(new URLRequest(StringTools.trim(url)), "");
	}
}
