import SearchText.Hit;
import flash.display.Sprite;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.text.TextField;
import flash.text.TextFieldType;
import flash.text.TextFormat;

// The search at the right: a box for the words, Enter or the button searches, and the hits
// below with their page and a few words around them, the match in bold. A click on a hit shows
// its page; the wheel scrolls the hits.
class SearchPanel extends Sprite {
	public static inline var WIDTH = 300;
	public static inline var MAX_HITS = 200;
	static inline var ROW = 56;
	static inline var TOP = 84;

	public var input(default, null):TextField;
	public var onPick:Hit->Void;

	var search:BookSearch;
	var contents:Contents;
	var status:TextField;
	var hits:Array<Hit> = [];
	var first = 0;
	var panelHeight:Float = 1;
	var list = new Sprite();
	var asked = "";

	public function new(contents:Contents, search:BookSearch) {
		super();
		this.contents = contents;
		this.search = search;
		var heading = Style.label(15, Style.TEXT, true);
		heading.text = "Search";
		heading.x = 12;
		heading.y = 10;
		input = new TextField();
		input.type = TextFieldType.INPUT;
		input.defaultTextFormat = new TextFormat("_sans", 14, 0x1E2A36);
		input.background = true;
		input.backgroundColor = 0xFFFFFF;
		input.border = true;
		input.borderColor = Style.BUTTON_ON;
		input.maxChars = 200;
		input.x = 12;
		input.y = 40;
		input.width = WIDTH - 72;
		input.height = 24;
		input.addEventListener(KeyboardEvent.KEY_DOWN, function(event:KeyboardEvent) {
			if (event.keyCode == 13) run();
		});
		var go = new Button("Find", run, 44);
		go.x = WIDTH - 56;
		go.y = 37;
		status = Style.label(12, Style.DIM_TEXT);
		status.x = 12;
		status.y = 66;
		addChild(heading);
		addChild(input);
		addChild(go);
		addChild(status);
		addChild(list);
		addEventListener(MouseEvent.MOUSE_WHEEL, function(event:MouseEvent) {
			event.stopPropagation();
			scroll(event.delta > 0 ? -2 : 2);
		});
	}

	public function setHeight(height:Float) {
		panelHeight = Math.max(1, height);
		scroll(0);
	}

	// On the next frame: the key that opened the search must not type into the box.
	public function focus() {
		function later(_) {
			removeEventListener(flash.events.Event.ENTER_FRAME, later);
			if (stage == null || !visible) return;
			stage.focus = input;
			input.setSelection(0, input.text.length);
		}
		addEventListener(flash.events.Event.ENTER_FRAME, later);
	}

	// Searches for the words in the box; the book's texts are read first if they are not yet.
	public function run() {
		asked = input.text;
		if (StringTools.trim(asked) == "") return;
		if (!search.isReady()) {
			status.text = "Reading the book's text…";
			hits = [];
			first = 0;
			draw();
		}
		var query = asked;
		search.whenReady(function() if (query == asked) show(search.find(query, MAX_HITS)));
	}

	function show(found:{hits:Array<Hit>, total:Int}) {
		hits = found.hits;
		first = 0;
		status.text = found.total == 0 ? "No hits" : found.total == 1 ? "1 hit" : found.total > hits.length ?
			'${found.total} hits, the first ${hits.length} listed' : '${found.total} hits';
		draw();
	}

	function visibleRows():Int {
		return Std.int(Math.max(1, (panelHeight - TOP) / ROW));
	}

	function scroll(step:Int) {
		first = Std.int(Math.max(0, Math.min(hits.length - visibleRows(), first + step)));
		draw();
	}

	function draw() {
		graphics.clear();
		graphics.beginFill(Style.BAR, 0.96);
		graphics.drawRect(0, 0, WIDTH, panelHeight);
		graphics.endFill();
		while (list.numChildren > 0) list.removeChildAt(0);
		var count = Std.int(Math.min(visibleRows(), hits.length - first));
		for (i in 0...count) {
			var row = buildRow(hits[first + i]);
			row.y = TOP + i * ROW;
			list.addChild(row);
		}
	}

	function buildRow(hit:Hit):Sprite {
		var sprite = new Sprite();
		sprite.graphics.beginFill(0xFFFFFF, 0.05);
		sprite.graphics.drawRect(4, 0, WIDTH - 8, ROW - 4);
		sprite.graphics.endFill();
		var page = Style.label(12, Style.HIGHLIGHT, true);
		page.text = "Page " + contents.pageName(hit.page);
		page.x = 10;
		page.y = 2;
		var context = new TextField();
		context.defaultTextFormat = new TextFormat("_sans", 12, Style.DIM_TEXT);
		context.selectable = false;
		context.mouseEnabled = false;
		context.wordWrap = true;
		context.multiline = true;
		context.width = WIDTH - 20;
		context.height = 34;
		context.x = 10;
		context.y = 18;
		context.text = hit.context;
		if (hit.matchLength > 0)
			context.setTextFormat(new TextFormat(null, null, Style.TEXT, true), hit.matchStart, hit.matchStart + hit.matchLength);
		sprite.addChild(page);
		sprite.addChild(context);
		sprite.buttonMode = true;
		sprite.mouseChildren = false;
		sprite.addEventListener(MouseEvent.CLICK, function(event:MouseEvent) {
			event.stopPropagation();
			if (onPick != null) onPick(hit);
		});
		return sprite;
	}
}
