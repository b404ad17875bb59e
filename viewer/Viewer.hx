import Keys.Action;
import SearchText.Hit;
import flash.display.DisplayObject;
import flash.display.DisplayObjectContainer;
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
import flash.text.TextFieldType;

// The book viewer: reads the table of contents, then lays out the pages, the toolbar and the
// panels to the size of the stage (two pages side by side when it is wide enough and wider than
// tall) and answers keys, the wheel and the buttons.
class Viewer extends Sprite {
	// The name books made by our tools give their table of contents (authoring/TableOfContents.h).
	static inline var TOC = "res/other/toc.xml";
	static inline var TITLE_HEIGHT = 34;
	// The external calls the player answers: the full-screen switch and saving a download.
	static inline var FULL_SCREEN_CALL = "fullscreen_error";
	static inline var DOWNLOAD_CALL = "download_file";
	// Narrower than this, panels lie over the pages instead of beside them.
	static inline var SIDE_BY_SIDE = 760;

	var contents:Null<Contents>;
	var book:Null<BookView>;
	var toolbar:Null<Toolbar>;
	var strip:Null<ThumbStrip>;
	var panel:Null<ContentsPanel>;
	var searchPanel:Null<SearchPanel>;
	var search:Null<BookSearch>;
	var menu:Null<DownloadMenu>;
	var sound:Null<BackgroundSound>;
	var title:TextField;
	var message:TextField;

	public function new() {
		super();
		title = Style.label(17, Style.TEXT, true);
		title.x = 14;
		title.y = 7;
		message = Style.label(16, Style.DIM_TEXT);
		// The table of contents loads while the viewer readies itself: the first page waits for it.
		loadContents();
		addChild(title);
		addChild(message);
		addEventListener(Event.ADDED_TO_STAGE, onStage);
	}

