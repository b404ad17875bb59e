import Contents.Area;
import Curl;
import Spreads.Side;
import flash.display.DisplayObject;
import flash.display.GradientType;
import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.MouseEvent;
import flash.geom.Matrix;
import flash.geom.Point;

// The pages: the current spread fitted into the view, pages that turn like paper, zoom with the
// larger mobile copies and panning by drag. A page turns when the reader drags its corner or
// outer edge (it follows the pointer and, on release, finishes the turn or falls back), clicks
// its outer edge, swipes across the pages, or uses the keys and buttons (an animated turn);
// without motion every turn is immediate. Pictures come from bounded stores: the current spread
// and one spread either side stay decoded, nothing else is kept beyond the stores' bounds.
class BookView extends Sprite {
	static inline var TURN_FRAMES = 14;
	static inline var RELEASE_FRAMES = 8;
	static inline var NEIGHBOURS = 1;
	static inline var DRAG_THRESHOLD = 4;
	static inline var SWIPE = 40;
	// The share of a page's width along its outer edge where a press takes hold of the page.
	static inline var EDGE = 0.14;

	public var spreads(default, null):Spreads;
	public var current(default, null):Int = 0;
	public var onChange:Void->Void;
	// False: pages turn at once, without animation.
	public var motion = true;

	var contents:Contents;
	var zoom = new Zoom();
	var viewWidth:Float = 1;
	var viewHeight:Float = 1;
	var frame = new Sprite();
	var masker = new Shape();
	var spread:Null<Sprite>;
	var views = new Map<Int, PageView>();
	var pages:PageStore;
	var mobiles:PageStore;
	var panX = 0.0;
	var panY = 0.0;
	var press:Null<{x:Float, y:Float, panX:Float, panY:Float, edge:Null<Side>, top:Bool}>;
	var dragged = false;
	var openLink:String->Void;
	var highlight:Null<{page:Int, boxes:Array<PageView.Box>}>;
	// The turn in flight: the spreads it goes between, the leaf's side, where its corner is held
	// (leaf coordinates) and how it moves when the pointer does not hold it.
	var pageTurn:Null<PageTurn>;
	var turnFrom = 0;
	var turnTo = 0;
	var turnSide:Side = Right;
	var pointer:Point2 = {x: 0, y: 0};
	var grab:Point2 = {x: 0, y: 0};
	var dragging = false;
	var animation:Null<{from:Point2, frame:Int, frames:Int, path:Bool, complete:Bool}>;

	public function new(contents:Contents, openLink:String->Void) {
		super();
		this.contents = contents;
		this.openLink = openLink;
		spreads = new Spreads(contents.pages.length, true, contents.ltr);
		// Three spreads of two pages, plus the spread a jump leaves while it turns.
		pages = new PageStore(8, function(page) refresh(page));
		mobiles = new PageStore(2, function(page) refresh(page));
		addChild(frame);
		addChild(masker);
		frame.mask = masker;
		addEventListener(MouseEvent.MOUSE_DOWN, onMouseDown);
		addEventListener(Event.ENTER_FRAME, onFrame);
		// The opening spread's pictures start loading now, while the viewer builds its toolbar and
		// panels: the reader waits for them and for nothing else.
		var opening = [
			for (page in spreads.pages(current))
				if (contents.pages[page].src != null) {key: page, url: contents.pages[page].src}
		];
		pages.want(opening, opening.length);
	}

	public function setSize(width:Float, height:Float, twoUp:Bool) {
		viewWidth = Math.max(1, width);
		viewHeight = Math.max(1, height);
		masker.graphics.clear();
		masker.graphics.beginFill(0);
		masker.graphics.drawRect(0, 0, viewWidth, viewHeight);
		masker.graphics.endFill();
		graphics.clear();
		graphics.beginFill(0, 0);
		graphics.drawRect(0, 0, viewWidth, viewHeight);
		graphics.endFill();
		settle();
		if (twoUp != spreads.twoUp) {
			var page = spreads.firstPage(current);
			spreads = new Spreads(contents.pages.length, twoUp, contents.ltr);
			current = spreads.spreadOf(page < 0 ? 0 : page);
		}
		show(current);
	}

