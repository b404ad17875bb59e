import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.MouseEvent;

// The pages: the current spread fitted into the view, a slide to the next one, zoom with the
// larger mobile copies and panning by drag. Pictures come from bounded stores: the current spread
// and one spread either side stay decoded, nothing else is kept beyond the stores' bounds.
class BookView extends Sprite {
	static inline var SLIDE_FRAMES = 9;
	static inline var NEIGHBOURS = 1;
	static inline var DRAG_THRESHOLD = 4;

	public var spreads(default, null):Spreads;
	public var current(default, null):Int = 0;
	public var onChange:Void->Void;

	var contents:Contents;
	var zoom = new Zoom();
	var viewWidth:Float = 1;
	var viewHeight:Float = 1;
	var frame = new Sprite();
	var masker = new Shape();
	var spread:Null<Sprite>;
	var leaving:Null<Sprite>;
	var slideFrame = 0;
	var slideDirection = 0;
	var views = new Map<Int, PageView>();
	var pages:PageStore;
	var mobiles:PageStore;
	var panX = 0.0;
	var panY = 0.0;
	var dragStart:Null<{x:Float, y:Float, panX:Float, panY:Float}>;
	var dragged = false;
	var openLink:String->Void;

	public function new(contents:Contents, openLink:String->Void) {
		super();
		this.contents = contents;
		this.openLink = function(url) if (!dragged) openLink(url);
		spreads = new Spreads(contents.pages.length, true);
		// Three spreads of two pages, plus room for a slide in flight.
		pages = new PageStore(8, function(page) refresh(page));
		mobiles = new PageStore(2, function(page) refresh(page));
		addChild(frame);
		addChild(masker);
		frame.mask = masker;
		addEventListener(MouseEvent.MOUSE_DOWN, onMouseDown);
		addEventListener(Event.ENTER_FRAME, onFrame);
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
		if (twoUp != spreads.twoUp) {
			var page = spreads.firstPage(current);
			spreads = new Spreads(contents.pages.length, twoUp);
			current = spreads.spreadOf(page < 0 ? 0 : page);
		}
		finishSlide();
		show(current, 0);
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
		var next = spreads.clampSpread(target);
		if (next == current || spreads.count() == 0) return;
		finishSlide();
		var direction = next > current ? 1 : -1;
		current = next;
		zoom.reset();
		show(current, direction);
	}

	public function zoomIn() {
		if (zoom.zoomIn()) applyZoom();
	}

	public function zoomOut() {
		if (zoom.zoomOut()) applyZoom();
	}

	function show(index:Int, direction:Int) {
		leaving = direction == 0 ? null : spread;
		if (direction == 0) {
			if (spread != null) frame.removeChild(spread);
			views = new Map();
		}
		spread = buildSpread(index);
		frame.addChild(spread);
		panX = panY = 0;
		slideDirection = direction;
		slideFrame = direction == 0 ? SLIDE_FRAMES : 0;
		place();
		requestPictures();
		if (onChange != null) onChange();
	}

	function buildSpread(index:Int):Sprite {
		var sprite = new Sprite();
		var pw = contents.pageWidth;
		var ph = contents.pageHeight;
		for (page in spreads.pages(index)) {
			var view = new PageView(page, contents.pages[page], pw, ph, openLink);
			view.x = spreads.twoUp && page == spreads.right(index) ? pw : 0;
			sprite.addChild(view);
			views.set(page, view);
		}
		if (spreads.twoUp) {
			// The fold between the pages.
			sprite.graphics.beginFill(0x000000, 0.25);
			sprite.graphics.drawRect(pw - 1, 0, 2, ph);
			sprite.graphics.endFill();
		}
		return sprite;
	}

	// The spread's scale and position: fitted, zoomed about the centre, panned, and during a
	// slide shifted by the part of the view width still to travel.
	function place() {
		var spreadWidth = contents.pageWidth * (spreads.twoUp ? 2 : 1);
		var fit = Math.min(viewWidth / spreadWidth, viewHeight / contents.pageHeight) * 0.96;
		var scale = fit * zoom.scale();
		var width = spreadWidth * scale;
		var height = contents.pageHeight * scale;
		panX = Zoom.clampPan(panX, width, viewWidth);
		panY = Zoom.clampPan(panY, height, viewHeight);
		var progress = ease(slideFrame / SLIDE_FRAMES);
		var shift = slideDirection * viewWidth * (1 - progress);
		setPlace(spread, scale, (viewWidth - width) / 2 + panX + shift, (viewHeight - height) / 2 + panY);
		if (leaving != null)
			setPlace(leaving, fit, (viewWidth - spreadWidth * fit) / 2 + shift - slideDirection * viewWidth,
				(viewHeight - contents.pageHeight * fit) / 2);
	}

	static function setPlace(sprite:Sprite, scale:Float, x:Float, y:Float) {
		sprite.scaleX = sprite.scaleY = scale;
		sprite.x = x;
		sprite.y = y;
	}

	static function ease(t:Float):Float {
		var clamped = Math.min(1, Math.max(0, t));
		return 1 - (1 - clamped) * (1 - clamped);
	}

	function onFrame(_) {
		if (slideFrame >= SLIDE_FRAMES) return;
		slideFrame++;
		place();
		if (slideFrame >= SLIDE_FRAMES) finishSlide();
	}

	function finishSlide() {
		slideFrame = SLIDE_FRAMES;
		if (leaving != null) {
			frame.removeChild(leaving);
			leaving = null;
		}
		var shownNow = spreads.pages(current);
		for (page in [for (k in views.keys()) k]) if (shownNow.indexOf(page) < 0) views.remove(page);
		if (spread != null) place();
	}

	function applyZoom() {
		place();
		requestPictures();
	}

	function requestPictures() {
		var near = spreads.neighbourhood(current, NEIGHBOURS);
		pages.want([
			for (page in near)
				if (contents.pages[page].src != null) {key: page, url: contents.pages[page].src}
		]);
		var shownNow = spreads.pages(current);
		mobiles.want(zoom.zoomed() ? [
			for (page in shownNow)
				if (contents.pages[page].mobile != null) {key: page, url: contents.pages[page].mobile}
		] : []);
		for (page in shownNow) refresh(page);
	}

	// Puts the best picture there is on a visible page: the larger copy while zoomed.
	function refresh(page:Int) {
		var view = views.get(page);
		if (view == null) return;
		var best:Null<Loader> = zoom.zoomed() ? mobiles.get(page) : null;
		if (best == null) best = pages.get(page);
		if (best != null) view.showPicture(best);
	}

	function onMouseDown(event:MouseEvent) {
		dragged = false;
		if (!zoom.zoomed() || stage == null) return;
		dragStart = {x: event.stageX, y: event.stageY, panX: panX, panY: panY};
		stage.addEventListener(MouseEvent.MOUSE_MOVE, onDrag);
		stage.addEventListener(MouseEvent.MOUSE_UP, onDragEnd);
	}

	function onDrag(event:MouseEvent) {
		if (dragStart == null) return;
		var dx = event.stageX - dragStart.x;
		var dy = event.stageY - dragStart.y;
		if (Math.abs(dx) + Math.abs(dy) > DRAG_THRESHOLD) dragged = true;
		panX = dragStart.panX + dx;
		panY = dragStart.panY + dy;
		place();
	}

	function onDragEnd(_) {
		dragStart = null;
		stage.removeEventListener(MouseEvent.MOUSE_MOVE, onDrag);
		stage.removeEventListener(MouseEvent.MOUSE_UP, onDragEnd);
	}
}