	function onStage(_) {
		stage.scaleMode = StageScaleMode.NO_SCALE;
		stage.align = StageAlign.TOP_LEFT;
		stage.addEventListener(Event.RESIZE, function(_) layout());
		stage.addEventListener(KeyboardEvent.KEY_DOWN, onKey);
		stage.addEventListener(Event.REMOVED, onRemoved);
		stage.addEventListener(MouseEvent.MOUSE_WHEEL, onWheel);
		stage.addEventListener(MouseEvent.MOUSE_DOWN, function(_) closeMenu());
		layout();
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
		var labels = Lambda.exists(loaded.pages, function(page) return page.label != null);
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
			fullScreen: toggleFullScreen,
			search: toggleSearch,
			download: offerDownloads,
			motion: toggleMotion
		}, loaded.ltr, labels);
		toolbar.onJump = jumpTo;
		strip = new ThumbStrip(loaded);
		strip.onPick = function(page) book.goToPage(page);
		strip.visible = false;
		panel = new ContentsPanel(loaded);
		panel.onPick = function(page) book.goToPage(page);
		panel.visible = false;
		addChildAt(book, 0);
		addChild(strip);
		addChild(panel);
		if (loaded.searchable()) {
			search = new BookSearch(loaded);
			searchPanel = new SearchPanel(loaded, search);
			searchPanel.onPick = showHit;
			searchPanel.visible = false;
			addChild(searchPanel);
		}
		addChild(toolbar);
		toolbar.showButtons(searchPanel != null, loaded.hasDownloads());
		sound = new BackgroundSound();
		sound.onAvailable = function() toolbar.showSoundButton(!sound.muted);
		layout();
		onPageChange();
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
		closeMenu();
		toolbar.setWidth(width);
		var bottom = height - toolbar.barHeight;
		toolbar.y = bottom;
		if (strip.visible) {
			bottom -= ThumbStrip.HEIGHT;
			strip.y = bottom;
			strip.setWidth(width);
		}
		var beside = width >= SIDE_BY_SIDE;
		var left = panel.visible && beside ? ContentsPanel.WIDTH : 0;
		var right = searchPanel != null && searchPanel.visible && beside ? SearchPanel.WIDTH : 0;
		panel.y = TITLE_HEIGHT;
		panel.setHeight(bottom - TITLE_HEIGHT);
		if (searchPanel != null) {
			searchPanel.x = width - SearchPanel.WIDTH;
			searchPanel.y = TITLE_HEIGHT;
			searchPanel.setHeight(bottom - TITLE_HEIGHT);
		}
		book.x = left;
		book.y = TITLE_HEIGHT;
		var bookWidth = width - left - right;
		book.setSize(bookWidth, bottom - TITLE_HEIGHT, Spreads.fitsTwoUp(bookWidth, bottom - TITLE_HEIGHT));
	}

	function onPageChange() {
		var shown = book.shownPages();
		var first = book.spreads.firstPage(book.current);
		toolbar.setPage(contents.pageName(first), contents.pages.length);
		strip.setCurrent(shown);
		panel.setPage(first);
		closeMenu();
	}

	// Keys go to the object in focus and rise from it to the stage: one taken off the stage (the
	// link clicked on a page turned away, a search hit listed anew) would take them with it.
	function onRemoved(event:Event) {
		var gone = Std.downcast(event.target, DisplayObject);
		var focus = stage.focus;
		if (gone == null || focus == null) return;
		var container = Std.downcast(gone, DisplayObjectContainer);
		if (focus == gone || (container != null && container.contains(focus))) stage.focus = stage;
	}

	// Keys typed into a text box are the box's, not the book's.
	function typing():Bool {
		var field = Std.downcast(stage.focus, TextField);
		return field != null && field.type == TextFieldType.INPUT;
	}

	function onKey(event:KeyboardEvent) {
		if (book == null || typing()) return;
		switch (Keys.actionFor(event.keyCode, event.charCode, event.ctrlKey, contents.ltr)) {
			case Next: book.turn(1);
			case Previous: book.turn(-1);
			case First: book.goToSpread(0);
			case Last: book.goToSpread(book.spreads.count() - 1);
			case ZoomIn: book.zoomIn();
			case ZoomOut: book.zoomOut();
			case Find: if (searchPanel != null && !searchPanel.visible) toggleSearch() else if (searchPanel != null) searchPanel.focus();
			case ToggleMotion: toggleMotion();
			case Ignore:
		}
	}

	// Every notch of the wheel zooms one step.
	function onWheel(event:MouseEvent) {
		if (book == null) return;
		if (event.delta > 0) book.zoomIn() else if (event.delta < 0) book.zoomOut();
	}

	function jumpTo(text:String) {
		var page = contents.pageForText(text);
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

	function toggleSearch() {
		if (searchPanel == null) return;
		searchPanel.visible = !searchPanel.visible;
		toolbar.searchButton.on = searchPanel.visible;
		if (!searchPanel.visible) book.setHighlight(-1, null);
		layout();
		if (searchPanel.visible) searchPanel.focus() else stage.focus = stage;
	}

	// Shows the page of a hit, its words marked where the page's search text has their boxes.
	function showHit(hit:Hit) {
		book.setHighlight(-1, null);
		book.goToPage(hit.page);
		var first = search.wordOf(hit);
		search.wordsOf(hit.page, function(words) {
			var boxes = [
				for (i in first...first + hit.words)
					if (i < words.length && words[i].hasBox())
						{left: words[i].left, top: words[i].top, width: words[i].width, height: words[i].height}
			];
			book.setHighlight(hit.page, boxes);
		});
	}

	function toggleMotion() {
		book.motion = !book.motion;
		toolbar.motionButton.on = book.motion;
	}

	function toggleSound() {
		sound.toggleMute();
		toolbar.showSoundButton(!sound.muted);
	}

	// The player switches between full screen and a window when the movie makes this call.
	function toggleFullScreen() {
		if (ExternalInterface.available) ExternalInterface.call(FULL_SCREEN_CALL);
	}

	// One file is asked for at once; several are offered in a menu, each asked for by its own click.
	function offerDownloads() {
		if (menu != null) {
			closeMenu();
			return;
		}
		var choices = contents.downloadChoices(book.shownPages());
		if (choices.length == 1) {
			saveDownload(choices[0].path);
			return;
		}
		menu = new DownloadMenu(choices, function(path) {
			closeMenu();
			saveDownload(path);
		});
		var button = toolbar.downloadButton;
		var at = globalToLocal(button.localToGlobal(new flash.geom.Point(0, 0)));
		menu.x = Math.max(4, Math.min(at.x, stage.stageWidth - menu.width - 4));
		menu.y = toolbar.y - menu.height - 4;
		menu.addEventListener(MouseEvent.MOUSE_DOWN, function(event:MouseEvent) event.stopPropagation());
		addChild(menu);
		toolbar.downloadButton.on = true;
	}

	function closeMenu() {
		if (menu == null) return;
		removeChild(menu);
		menu = null;
		toolbar.downloadButton.on = false;
	}

	// The player shows its save dialog for a file of the book's downloads folder.
	function saveDownload(path:String) {
		if (ExternalInterface.available && Contents.isDownloadPath(path)) ExternalInterface.call(DOWNLOAD_CALL, path);
	}

	// The player decides what a link may open; links that are not web or mail addresses never
	// leave the movie.
	function openLink(url:String) {
		if (Contents.isWebLink(url)) flash.Lib.getURL(new URLRequest(StringTools.trim(url)), "");
	}
}