	public function shownPages():Array<Int> {
		return spreads.pages(current);
	}

	public function turn(step:Int) {
		goToSpread(current + step);
	}

	public function goToPage(page:Int) {
		goToSpread(spreads.spreadOf(page));
	}

	public function goToSpread(target:Int) {
		settle();
		var next = spreads.clampSpread(target);
		if (next == current || spreads.count() == 0) return;
		var side = spreads.turningSide(next > current);
		if (!motion || !startTurn(next, side, false)) {
			arrive(next);
			return;
		}
		// The reader sees the new page number at once; the turn only shows the way there.
		current = next;
		animation = {from: pointer, frame: 0, frames: TURN_FRAMES, path: true, complete: true};
		changed();
	}

	public function zoomIn() {
		settle();
		if (zoom.zoomIn()) applyZoom();
	}

	public function zoomOut() {
		settle();
		if (zoom.zoomOut()) applyZoom();
	}

	// Marks words on a page (boxes in page units); null clears the mark.
	public function setHighlight(page:Int, boxes:Null<Array<PageView.Box>>) {
		highlight = boxes == null ? null : {page: page, boxes: boxes};
		for (view in views) view.highlight(highlight != null && highlight.page == view.index ? highlight.boxes : []);
	}

	function changed() {
		if (onChange != null) onChange();
	}

	// Shows a spread at once.
	function arrive(index:Int) {
		var moved = index != current;
		current = index;
		zoom.reset();
		show(current);
		if (moved) changed();
	}

	function show(index:Int) {
		dropTurn();
		if (spread != null) frame.removeChild(spread);
		views = new Map();
		spread = buildSpread(index);
		frame.addChild(spread);
		panX = panY = 0;
		place();
		requestPictures();
	}

	function buildSpread(index:Int):Sprite {
		var sprite = new Sprite();
		for (page in spreads.pages(index)) sprite.addChild(pageView(page, sideOf(index, page)));
		if (spreads.twoUp) sprite.addChild(gutter(index));
		return sprite;
	}

	function sideOf(index:Int, page:Int):Side {
		return spreads.twoUp && page == spreads.left(index) ? Left : Right;
	}

	function pageView(page:Int, side:Side):PageView {
		var view = new PageView(page, contents.pages[page], contents.pageWidth, contents.pageHeight, onArea);
		view.x = spreads.twoUp && side == Right ? contents.pageWidth : 0;
		if (highlight != null && highlight.page == page) view.highlight(highlight.boxes);
		views.set(page, view);
		return view;
	}

	// The shadow where the pages meet, on the pages there are.
	function gutter(index:Int):Shape {
		var shape = new Shape();
		var pw = contents.pageWidth;
		var width = pw * 0.03;
		var matrix = new Matrix();
		matrix.createGradientBox(width * 2, contents.pageHeight, 0, pw - width, 0);
		shape.graphics.beginGradientFill(GradientType.LINEAR, [0, 0, 0], [0, 0.18, 0], [0, 128, 255], matrix);
		shape.graphics.drawRect(spreads.left(index) >= 0 ? pw - width : pw, 0,
			(spreads.left(index) >= 0 ? width : 0) + (spreads.right(index) >= 0 ? width : 0), contents.pageHeight);
		shape.graphics.endFill();
		return shape;
	}

	// Lays out a turn from the current spread to `target`, the leaf on `side` lifting at its top
	// or bottom corner; false when there is no leaf to turn.
	function startTurn(target:Int, side:Side, top:Bool):Bool {
		var twoUp = spreads.twoUp;
		var pw = contents.pageWidth;
		var front = twoUp ? spreads.pageOn(current, side) : spreads.right(current);
		if (front < 0) return false;
		zoom.reset();
		if (spread != null) frame.removeChild(spread);
		views = new Map();
		var other = side == Left ? Right : Left;
		var beneath:Array<DisplayObject> = [];
		var stays = twoUp ? spreads.pageOn(current, other) : -1;
		if (stays >= 0) beneath.push(pageView(stays, other));
		var under = twoUp ? spreads.pageOn(target, side) : spreads.right(target);
		if (under >= 0) beneath.push(pageView(under, side));
		var mirrored = side == Left;
		var spineX = twoUp || mirrored ? pw : 0.0;
		var curl = new Curl(pw, contents.pageHeight, top);
		var backPage = twoUp ? spreads.pageOn(target, other) : -1;
		var back:DisplayObject = backPage >= 0 ? pageView(backPage, other) : PageTurn.blankBack(curl, spineX, mirrored);
		pageTurn = new PageTurn(curl, spineX, mirrored, beneath, pageView(front, side), back);
		spread = pageTurn;
		frame.addChild(pageTurn);
		turnFrom = current;
		turnTo = target;
		turnSide = side;
		pointer = curl.corner();
		pageTurn.update(pointer);
		panX = panY = 0;
		place();
		requestPictures();
		return true;
	}

	// Ends a turn in flight where it is going; a page still held by the pointer falls back.
	function settle() {
		if (pageTurn == null) return;
		var done = animation != null ? animation.complete : !dragging;
		animation = null;
		dragging = false;
		arrive(done ? turnTo : turnFrom);
	}

	function dropTurn() {
		pageTurn = null;
		animation = null;
		dragging = false;
	}

	function onFrame(_) {
		if (pageTurn == null || animation == null) return;
		animation.frame++;
		var t = animation.frame / animation.frames;
		var curl = pageTurn.curl;
		if (animation.path) {
			pointer = curl.path(t);
		} else {
			var to = animation.complete ? curl.end() : curl.corner();
			var s = ease(t);
			pointer = {x: animation.from.x + (to.x - animation.from.x) * s, y: animation.from.y + (to.y - animation.from.y) * s};
		}
		pageTurn.update(pointer);
		if (animation.frame >= animation.frames) settle();
	}

	static function ease(t:Float):Float {
		var clamped = Math.min(1, Math.max(0, t));
		return 1 - (1 - clamped) * (1 - clamped);
	}

	// The spread's scale and position: fitted, zoomed about the centre and panned.
	function place() {
		if (spread == null) return;
		var spreadWidth = contents.pageWidth * (spreads.twoUp ? 2 : 1);
		var fit = Math.min(viewWidth / spreadWidth, viewHeight / contents.pageHeight) * 0.96;
		var scale = fit * zoom.scale();
		var width = spreadWidth * scale;
		var height = contents.pageHeight * scale;
		panX = Zoom.clampPan(panX, width, viewWidth);
		panY = Zoom.clampPan(panY, height, viewHeight);
		spread.scaleX = spread.scaleY = scale;
		spread.x = (viewWidth - width) / 2 + panX;
		spread.y = (viewHeight - height) / 2 + panY;
	}

	function applyZoom() {
		place();
		requestPictures();
	}

	function requestPictures() {
		var near = spreads.neighbourhood(current, NEIGHBOURS);
		if (pageTurn != null) for (page in spreads.pages(turnFrom).concat(spreads.pages(turnTo))) if (near.indexOf(page) < 0) near.unshift(page);
		// The pages on screen first, the neighbours after them.
		var onScreen = [for (page in near) if (views.exists(page) && contents.pages[page].src != null) page];
		var requests = [
			for (page in onScreen.concat(near.filter(function(page) return onScreen.indexOf(page) < 0)))
				if (contents.pages[page].src != null) {key: page, url: contents.pages[page].src}
		];
		pages.want(requests, onScreen.length);
		var shownNow = spreads.pages(current);
		mobiles.want(zoom.zoomed() ? [
			for (page in shownNow)
				if (contents.pages[page].mobile != null) {key: page, url: contents.pages[page].mobile}
		] : []);
		for (page in views.keys()) refresh(page);
	}

	// Puts the best picture there is on a visible page: the larger copy while zoomed.
	function refresh(page:Int) {
		var view = views.get(page);
		if (view == null) return;
		var best:Null<Loader> = zoom.zoomed() ? mobiles.get(page) : null;
		if (best == null) best = pages.get(page);
		if (best != null) view.showPicture(best);
	}

	function onArea(area:Area) {
		if (dragged || pageTurn != null) return;
		if (area.page >= 0) goToPage(area.page) else openLink(area.url);
	}

	// The point of the spread under the pointer, in page units.
	function spreadPoint(event:MouseEvent):Point {
		return spread.globalToLocal(new Point(event.stageX, event.stageY));
	}

	// The side whose page the press takes hold of at its outer edge, if any.
	function edgeAt(p:Point):Null<Side> {
		var pw = contents.pageWidth;
		if (p.y < 0 || p.y > contents.pageHeight) return null;
		var right = spreads.twoUp ? 2 * pw : pw;
		if (p.x >= right - pw * EDGE && p.x <= right && spreads.right(current) >= 0) return Right;
		var leftPage = spreads.twoUp ? spreads.left(current) : spreads.right(current);
		if (p.x >= 0 && p.x <= pw * EDGE && leftPage >= 0) return Left;
		return null;
	}

	// The spread a turn of the leaf on `side` leads to; the current one when there is none.
	function targetFor(side:Side):Int {
		var forward = (side == Right) == spreads.ltr;
		return spreads.clampSpread(current + (forward ? 1 : -1));
	}

	function onMouseDown(event:MouseEvent) {
		dragged = false;
		if (stage == null || spread == null) return;
		settle();
		var onLink = Std.isOfType(event.target, PageView.LinkSpot);
		var p = spreadPoint(event);
		var edge = zoom.zoomed() || onLink ? null : edgeAt(p);
		if (edge != null && targetFor(edge) == current) edge = null;
		press = {x: event.stageX, y: event.stageY, panX: panX, panY: panY, edge: edge, top: p.y < contents.pageHeight / 2};
		if (onLink && !zoom.zoomed()) press = null;
		if (press == null) return;
		stage.addEventListener(MouseEvent.MOUSE_MOVE, onDrag);
		stage.addEventListener(MouseEvent.MOUSE_UP, onRelease);
	}

	function onDrag(event:MouseEvent) {
		if (press == null) return;
		var dx = event.stageX - press.x;
		var dy = event.stageY - press.y;
		if (Math.abs(dx) + Math.abs(dy) > DRAG_THRESHOLD) dragged = true;
		if (zoom.zoomed()) {
			panX = press.panX + dx;
			panY = press.panY + dy;
			place();
			return;
		}
		if (press.edge == null || !dragged || !motion) return;
		if (pageTurn == null) {
			if (!startTurn(targetFor(press.edge), press.edge, press.top)) {
				press.edge = null;
				return;
			}
			dragging = true;
			// The corner keeps its distance from where the page was taken hold of.
			var held = leafPoint(press.x, press.y);
			var corner = pageTurn.curl.corner();
			grab = {x: corner.x - held.x, y: corner.y - held.y};
		}
		var at = leafPoint(event.stageX, event.stageY);
		pointer = pageTurn.curl.constrain({x: at.x + grab.x, y: at.y + grab.y});
		pageTurn.update(pointer);
	}

	function leafPoint(stageX:Float, stageY:Float):Point2 {
		return pageTurn.leafPoint(spread.globalToLocal(new Point(stageX, stageY)));
	}

	function onRelease(event:MouseEvent) {
		stage.removeEventListener(MouseEvent.MOUSE_MOVE, onDrag);
		stage.removeEventListener(MouseEvent.MOUSE_UP, onRelease);
		var pressed = press;
		press = null;
		if (pressed == null || zoom.zoomed()) return;
		if (dragging && pageTurn != null) {
			// Past the middle of the leaf the turn finishes; short of it the page falls back.
			dragging = false;
			var complete = pointer.x < pageTurn.curl.width / 2;
			if (complete) {
				current = turnTo;
				changed();
			}
			animation = {from: pointer, frame: 0, frames: RELEASE_FRAMES, path: false, complete: complete};
			return;
		}
		var dx = event.stageX - pressed.x;
		var dy = event.stageY - pressed.y;
		if (pressed.edge != null && !dragged) {
			// A click on the outer edge turns that page.
			goToSpread(targetFor(pressed.edge));
			return;
		}
		if (Math.abs(dx) >= SWIPE && Math.abs(dx) > 1.5 * Math.abs(dy)) {
			// A swipe turns the way the pages move: to the left, the right-hand leaf turns.
			var side = dx < 0 ? Right : Left;
			goToSpread(targetFor(side));
		}
	}
}
